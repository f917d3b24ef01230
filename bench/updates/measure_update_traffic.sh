#!/usr/bin/env bash
# What updating costs against a publisher's web server (nginx on the loopback, as
# tests/support serves it), measured as a user runs the tool:
#  1. a first run that downloads PACKAGES packages of 2 MB, then a second run with nothing new:
#     bytes the server sent (its access log) and wall time of each;
#  2. a 20 MB package whose download was killed at half, resumed, against the same package
#     downloaded whole: bytes sent for the package and the run's time, median of RUNS runs,
#     interleaved, with curl fetching the whole file as the floor.
#   bench/updates/measure_update_traffic.sh BUILD_DIR [RUNS] [PACKAGES]
# The build must trust the demo keys (./run and ./test configure it so).
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${2:-5}
PACKAGES=${3:-20}
TOOL="$BUILD/trubkom-catalogue"
KEYS="$ROOT/demo/keys"
WORK=$(mktemp -d)
source "$ROOT/tests/support/serve_folder.sh"
cleanup() {
  stop_serving
  rm -rf "$WORK"
}
trap cleanup EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
# Bytes the server sent (heads and bodies) since the access log had $1 lines.
bytes_since() { tail -n +"$(($1 + 1))" "$WORK/access.log" | awk '{ s += $NF } END { print s + 0 }'; }
# Milliseconds the server took to send the packages asked for since the log had $1 lines.
package_ms_since() {
  tail -n +"$(($1 + 1))" "$WORK/access.log" | awk '$2 ~ /\.upd$/ { s += $5 } END { print int(s * 1000 + 0.5) }'
}
log_lines() { wc -l <"$WORK/access.log"; }

# A package named upd<DDMMYY>.upd of SIZE incompressible bytes, sealed with the demo keys; its
# script adds the data and, as every publisher's package does, its marker upd<DDMMYY>.new.
make_package() {
  local code=$1 size=$2 payload="$WORK/payload-$1"
  mkdir -p "$payload"
  head -c "$size" /dev/urandom >"$payload/data$code.bin"
  printf 'upd%s\r\n' "$code" >"$payload/upd$code.new"
  printf 'ADDFILE data%s.bin TO updates\\\r\nADDFILE upd%s.new TO updates\\\r\n' "$code" "$code" \
    >"$payload/upd$code.tkm"
  "$TOOL" pack "$payload" "$WORK/server/updates/upd$code.upd" --keys "$KEYS" >/dev/null
}

start_nginx() {
  # Slow after half of the large package, so the first try can be killed there.
  serve_folder "$WORK/server" "$WORK" \
    "location /slow/ { alias $WORK/server/; limit_rate_after 10m; limit_rate 2m; }"
  URL=$SERVED_URL
}

fresh_catalogue() {
  rm -rf "$WORK/catalogue"
  cp -r "$BUILD/catalogue" "$WORK/catalogue"
  rm -rf "$WORK/catalogue/updates"
}

update() { (cd "$WORK/catalogue" && "$TOOL" update --server "$1" >/dev/null 2>&1); }

mkdir -p "$WORK/server/updates"
for i in $(seq "$PACKAGES"); do make_package "$(printf '%02d0126' "$i")" 2000000; done
"$TOOL" index "$WORK/server" --keys "$KEYS" >/dev/null
start_nginx

echo "1. Nothing new on a second run ($PACKAGES packages of 2 MB, median of $RUNS)"
first_bytes=() second_bytes=() first_ms=() second_ms=()
for _ in $(seq "$RUNS"); do
  fresh_catalogue
  mark=$(log_lines); start=$(now_ms)
  update "$URL"
  first_ms+=($(($(now_ms) - start))); first_bytes+=("$(bytes_since "$mark")")
  ls "$WORK/catalogue/updates/"data*.bin | wc -l | grep -qx "$PACKAGES" || { echo "first run incomplete" >&2; exit 1; }
  mark=$(log_lines); start=$(now_ms)
  update "$URL"
  second_ms+=($(($(now_ms) - start))); second_bytes+=("$(bytes_since "$mark")")
done
fb=$(printf '%s\n' "${first_bytes[@]}" | median); sb=$(printf '%s\n' "${second_bytes[@]}" | median)
fm=$(printf '%s\n' "${first_ms[@]}" | median); sm=$(printf '%s\n' "${second_ms[@]}" | median)
echo "   first run:  $fb bytes, $fm ms"
echo "   second run: $sb bytes, $sm ms"
awk -v a="$sb" -v b="$fb" 'BEGIN { printf "   second / first bytes: %.4f%%\n", 100 * a / b }'

echo "2. A 20 MB package killed at half and resumed, against downloaded whole (median of $RUNS)"
rm -f "$WORK/server/updates/"*.upd
make_package 010227 20000000
"$TOOL" index "$WORK/server" --keys "$KEYS" >/dev/null
package="$WORK/server/updates/upd010227.upd"
whole_ms=() whole_bytes=() resumed_ms=() resumed_bytes=() curl_ms=() whole_send=() resumed_send=()
for _ in $(seq "$RUNS"); do
  fresh_catalogue
  mark=$(log_lines); start=$(now_ms)
  update "$URL"
  whole_ms+=($(($(now_ms) - start))); whole_bytes+=("$(bytes_since "$mark")")
  whole_send+=("$(package_ms_since "$mark")")

  fresh_catalogue
  (cd "$WORK/catalogue" && exec "$TOOL" update --server "${URL}slow/" >/dev/null 2>&1) &
  runner=$!
  part="$WORK/catalogue/updates/upd010227.upd.part"
  while kill -0 "$runner" 2>/dev/null && [ "$(stat -c %s "$part" 2>/dev/null || echo 0)" -lt 10000000 ]; do
    sleep 0.01
  done
  kill -9 "$runner"; wait "$runner" 2>/dev/null || true
  mark=$(log_lines); start=$(now_ms)
  update "$URL"
  resumed_ms+=($(($(now_ms) - start))); resumed_bytes+=("$(bytes_since "$mark")")
  resumed_send+=("$(package_ms_since "$mark")")
  cmp -s "$WORK/catalogue/updates/data010227.bin" "$WORK/payload-010227/data010227.bin" ||
    { echo "the resumed package did not apply" >&2; exit 1; }

  start=$(now_ms)
  curl -s -o "$WORK/curl.upd" "${URL}updates/upd010227.upd"
  curl_ms+=($(($(now_ms) - start)))
done
wb=$(printf '%s\n' "${whole_bytes[@]}" | median); rb=$(printf '%s\n' "${resumed_bytes[@]}" | median)
wm=$(printf '%s\n' "${whole_ms[@]}" | median); rm_=$(printf '%s\n' "${resumed_ms[@]}" | median)
cm=$(printf '%s\n' "${curl_ms[@]}" | median)
ws=$(printf '%s\n' "${whole_send[@]}" | median); rs=$(printf '%s\n' "${resumed_send[@]}" | median)
echo "   whole:   $wb bytes; the package sent in $ws ms; the run (download, verify, apply) $wm ms"
echo "   resumed: $rb bytes; the package sent in $rs ms; the run $rm_ ms"
echo "   floor: curl fetching the whole package, $cm ms"
awk -v rb="$rb" -v wb="$wb" -v rs="$rs" -v ws="$ws" -v rm="$rm_" -v wm="$wm" \
  'BEGIN { printf "   resumed / whole: %.2f of the bytes, %.2f of the download time, %.2f of the run\n", rb / wb, rs / ws, rm / wm }'
