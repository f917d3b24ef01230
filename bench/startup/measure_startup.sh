#!/usr/bin/env bash
# The window's start-up against a bare browser view loading the same start page: process start
# to the first page laid out and to the brand box, models list and wizard's counts filled (what
# the user waits for), and peak resident memory, median of RUNS runs each; then the peak
# resident memory of each after it has run for LOADED_WAIT seconds (8 by default), by when the
# window has read the whole catalogue, and its resident memory then. The window's resident memory
# when its lists are filled is given too.
#   bench/startup/measure_startup.sh BUILD_DIR [CATALOGUE] [RUNS]
# Without CATALOGUE a large synthetic one is made (bench/make_synthetic_catalogue), SCALE times
# the large one of the benchmarks (1 unless told), with the demo
# templates. Needs a display (xvfb-run -a bench/startup/measure_startup.sh build).
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${3:-5}
CATALOGUE=${2:-}
if [ -z "$CATALOGUE" ]; then
  CATALOGUE=$(mktemp -d)
  trap 'rm -rf "$CATALOGUE"' EXIT
  scale=${SCALE:-1}
  "$BUILD/bench/make_synthetic_catalogue" "$CATALOGUE" $((1000 * scale)) $((200 * scale)) 5000 \
    $((100000 * scale)) >/dev/null
  cp -r "$ROOT/demo/catalogue/Templates" "$CATALOGUE/"
fi
PAGE="$CATALOGUE/Templates/index.html"
export TRUBKOM_REPORT_FIRST_PAGE=quit

# One run: prints "FIRST_PAGE_MS FILLED_MS KILOBYTES FILLED_RESIDENT_KILOBYTES"; a bare view has
# no lists, so its lists count as filled with its first page.
run_once() {
  local log first filled resident
  log=$(mktemp)
  (cd "$CATALOGUE" && TRUBKOM_LAUNCHED_NS=$(date +%s%N) /usr/bin/time -f 'peak %M' "$@" 2>"$log" >/dev/null) || true
  first=$(sed -n 's/^first page: \([0-9]*\) ms$/\1/p' "$log")
  filled=$(sed -n 's/^lists filled: \([0-9]*\) ms$/\1/p' "$log")
  resident=$(sed -n 's/^lists filled resident: \([0-9]*\) kB$/\1/p' "$log")
  [ -n "$resident" ] || resident=$(sed -n 's/^first page resident: \([0-9]*\) kB$/\1/p' "$log")
  echo "$first ${filled:-$first} $(sed -n 's/^peak \([0-9]*\)$/\1/p' "$log") ${resident:-0}"
  rm -f "$log"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

measure() {
  local name=$1
  shift
  local times=() filled=() peaks=() residents=()
  for _ in $(seq "$RUNS"); do
    read -r ms full kb resident < <(run_once "$@")
    times+=("$ms")
    filled+=("$full")
    peaks+=("$kb")
    residents+=("$resident")
  done
  printf '%-8s first page %5s ms, lists filled %5s ms (medians of %s), peak %6s KiB,' "$name" \
    "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${filled[@]}" | median)" \
    "$RUNS" "$(printf '%s\n' "${peaks[@]}" | median)"
  printf ' resident when filled %6s KiB\n' "$(printf '%s\n' "${residents[@]}" | median)"
}

run_once "$BUILD/bench/bare_browser" "$PAGE" >/dev/null  # warm the disk cache for both
measure bare "$BUILD/bench/bare_browser" "$PAGE"
measure trubkom "$BUILD/trubkom"

# Peak and present resident memory (KiB, "PEAK RESIDENT") of a program left running for
# LOADED_WAIT seconds.
peak_after_wait() {
  (cd "$CATALOGUE" && exec "$@") >/dev/null 2>&1 &
  local pid=$!
  sleep "${LOADED_WAIT:-8}"
  echo "$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB$/\1/p' "/proc/$pid/status")" \
    "$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB$/\1/p' "/proc/$pid/status")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

unset TRUBKOM_REPORT_FIRST_PAGE
for name in bare trubkom; do
  peaks=()
  residents=()
  for _ in $(seq "$RUNS"); do
    if [ "$name" = bare ]; then
      read -r peak resident < <(peak_after_wait "$BUILD/bench/bare_browser" "$PAGE")
    else
      read -r peak resident < <(peak_after_wait "$BUILD/trubkom")
    fi
    peaks+=("$peak")
    residents+=("$resident")
  done
  printf '%-8s after %ss, peak %6s KiB, resident %6s KiB (medians of %s)\n' "$name" \
    "${LOADED_WAIT:-8}" "$(printf '%s\n' "${peaks[@]}" | median)" \
    "$(printf '%s\n' "${residents[@]}" | median)" "$RUNS"
done
