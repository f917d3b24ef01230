#!/usr/bin/env bash
# What an update costs as the catalogue grows: PACKAGES packages of 2 MB served by nginx on the
# loopback, applied by `trubkom-catalogue update` to the demo catalogue and to synthetic ones of
# SCALES times the large one of the benchmarks, interleaved with its floor in the same run: curl
# fetching the same packages, then unzip of the archives they were sealed from. Prints, for each
# catalogue, the median of RUNS runs of each and their ratio, then the growth from the first
# synthetic scale to the last.
#   bench/updates/measure_update_scaling.sh BUILD_DIR [RUNS] [SCALES] [PACKAGES]
# The build must trust the demo keys (./run and ./test configure it so). SCALES defaults to
# "1 16"; each catalogue is made, measured and removed before the next, so the disk holds one.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${2:-5}
SCALES=${3:-"1 16"}
PACKAGES=${4:-20}
TOOL="$BUILD/trubkom-catalogue"
KEYS="$ROOT/demo/keys"
WORK=$(mktemp -d)
source "$ROOT/tests/support/serve_folder.sh"
trap 'stop_serving; rm -rf "$WORK"' EXIT

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
now_ns() { date +%s%N; }

# upd<DDMMYY>.upd of 2 MB of incompressible data, whose script adds the data and its marker; the
# archive it is sealed from stays in zips/ for the floor.
make_package() {
  local code=$1 payload="$WORK/payload-$1"
  mkdir -p "$payload" "$WORK/zips"
  head -c 2000000 /dev/urandom >"$payload/data$code.bin"
  printf 'upd%s\r\n' "$code" >"$payload/upd$code.new"
  printf 'ADDFILE data%s.bin TO updates\\\r\nADDFILE upd%s.new TO updates\\\r\n' "$code" "$code" \
    >"$payload/upd$code.tkm"
  (cd "$payload" && zip -q -r "$WORK/zips/upd$code.zip" .)
  "$TOOL" pack "$WORK/zips/upd$code.zip" "$WORK/server/updates/upd$code.upd" --keys "$KEYS" >/dev/null
}

# The floor: the packages fetched as the run fetches them, and their archives unpacked.
floor_ns() {
  rm -rf "$WORK/fetched" "$WORK/unpacked"
  mkdir -p "$WORK/fetched" "$WORK/unpacked"
  local start
  start=$(now_ns)
  (cd "$WORK/fetched" && for p in "$WORK"/server/updates/*.upd; do
    curl -s -O "${SERVED_URL}updates/$(basename "$p")"
  done)
  for z in "$WORK"/zips/*.zip; do unzip -q -o "$z" -d "$WORK/unpacked"; done
  echo $(($(now_ns) - start))
}

# One update of a fresh copy of the catalogue (its files linked, not copied: the packages only
# add files, and every file the run replaces is written anew, never in place).
update_ns() {
  local catalogue=$1 start
  rm -rf "$WORK/run"
  cp -al "$catalogue" "$WORK/run"
  rm -rf "$WORK/run/updates"
  start=$(now_ns)
  (cd "$WORK/run" && "$TOOL" update --server "$SERVED_URL" >"$WORK/update.log" 2>&1) ||
    { cat "$WORK/update.log" >&2; exit 1; }
  echo $(($(now_ns) - start))
}

mkdir -p "$WORK/server/updates"
for i in $(seq "$PACKAGES"); do make_package "$(printf '%02d0126' "$i")"; done
"$TOOL" index "$WORK/server" --keys "$KEYS" >/dev/null
serve_folder "$WORK/server" "$WORK/nginx"

# A package that only adds a file, applied to each catalogue before it is measured: the price
# history is brought up to date once, as a catalogue in use has it.
mkdir -p "$WORK/prime"
printf 'x' >"$WORK/prime/primed.txt"
printf 'ADDFILE primed.txt TO updates\\\r\n' >"$WORK/prime/upd.tkm"
"$TOOL" pack "$WORK/prime" "$WORK/upd010125.upd" --keys "$KEYS" >/dev/null

declare -A update_ms
measure() {
  local name=$1 catalogue=$2 updates=() floors=()
  (cd "$catalogue" && "$TOOL" apply "$WORK/upd010125.upd" >/dev/null)
  update_ns "$catalogue" >/dev/null  # the result checked and the page cache warmed
  [ "$(ls "$WORK"/run/updates/data*.bin | wc -l)" = "$PACKAGES" ] ||
    { echo "the update did not apply every package" >&2; exit 1; }
  for _ in $(seq "$RUNS"); do
    floors+=("$(floor_ns)")
    updates+=("$(update_ns "$catalogue")")
  done
  local u f
  u=$(printf '%s\n' "${updates[@]}" | median)
  f=$(printf '%s\n' "${floors[@]}" | median)
  update_ms[$name]=$(awk -v u="$u" 'BEGIN { printf "%.1f", u / 1e6 }')
  awk -v n="$name" -v u="$u" -v f="$f" 'BEGIN {
    printf "%-6s %10.1f %10.1f %7.2fx\n", n, u / 1e6, f / 1e6, u / f }'
}

printf '%-6s %10s %10s %8s\n' catalogue "update ms" "floor ms" ratio
cp -r "$BUILD/catalogue" "$WORK/demo"
measure demo "$WORK/demo"
first= last=
for scale in $SCALES; do
  folder="$WORK/x$scale"
  mkdir -p "$folder"
  "$BUILD/bench/make_synthetic_catalogue" "$folder" $((1000 * scale)) $((200 * scale)) 5000 \
    $((100000 * scale)) >/dev/null
  cp -r "$ROOT/demo/catalogue/Templates" "$folder/"
  measure "${scale}x" "$folder"
  rm -rf "$folder" "$WORK/run"
  first=${first:-${scale}x} last=${scale}x
done
if [ "$first" != "$last" ]; then
  awk -v a="${update_ms[$last]}" -v b="${update_ms[$first]}" -v l="$last" -v f="$first" \
    'BEGIN { printf "update at %s / update at %s: %.2f\n", l, f, a / b }'
fi
