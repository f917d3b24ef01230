#!/usr/bin/env bash
# A build trusts the demo keys only when asked for them by name: configured without keys, it
# stops and says how to give them; with a publisher's keys it builds them in and no demo note.
# Usage: configure_keys_test.sh SOURCE_TREE
set -euo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
core_only=(-G Ninja -DTRUBKOM_BUILD_APP=OFF -DTRUBKOM_BUILD_TESTS=OFF -DTRUBKOM_BUILD_BENCH=OFF)

if said=$(cmake -S "$source" -B "$work/none" "${core_only[@]}" 2>&1); then
  fail "a configure without keys went on"
fi
grep -q "No publisher keys" <<<"$said" || fail "the configure does not say what is missing: $said"

if cmake -S "$source" -B "$work/both" "${core_only[@]}" -DTRUBKOM_DEMO_KEYS=ON \
  -DTRUBKOM_PUBLIC_KEY="$source/demo/keys/publisher.pub" >/dev/null 2>&1; then
  fail "the demo keys and a publisher's key were taken together"
fi

cmake -S "$source" -B "$work/own" "${core_only[@]}" -DTRUBKOM_PUBLIC_KEY="$source/demo/keys/publisher.pub" \
  -DTRUBKOM_PACKAGE_KEY="$source/demo/keys/package.key" >/dev/null || fail "a configure with keys failed"
echo "configure refuses a build without keys"
