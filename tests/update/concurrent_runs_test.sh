#!/usr/bin/env bash
# Two updates of one catalogue started together, tool and tool or tool and apply: the second
# waits for the first (an exclusive lock on updates/update.lock) and then finds the package
# applied, so the catalogue ends as after one run; without the lock both would append the
# package's lines. CONCURRENT_TRIALS trials of each pair (20 unless told; CI runs 100).
#   concurrent_runs_test.sh TOOL KEY_FOLDER
set -uo pipefail
tool=$(realpath "$1")
keys=$(realpath "$2")
trials=${CONCURRENT_TRIALS:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_catalogue() {
  mkdir -p Base updates
  for m in $(seq 200); do printf 'Nokia|M%d|48(0)|\r\n' "$m"; done >Base/base.tkm
}

mkdir -p "$work/source" "$work/packages" "$work/original"
(cd "$work/source" &&
  for m in $(seq 50); do printf 'Nokia|N%d|48(1)|\r\n' "$m"; done >lines.tkm &&
  printf 'Nokia N1 *\r\n' >upd010127.new &&
  printf 'ADDTOFILE lines.tkm TO Base\\base.tkm\r\nADDFILE upd010127.new TO updates\\\r\n' >upd.tkm)
"$tool" pack "$work/source" "$work/packages/upd010127.upd" --keys "$keys" >/dev/null ||
  { echo "pack failed"; exit 1; }
(cd "$work/original" && make_catalogue)

# "path<TAB>md5" of every file, sorted; the price inputs' stamp (inodes and times) left out.
manifest() {
  (cd "$1" && find . -type f ! -name price_history.inputs -print0 | sort -z | xargs -0 -r md5sum)
}

cp -a "$work/original" "$work/reference"
(cd "$work/reference" && "$tool" update --local "$work/packages" >/dev/null 2>&1) ||
  { echo "one run alone failed"; exit 1; }
reference=$(manifest "$work/reference")

update() { "$tool" update --local "$work/packages" --wait 60; }
apply() { "$tool" apply --wait 60 "$work/packages/upd010127.upd"; }

failures=0
for pair in "update update" "update apply"; do
  read -r first second <<<"$pair"
  for trial in $(seq "$trials"); do
    rm -rf "$work/catalogue"
    cp -a "$work/original" "$work/catalogue"
    (cd "$work/catalogue" && $first >"$work/first.log" 2>&1) &
    one=$!
    (cd "$work/catalogue" && $second >"$work/second.log" 2>&1) &
    two=$!
    wait "$one" || { echo "$pair, trial $trial: the first failed:"; cat "$work/first.log"; failures=$((failures + 1)); }
    wait "$two" || { echo "$pair, trial $trial: the second failed:"; cat "$work/second.log"; failures=$((failures + 1)); }
    if [ "$(manifest "$work/catalogue")" != "$reference" ]; then
      echo "$pair, trial $trial: the catalogue is not that of one run:"
      diff <(manifest "$work/catalogue") <(echo "$reference") | head -5
      failures=$((failures + 1))
    fi
  done
done

# A run that finds another under way and is told not to wait says so and fails.
(cd "$work/catalogue" && exec 9>updates/update.lock && flock 9 &&
  "$tool" update --local "$work/packages" >"$work/busy.log" 2>&1)
status=$?
if [ "$status" -ne 1 ] || ! grep -q "Каталог уже обновляется" "$work/busy.log"; then
  echo "a run beside another: exit $status, said: $(cat "$work/busy.log")"
  failures=$((failures + 1))
fi

echo "$trials trials of each pair; $failures failures"
[ "$failures" -eq 0 ]
