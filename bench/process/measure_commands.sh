#!/usr/bin/env bash
# The tool's commands as a user runs them (brands, filter, models, page, prices, compare, search
# for a word in every brand's name, "b"), on synthetic catalogues of 1, 4, 8 and 16 times the
# large one of the benchmarks, each run interleaved with its floor: cat of the files the command
# reads (found with strace), into /dev/null, started the same way. Prints, for each command and
# size, the median time of RUNS runs, the floor's, their ratio, and the command's peak resident
# memory against the bytes it reads; then how each command grows from 8 to 16 times.
#   bench/process/measure_commands.sh BUILD_DIR [RUNS] [SCALES]
# SCALES is a list such as "1 4 8 16" (the default). Needs strace and GNU time.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${2:-5}
SCALES=${3:-"1 4 8 16"}
TOOL="$BUILD/trubkom-catalogue"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
now_ns() { date +%s%N; }

# The catalogue of SCALE times the large one: brands' models, price lists and index lines all
# grow SCALE times.
make_catalogue() {
  local scale=$1 folder="$WORK/x$1"
  mkdir -p "$folder"
  "$BUILD/bench/make_synthetic_catalogue" "$folder" $((1000 * scale)) $((200 * scale)) 5000 \
    $((100000 * scale)) >/dev/null
  cp -r "$ROOT/demo/catalogue/Templates" "$folder/"
}

# The regular files of the catalogue the command opens, found by tracing it once.
files_read() {
  local folder=$1
  shift
  (cd "$folder" && strace -f -qq -e trace=openat -o "$WORK/trace" "$TOOL" "$@" >/dev/null 2>&1) || true
  grep -v -e ENOENT -e O_DIRECTORY -e O_WRONLY -e O_RDWR "$WORK/trace" |
    grep -o "\"$folder/[^\"]*\"" | tr -d '"' | sort -u |
    while read -r file; do [ -f "$file" ] && echo "$file"; done
}

# Runs the command; prints "NANOSECONDS PEAK_KILOBYTES".
time_command() {
  local folder=$1 start
  shift
  start=$(now_ns)
  (cd "$folder" && /usr/bin/time -o "$WORK/peak" -f '%M' "$TOOL" "$@" >/dev/null 2>&1)
  echo "$(($(now_ns) - start)) $(cat "$WORK/peak")"
}

# The floor is started the way the command is, in a subshell under GNU time, so that the ratio
# compares the work and not how each is launched.
time_cat() {
  local folder=$1 start
  shift
  start=$(now_ns)
  (cd "$folder" && /usr/bin/time -o "$WORK/peak" -f '%M' cat "$@" >/dev/null 2>&1)
  echo $(($(now_ns) - start))
}

declare -A median_ms
printf '%-7s %5s %10s %10s %7s %10s %9s %9s\n' command scale "ms" "cat ms" ratio "input MB" "peak MB" "peak/in"
for scale in $SCALES; do
  make_catalogue "$scale"
  folder="$WORK/x$scale"
  model=$(cd "$folder" && "$TOOL" models Nokia | awk -F"\t" "NR == 1 { print \$1 }")
  second=$(cd "$folder" && "$TOOL" models Nokia | awk -F"\t" "NR == 2 { print \$1 }")
  for command in brands filter models page prices compare search; do
    case $command in
      brands) args=(brands) ;;
      filter) args=(filter "48(0)^12(0-125)^") ;;
      models) args=(models Nokia) ;;
      page) args=(page Nokia "$model") ;;
      prices) args=(prices Nokia "$model") ;;
      compare) args=(compare "Nokia $model" "Nokia $second") ;;
      search) args=(search b) ;;
    esac
    mapfile -t files < <(files_read "$folder" "${args[@]}")
    input=$(cat "${files[@]}" | wc -c)
    times=() floors=() peaks=()
    time_command "$folder" "${args[@]}" >/dev/null  # the page cache warmed for both
    for _ in $(seq "$RUNS"); do
      read -r ns kb < <(time_command "$folder" "${args[@]}")
      times+=("$ns") peaks+=("$kb")
      floors+=("$(time_cat "$folder" "${files[@]}")")
    done
    t=$(printf '%s\n' "${times[@]}" | median)
    f=$(printf '%s\n' "${floors[@]}" | median)
    p=$(printf '%s\n' "${peaks[@]}" | median)
    median_ms[$command,$scale]=$(awk -v t="$t" 'BEGIN { printf "%.1f", t / 1e6 }')
    awk -v c="$command" -v s="$scale" -v t="$t" -v f="$f" -v i="$input" -v p="$p" 'BEGIN {
      printf "%-7s %4sx %10.1f %10.1f %6.2fx %10.1f %9.1f %8.2fx\n", c, s, t / 1e6, f / 1e6, t / f,
        i / 1048576, p / 1024, p * 1024 / i }'
  done
  rm -rf "$folder"
done
if [[ " $SCALES " == *" 8 "* && " $SCALES " == *" 16 "* ]]; then
  for command in brands filter models page prices compare search; do
    awk -v c="$command" -v a="${median_ms[$command,16]}" -v b="${median_ms[$command,8]}" \
      'BEGIN { printf "%-7s time at 16x / time at 8x: %.2f\n", c, a / b }'
  done
fi
