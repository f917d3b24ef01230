#!/usr/bin/env bash
# trubkom-catalogue on a copy of the demo catalogue: what it prints and the pages it writes.
set -euo pipefail
tool=$1
demo=$2
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
# A folder as a Russian desktop names it; the printed paths must name it in UTF-8.
work="$base/Мои документы/Каталог телефонов"
mkdir -p "$work"
cp -r "$demo/." "$work/"
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

expected_brands=$'Alcatel\nASUS\nBenQ-Siemens\neNOL\nFly\nLG\nMotorola\nNokia\nSamsung\nSiemens\nSony-Ericsson'
[ "$("$tool" brands)" = "$expected_brands" ] || fail "brands: $("$tool" brands | tr '\n' ' ')"

"$tool" models Nokia | grep -q $'^3310\t' || fail "models Nokia lacks 3310"
full=$("$tool" models Samsung --full-only)
[ -n "$full" ] || fail "no fully described Samsung model"
if grep -qv ' \*'$'\t' <<<"$full"; then fail "--full-only listed an unmarked model"; fi
grep -q '^SGH-' <<<"$full" || fail "Samsung models keep the index's SGH- spelling"

first=$("$tool" models Nokia | head -n 1 | cut -f 1)
page=$("$tool" page Nokia "$first")
[ "$page" = "$work/Templates/temp.html" ] || fail "page path: $page"
grep -q "Nokia $first" "$page" || fail "the page does not name the model"

marked=$(head -n 1 <<<"$full" | cut -f 1)
"$tool" page Samsung "$marked" >/dev/null
grep -q 'class="title"' Templates/temp.html || fail "the full page has no sections"

"$tool" compare "Nokia 3310" "Nokia $first" >/dev/null
[ "$(grep -c 'CompareInfoBig' Templates/temp.html)" = 2 ] || fail "compare shows two columns"

rows=$("$tool" filter '48(0)^')
last=$(tail -n 1 <<<"$rows")
count=$(($(wc -l <<<"$rows") - 1))
[ "$last" = "Подходящие модели: $count" ] || fail "filter count line: $last"
[ "$("$tool" filter '48(999)')" = "Подходящие модели: 0" ] || fail "a filter without matches counts none"
# No condition keeps every model of the index, as the wizard's "Пока не знаю" does.
all=$("$tool" filter '')
[ "$(tail -n 1 <<<"$all")" = "Подходящие модели: $(wc -l <Base/base.tkm)" ] ||
  fail "filter '' keeps every model: $(tail -n 1 <<<"$all")"

# The search prints the window's rows: the models of every brand holding each word, in any
# order, letter case and the brand's spellings ignored.
k750=$("$tool" models Sony-Ericsson | grep '^K750i')
for words in "k750" "sony k750" "ericsson K750" "K750I SONYERICSSON"; do
  # shellcheck disable=SC2086 # the words are separate arguments, as typed
  "$tool" search $words | grep -qxF "Sony-Ericsson $k750" || fail "search $words misses K750i"
done
[ -z "$("$tool" search nokia k750)" ] || fail "search nokia k750 finds a model"

# An update that could do nothing says why, and the tool's exit tells a scheduled job.
if out=$("$tool" update --server http://127.0.0.1:9/ 2>"$work/err"); then
  fail "update exits 0 with the server down"
fi
grep -q "Сервер обновлений недоступен: " <<<"$out" || fail "update does not say the server is down: $out"
grep -q "список апдейтов не получен" "$work/err" || fail "update says nothing on standard error"
mkdir "$work/empty"
out=$("$tool" update --local "$work/empty") || fail "update of an empty folder failed"
[ "$out" = "В папке нет новых пакетов" ] || fail "update of an empty folder: $out"

if "$tool" nonsense 2>/dev/null; then fail "a wrong command succeeds"; fi

# The tool's answers, on a copy whose index spells a brand otherwise than the brand files: its
# box shows "SonyEricsson", and the brand files' spelling "Sony-Ericsson" lists models all the
# same. Columns: exit status, the stream that must hold the text (out or err), the text, then
# the arguments.
spelling="$base/spelling"
mkdir -p "$spelling"
cp -r "$demo/." "$spelling/"
sed -i 's/^Sony-Ericsson|/SonyEricsson|/' "$spelling/Base/base.tkm"
cd "$spelling"
"$tool" brands | grep -qx SonyEricsson || fail "the copy's box does not show SonyEricsson"
answers="
0|out|Использование: trubkom-catalogue|help
0|out|Использование: trubkom-catalogue|-h
0|out|URLMESSAGE ТЕКСТ URL АДРЕС|--help
0|out|J100i|models|Sony-Ericsson
0|out|J100i *|models|SonyEricsson
0|out|$spelling/Templates/temp.html|page|Sony-Ericsson|J100i
1|err|неизвестный производитель: Nosuch|models|Nosuch
1|err|неизвестный производитель: Nosuch|page|Nosuch|J100i
1|err|неизвестная модель: Nokia Nosuch|compare|Nokia 3310|Nokia Nosuch
1|err|неизвестная модель: Nokia|compare|Nokia
0|out|$spelling/Templates/temp.html|compare|SonyEricsson J100i *|Nokia 3310
2|err|Использование: trubkom-catalogue|nonsense
"
while IFS='|' read -r status stream text args; do
  [ -n "$status" ] || continue
  IFS='|' read -ra argv <<<"$args"
  set +e
  "$tool" "${argv[@]}" >"$base/out" 2>"$base/err"
  got=$?
  set -e
  [ "$got" = "$status" ] || fail "${argv[*]}: exit $got, not $status: $(cat "$base/err")"
  grep -qF -- "$text" "$base/$stream" || fail "${argv[*]}: standard $stream lacks '$text'"
done <<<"$answers"
echo "1 passed, 0 failed"
