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

source "$(dirname "${BASH_SOURCE[0]}")/sample_update.sh"

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
