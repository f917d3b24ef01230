#!/usr/bin/env bash
# The Debian package as a user gets it: made with cpack from the build folder, passed by lintian
# with no error and no warning, unpacked into a scratch root and started there under the test's
# display against a fresh $XDG_DATA_HOME, in a folder that holds no catalogue. The program must
# copy the demo catalogue it comes with into $XDG_DATA_HOME/trubkom/catalogue and show that
# catalogue's start page.
#   tests/packaging/debian_package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not make the package"
fi
# A demo build's package is trubkom-demo, a publisher's trubkom; each replaces the other.
if grep -q '^TRUBKOM_DEMO_KEYS:BOOL=ON$' "$build/CMakeCache.txt"; then
  demo=1 name=trubkom-demo other=trubkom
else
  demo=0 name=trubkom other=trubkom-demo
fi
deb=$(echo "$work"/package/${name}_*.deb)
[ -f "$deb" ] || fail "no ${name}_*.deb made"

# The control fields a user and the archive see.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = $name ] || fail "package name: $(field Package)"
[ "$(field Conflicts)" = $other ] && [ "$(field Replaces)" = $other ] ||
  fail "does not replace $other: $(field Conflicts) / $(field Replaces)"
case "$(field Section)" in misc | utils) ;; *) fail "section: $(field Section)" ;; esac
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "maintainer: $(field Maintainer)"
[[ "$(field Depends)" == *libqt6webenginewidgets6* ]] || fail "dependencies not computed: $(field Depends)"
[ "$(field Description | wc -l)" -gt 3 ] || fail "no extended description"
demo_said=$(field Description | grep -c "demo publisher's keys" || true)
if [ $demo = 1 ]; then
  [ "$demo_said" -gt 0 ] || fail "a demo build's description does not say it trusts the demo keys"
else
  [ "$demo_said" -eq 0 ] || fail "the description speaks of demo keys the build does not trust"
fi

# Every folder 0755, everything owned by root; the documentation where Debian has it.
listing=$(dpkg-deb --contents "$deb")
if grep -v '^drwxr-xr-x root/root ' <<<"$listing" | grep -q '^d'; then
  fail "folders other than 0755 root/root: $(grep '^d' <<<"$listing" | grep -v '^drwxr-xr-x root/root ')"
fi
for file in ./usr/bin/trubkom ./usr/bin/trubkom-catalogue ./usr/share/doc/$name/copyright \
  ./usr/share/doc/$name/changelog.gz ./usr/share/applications/ru.trubkom.Trubkom.desktop \
  ./usr/share/metainfo/ru.trubkom.Trubkom.metainfo.xml ./usr/share/trubkom/config.tkm \
  ./usr/share/man/man1/trubkom.1.gz ./usr/share/man/man1/trubkom-catalogue.1.gz \
  ./usr/share/icons/hicolor/48x48/apps/ru.trubkom.Trubkom.png \
  ./usr/share/icons/hicolor/scalable/apps/ru.trubkom.Trubkom.svg; do
  grep -q " $file\$" <<<"$listing" || fail "$file is not in the package"
done

# lintian: no error and no warning (its information lines may stay).
if ! lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log" >&2
  fail "lintian"
fi

dpkg-deb -x "$deb" "$work/root"
for program in trubkom trubkom-catalogue; do
  file "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done

# The first start of the unpacked program, as from the desktop's menu: in the home folder.
mkdir -p "$work/home"
status=0
(cd "$work/home" && env HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  TRUBKOM_REPORT_FIRST_PAGE=quit \
  timeout 120 "$work/root/usr/bin/trubkom" >"$work/start.log" 2>&1) || status=$?
[ "$status" -eq 0 ] || { cat "$work/start.log" >&2; fail "the program ended with status $status"; }
catalogue=$work/data/trubkom/catalogue
diff -r "$work/root/usr/share/trubkom/catalogue" "$catalogue" >/dev/null ||
  fail "$catalogue is not a copy of the demo catalogue that came with the program"
grep -q "^first page shown: file://$catalogue/Templates/index.html" "$work/start.log" || {
  cat "$work/start.log" >&2
  fail "the start page of $catalogue was not shown"
}
# A demo build's packages come with it, and its tool applies them to the catalogue just copied.
if [ $demo = 1 ]; then
  (cd "$catalogue" && "$work/root/usr/bin/trubkom-catalogue" apply \
    "$work/root/usr/share/trubkom/demo-updates"/*.upd >"$work/apply.log" 2>&1) || {
    cat "$work/apply.log" >&2
    fail "the demo packages that come with the program do not apply"
  }
fi
echo "$name $(field Version): $(basename "$deb") passes"
