#!/usr/bin/env bash
# Kills `trubkom-catalogue apply` with SIGKILL at random moments while it applies a package that
# adds, appends to, replaces and deletes many catalogue files and writes its .new marker. After
# each kill every catalogue file must hold its old or its new content (never a mix or a stump;
# the index, appended to twice, may also hold its content between the two), only the program's
# recognisable leftovers may be there (temporary files "*.trubkom-<pid>-<n>.tmp" and the journal
# updates/journal/<base name>.progress), and applying again must give exactly the catalogue of an
# uninterrupted run, with no leftover. The package is sealed with the keys the tool trusts.
#   crash_consistency_test.sh TOOL [KILLS [KEY_FOLDER]]  (KILLS empty: CRASH_KILLS, or 50 kills;
#   the demo keys)
# The moments of the kills are drawn from a seed, printed first: CRASH_SEED=<seed> draws the same
# ones again (as fractions of the uninterrupted run's duration) to replay a failure.
set -uo pipefail
tool=$(realpath "$1")
kills=${2:-${CRASH_KILLS:-50}}
keys=$(realpath "${3:-$(dirname "${BASH_SOURCE[0]}")/../../demo/keys}")
seed=${CRASH_SEED:-$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')}
RANDOM=$seed
echo "seed $seed (CRASH_SEED=$seed replays these kills)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp  # the private working folders of killed runs stay here
mkdir "$TMPDIR"

make_catalogue() {
  mkdir -p Base Pics/nokia adv/prices updates
  for i in $(seq 12); do
    { echo '<?xml version="1.0" encoding="windows-1251"?><brand>'
      for m in $(seq 300); do echo "<model><Model>B$i-$m</Model><Price>$m</Price></model>"; done
      echo '</brand>'; } >"Base/b${i}_new.xml"
  done
  for m in $(seq 400); do printf 'Nokia|M%d|48(0)|0(%d)|\r\n' "$m" "$m"; done >Base/base.tkm
  for s in $(seq 6); do
    { printf 'Shop %d\r\nshop%d.html\r\n' "$s" "$s"
      for m in $(seq 300); do printf 'Nokia M%d^%d\r\n' "$m" "$((m * s))"; done; } \
      >"adv/prices/shop$s.prc"
  done
  for p in $(seq 8); do head -c 20000 /dev/urandom >"Pics/nokia/old$p.png"; done
}

make_package_source() {
  mkdir -p pics
  : >upd070115.tkm
  for i in $(seq 12); do
    sed "s/<Price>/<Price>1/" "$1/Base/b${i}_new.xml" >"b${i}_new.xml"
    printf 'REPLACEFILE Base\\b%d_new.xml WITH b%d_new.xml\r\n' "$i" "$i" >>upd070115.tkm
  done
  for m in $(seq 100); do printf 'Nokia|N%d|48(1)|\r\n' "$m"; done >base_lines.tkm
  printf 'Nokia|X1|48(0)|\r\n' >base_lines2.tkm
  printf 'ADDTOFILE base_lines.tkm TO Base\\base.tkm\r\n' >>upd070115.tkm
  for s in $(seq 6); do
    for m in $(seq 100); do printf 'Nokia N%d^%d\r\n' "$m" "$((m + s))"; done >"p$s.prc"
    printf 'ADDTOFILE p%d.prc TO adv\\prices\\shop%d.prc\r\n' "$s" "$s" >>upd070115.tkm
  done
  for p in $(seq 10); do
    head -c 30000 /dev/urandom >"pics/new$p.png"
    printf 'ADDFILE pics\\new%d.png TO Pics\\nokia\\\r\n' "$p" >>upd070115.tkm
  done
  cp b1_new.xml lg_new.xml
  printf 'ADDFILE lg_new.xml TO Base\\\r\nADDFILE pics\\new1.png TO Pics\\lg\\\r\n' >>upd070115.tkm
  # The marker comes before the last lines: a run killed after it must still be finished.
  printf 'Nokia N1\r\nNokia N2\r\n' >upd070115.new
  printf 'ADDFILE upd070115.new TO updates\\\r\n' >>upd070115.tkm
  for p in $(seq 5); do printf 'DELETEFILE Pics\\nokia\\old%d.png\r\n' "$p" >>upd070115.tkm; done
  printf 'ADDTOFILE base_lines2.tkm TO Base\\base.tkm\r\n' >>upd070115.tkm
}

# "path<TAB>md5" of every file and link under the folder, sorted.
manifest() {
  (cd "$1" && find . \( -type f -o -type l \) -print0 | sort -z | xargs -0 -r md5sum |
    awk '{ h = $1; $1 = ""; sub(/^ +/, ""); print $0 "\t" h }')
}

apply() { (cd "$1" && exec "$tool" apply "$work/upd070115.upd" >/dev/null 2>&1); }

mkdir "$work/original" "$work/source"
(cd "$work/original" && make_catalogue)
(cd "$work/source" && make_package_source "$work/original")
"$tool" pack "$work/source" "$work/upd070115.upd" --keys "$keys" >/dev/null || { echo "pack failed"; exit 1; }

cp -a "$work/original" "$work/reference"
start=$(date +%s%N)
apply "$work/reference" || { echo "the uninterrupted apply failed"; exit 1; }
duration_us=$((($(date +%s%N) - start) / 1000))
manifest "$work/original" >"$work/old"
manifest "$work/reference" >"$work/new"
echo "uninterrupted apply: $((duration_us / 1000)) ms; $kills kills follow"

declare -A old new between
while IFS=$'\t' read -r path hash; do old[$path]=$hash; done <"$work/old"
while IFS=$'\t' read -r path hash; do new[$path]=$hash; done <"$work/new"
# The index gets two appends: between them it holds the old lines and the first ones.
between[./Base/base.tkm]=$(cat "$work/original/Base/base.tkm" "$work/source/base_lines.tkm" |
  md5sum | cut -d' ' -f1)

failures=0
untouched=0 partial=0 complete=0 leftovers=0
fail() { echo "kill $1 after ${2}us (seed $seed): $3"; failures=$((failures + 1)); }

for kill_number in $(seq "$kills"); do
  rm -rf "$work/catalogue"
  cp -a "$work/original" "$work/catalogue"
  delay_us=$(((RANDOM * 32768 + RANDOM) % (duration_us * 13 / 10 + 1)))
  (cd "$work/catalogue" && exec "$tool" apply "$work/upd070115.upd" >/dev/null 2>&1) &
  pid=$!  # the tool itself, which the subshell became
  sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null

  now=$(manifest "$work/catalogue")
  declare -A seen=()
  state_old=1 state_new=1
  while IFS=$'\t' read -r path hash; do
    [ -z "$path" ] && continue
    seen[$path]=1
    if [[ $path =~ \.trubkom-[0-9]+-[0-9]+\.tmp$ || $path == ./updates/journal/upd070115.progress ]]; then
      leftovers=$((leftovers + 1))
      continue
    fi
    [ "${old[$path]:-}" = "$hash" ] || state_old=0
    [ "${new[$path]:-}" = "$hash" ] || state_new=0
    if [ "${old[$path]:-}" != "$hash" ] && [ "${new[$path]:-}" != "$hash" ] &&
      [ "${between[$path]:-}" != "$hash" ]; then
      fail "$kill_number" "$delay_us" "$path is not a content it has in an uninterrupted run"
    fi
  done <<<"$now"
  for path in "${!old[@]}" "${!new[@]}"; do
    [ -n "${seen[$path]:-}" ] && continue
    [ -n "${old[$path]:-}" ] && state_old=0
    [ -n "${new[$path]:-}" ] && state_new=0
  done
  if [ $state_old = 1 ]; then untouched=$((untouched + 1))
  elif [ $state_new = 1 ]; then complete=$((complete + 1))
  else partial=$((partial + 1)); fi

  apply "$work/catalogue" || fail "$kill_number" "$delay_us" "applying again failed"
  if [ "$(manifest "$work/catalogue")" != "$(cat "$work/new")" ]; then
    fail "$kill_number" "$delay_us" "applying again did not give the catalogue of a whole run:"
    diff <(manifest "$work/catalogue") "$work/new" | head -5
  fi
  unset seen
done

echo "kills: $kills; the catalogue was untouched $untouched times, part-applied $partial," \
  "fully applied $complete; $leftovers leftover files seen after kills and removed by the next run"
# The kills are drawn over the uninterrupted run's duration, so many must land inside the apply;
# a sweep whose kills all came before or after it checked nothing.
if [ $((partial * 10)) -lt "$kills" ]; then
  echo "only $partial of $kills kills landed inside the apply (at least a tenth must); seed $seed"
  failures=$((failures + 1))
fi
if [ "$failures" -gt 0 ]; then
  echo "$failures failures; CRASH_SEED=$seed replays them"
  exit 1
fi
