#!/usr/bin/env bash
# Disk faults injected into `trubkom-catalogue apply` and `update` (from nginx) with fiu-run:
# EIO and ENOSPC from open, write, fsync and rename, and short writes, at seeded random points.
# A run that met a fault either finished the work or failed (exit 1): a run that exits 0 must
# leave the catalogue of an uninterrupted run, never one with a package said installed that is
# not. Then a clean run must give exactly that catalogue. FAULT_RUNS runs (30 unless told; CI
# runs 200), half apply, half update; the seed is printed first and FAULT_SEED replays it.
# libfiu wraps open, write, fsync and rename but not their *at forms: the writes beneath the
# catalogue folder meet faults through write and fsync, their opens and renames through the
# package's temporary folder and the price history.
#   disk_fault_test.sh TOOL KEY_FOLDER
set -uo pipefail
tool=$(realpath "$1")
keys=$(realpath "$2")
runs=${FAULT_RUNS:-30}
here=$(dirname "${BASH_SOURCE[0]}")
if ! command -v fiu-run >/dev/null || ! command -v nginx >/dev/null; then
  echo "fiu-run or nginx is not installed"
  exit 77
fi
# The fault injector is a preloaded library, which the address sanitizer's runtime must precede.
if ldd "$tool" | grep -q libasan; then
  echo "skipped: the fault injector does not run beside the address sanitizer"
  exit 77
fi
seed=${FAULT_SEED:-$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')}
RANDOM=$seed
echo "seed $seed (FAULT_SEED=$seed replays these runs)"
work=$(mktemp -d)
source "$here/sample_update.sh"
source "$here/../support/serve_folder.sh"
trap 'stop_serving; rm -rf "$work"' EXIT
export TMPDIR=$work/tmp  # the private folders of failed runs stay here, not in /tmp
mkdir "$TMPDIR"

# The catalogue, a big package and a small newer one, served signed as a publisher serves them.
mkdir -p "$work/original" "$work/source" "$work/small" "$work/server/updates"
(cd "$work/original" && make_catalogue)
(cd "$work/source" && make_package_source "$work/original")
(cd "$work/small" && printf 'Nokia|Z1|48(2)|\r\n' >z.tkm && printf 'Nokia Z1\r\n' >upd080115.new &&
  printf 'ADDTOFILE z.tkm TO Base\\base.tkm\r\nADDFILE upd080115.new TO updates\\\r\n' >upd.tkm)
packages=("$work/server/updates/upd070115.upd" "$work/server/updates/upd080115.upd")
{ "$tool" pack "$work/source" "${packages[0]}" --keys "$keys" &&
  "$tool" pack "$work/small" "${packages[1]}" --keys "$keys" &&
  "$tool" index "$work/server" --keys "$keys"; } >/dev/null || { echo "packing failed"; exit 1; }
serve_folder "$work/server" "$work/nginx" || exit 1

run_apply() { "$tool" apply "${packages[@]}"; }
run_update() { "$tool" update --server "$SERVED_URL"; }

# What each kind of run gives uninterrupted: the catalogue without its updates/ folder, whose
# downloads and records differ between apply and update, plus the package markers.
outcome() {
  manifest "$1" | grep -v '^./updates/' || true
  (cd "$1" && ls updates/*.new 2>/dev/null)
}
declare -A reference
for kind in apply update; do
  rm -rf "$work/catalogue" && cp -a "$work/original" "$work/catalogue"
  (cd "$work/catalogue" && "run_$kind" >/dev/null 2>&1) || { echo "an uninterrupted $kind failed"; exit 1; }
  reference[$kind]=$(outcome "$work/catalogue")
done

points=(posix/io/oc/open posix/io/rw/write posix/io/rw/write/reduce posix/io/sync/fsync
  posix/io/dir/rename)
errors=(5 28)  # EIO, ENOSPC
failures=0 faulted=0 finished=0
for run in $(seq "$runs"); do
  kind=$([ $((run % 2)) = 1 ] && echo apply || echo update)
  point=${points[RANDOM % ${#points[@]}]}
  errno=${errors[RANDOM % ${#errors[@]}]}
  probability=0.$(printf '%03d' $((RANDOM % 200 + 5)))
  what="run $run ($kind, $point errno $errno at $probability, seed $seed)"
  rm -rf "$work/catalogue" && cp -a "$work/original" "$work/catalogue"
  (cd "$work/catalogue" && FIU_PRNG_SEED=$((seed + run)) fiu-run -x \
    -c "enable_random name=$point,probability=$probability,failinfo=$errno" \
    "$tool" "$kind" $([ "$kind" = update ] && echo --server "$SERVED_URL" || echo "${packages[@]}") \
    >"$work/faulted.log" 2>&1)
  status=$?
  if [ "$status" = 0 ]; then
    finished=$((finished + 1))
    if [ "$(outcome "$work/catalogue")" != "${reference[$kind]}" ]; then
      echo "$what: said done, but the catalogue is not that of an uninterrupted run:"
      diff <(outcome "$work/catalogue") <(echo "${reference[$kind]}") | head -5
      failures=$((failures + 1))
    fi
  elif [ "$status" = 1 ]; then
    faulted=$((faulted + 1))
  else
    echo "$what: ended with status $status:" && tail -3 "$work/faulted.log"
    failures=$((failures + 1))
  fi
  (cd "$work/catalogue" && "run_$kind" >"$work/clean.log" 2>&1) || {
    echo "$what: the clean run after it failed:" && tail -3 "$work/clean.log"
    failures=$((failures + 1))
  }
  if [ "$(outcome "$work/catalogue")" != "${reference[$kind]}" ]; then
    echo "$what: the clean run after it did not give the catalogue of an uninterrupted run:"
    [ -n "${FAULT_VERBOSE:-}" ] && cat "$work/faulted.log"
    diff <(outcome "$work/catalogue") <(echo "${reference[$kind]}") | head -5
    failures=$((failures + 1))
  fi
done

echo "$runs runs with faults: $faulted failed and said so, $finished finished; $failures failures"
# The probabilities are drawn so that most runs meet a fault; a sweep that met none checked little.
if [ $((faulted * 4)) -lt "$runs" ]; then
  echo "only $faulted of $runs runs met a fault they failed on (at least a quarter must)"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
