#!/usr/bin/env bash
# trubkom-catalogue pack, check and apply on a copy of the demo catalogue: the package changes
# exactly what its script says; tampered, renamed and foreign packages change nothing.
# Usage: publisher_tool_test.sh TOOL DEMO_CATALOGUE
set -euo pipefail
tool=$1
demo=$2
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
# A folder as a Russian desktop names it: the status lines must name it in UTF-8 again.
work="$base/Мои документы"
mkdir "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
cp1251() { iconv -f UTF-8 -t WINDOWS-1251; }

mkdir -p "$work/payload/pics" "$work/catalogue"
printf 'PNG' >"$work/payload/pics/n9999.png"
printf 'Nokia N9999\r\n' >"$work/payload/upd010127.new"
printf 'новая строка\r\n' | cp1251 >"$work/payload/extra.txt"
printf '%s\r\n' 'ADDFILE pics\n9999.png TO Pics\nokia\' 'ADDTOFILE extra.txt TO Templates\hp' \
  'DELETEFILE Pics\noimage.jpg' 'DELETEFILE ..\..\etc\hostname' 'MESSAGE Обновление готово' \
  'ADDFILE upd010127.new TO updates\' | cp1251 >"$work/payload/upd010127.tkm"
cp -r "$demo/." "$work/catalogue/"
mkdir "$work/expected"
cp -r "$demo/." "$work/expected/"
cd "$work/catalogue"

keys="$demo/../keys"
if "$tool" pack ../payload ../upd010127.upd 2>/dev/null; then fail "pack took keys it was not given"; fi
said=$("$tool" pack ../payload ../upd010127.upd --keys "$keys")
grep -qF "ключами из $keys (открытый ключ $(cat "$keys/publisher.pub"))" <<<"$said" ||
  fail "pack does not say which key it signs with: $said"
"$tool" --version | grep -q "демонстрационным ключам" || fail "--version does not name the demo keys"
preview=$("$tool" check ../upd010127.upd) || fail "check"
grep -q '=> добавит Pics/nokia/n9999.png' <<<"$preview" || fail "check: $preview"
grep -q '=> отклонена' <<<"$preview" || fail "check does not show the refusal"
diff -r "$work/expected" . >/dev/null || fail "check changed the catalogue"

status=$("$tool" apply ../upd010127.upd) || fail "apply"
expected_status="Добавляем n9999.png в $PWD/Pics/nokia/
Удаляем $PWD/Pics/noimage.jpg
Команда отклонена: DELETEFILE ..\\..\\etc\\hostname
Обновление готово
Добавляем upd010127.new в $PWD/updates/"
[ "$status" = "$expected_status" ] || fail "status lines: $status"
cp ../payload/pics/n9999.png ../expected/Pics/nokia/n9999.png
rm ../expected/Pics/noimage.jpg
mkdir ../expected/updates && cp ../payload/upd010127.new ../expected/updates/
cat ../payload/extra.txt >>../expected/Templates/hp  # both end their lines with CR LF
# The price history gains the package's prices (price_history_test checks which).
grep -q "^010127	" Base/price_history.tkh || fail "the price history lacks the package's date"
cp Base/price_history.tkh Base/price_history.inputs ../expected/Base/
: >../expected/updates/update.lock  # the lock apply held while it worked
diff -r "$work/expected" . || fail "apply changed more or less than the script says"

"$tool" apply ../upd010127.upd 2>/dev/null | grep -q . && fail "an applied package applied again"
rm updates/upd010127.new ../expected/updates/upd010127.new

cp ../upd010127.upd ../upd311299.upd
if "$tool" apply ../upd311299.upd 2>/dev/null; then fail "a renamed package applied"; fi
cp ../upd010127.upd ../tampered && mv ../tampered ../upd010127.upd
printf '\x01' | dd of=../upd010127.upd bs=1 seek=100 conv=notrunc status=none
if "$tool" apply ../upd010127.upd 2>/dev/null; then fail "a tampered package applied"; fi
mkdir -m 777 ../shared && chmod 777 ../shared
if "$tool" keygen ../shared 2>/dev/null; then fail "keygen used a folder others may write to"; fi
[ -z "$(ls ../shared)" ] || fail "keygen left files in a folder it refused"
"$tool" keygen ../keys >/dev/null || fail "keygen"
chmod 644 ../keys/publisher.sec
said=$("$tool" pack ../payload ../other.upd --keys ../keys 2>&1 >/dev/null)
grep -q "может читать не только его владелец" <<<"$said" ||
  fail "pack is silent about a secret key others can read"
chmod 600 ../keys/publisher.sec
[ "$(stat -c %a ../keys/publisher.sec)" = 600 ] || fail "the secret key is readable by others"
"$tool" pack ../payload ../upd010127.upd --keys ../keys >/dev/null 2>&1 || fail "pack --keys"
if "$tool" apply ../upd010127.upd 2>/dev/null; then fail "another publisher's package applied"; fi
diff -r "$work/expected" . >/dev/null || fail "a refused package changed the catalogue"
echo "1 passed, 0 failed"
