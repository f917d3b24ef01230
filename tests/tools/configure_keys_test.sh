#!/usr/bin/env bash
# A build trusts the demo keys only when asked for them by name: configured without keys, it
# stops and says how to give them; given the demo keys as a publisher's own, it stops; with a
# publisher's keys it builds them in and no demo note.
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

# The demo keys given as a publisher's own: the build would look released and trust keys anyone has.
if said=$(cmake -S "$source" -B "$work/demo-as-own" "${core_only[@]}" \
  -DTRUBKOM_PUBLIC_KEY="$source/demo/keys/publisher.pub" \
  -DTRUBKOM_PACKAGE_KEY="$source/demo/keys/package.key" 2>&1); then
  fail "the demo keys were taken as a publisher's own"
fi
grep -q "demo publisher's publisher.pub" <<<"$said" || fail "the configure does not say why: $said"

hex_key() { head -c 32 /dev/urandom | od -An -tx1 | tr -d ' \n'; }
hex_key >"$work/publisher.pub"
hex_key >"$work/package.key"
cmake -S "$source" -B "$work/own" "${core_only[@]}" -DTRUBKOM_PUBLIC_KEY="$work/publisher.pub" \
  -DTRUBKOM_PACKAGE_KEY="$work/package.key" >/dev/null || fail "a configure with keys failed"
grep -q '^set(CPACK_PACKAGE_NAME "trubkom")' "$work/own/CPackConfig.cmake" ||
  fail "a publisher's build does not make the package trubkom"
echo "configure refuses a build without keys or with the demo keys as its own"
