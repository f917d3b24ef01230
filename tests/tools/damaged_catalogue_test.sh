#!/usr/bin/env bash
# Damaged catalogues through every trubkom-catalogue command: none may abort or hang; each ends
# with the exit status and the message of the table, and no file of the catalogue changes but
# the page files (and, for apply and update, the files the package names). No case needs root:
# damage is made of folders, FIFOs, links and a file-size limit.
set -uo pipefail
tool=$1
keys=$(realpath "${2:-$(dirname "${BASH_SOURCE[0]}")/../../demo/keys}")  # those the tool trusts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program folder holds config.tkm, so the tool runs from a copy of its own.
mkdir "$work/program"
cp "$tool" "$work/program/trubkom-catalogue"
tool=$work/program/trubkom-catalogue

max=999999999999999999

# The update package of the update commands: it appends an index line, adds a picture and its
# marker.
mkdir -p "$work/package" "$work/packages"
(cd "$work/package" &&
  printf 'ADDTOFILE line.tkm TO Base\\base.tkm\r\nADDFILE n81.png TO Pics\\nokia\\\r\nADDFILE upd010307.new TO updates\\\r\n' \
    >upd010307.tkm &&
  printf 'Nokia|N81|48(0)|\r\n' >line.tkm && printf 'PNG' >n81.png && printf 'Nokia N81\r\n' >upd010307.new)
"$tool" pack "$work/package" "$work/packages/upd010307.upd" --keys "$keys" >/dev/null || exit 1
package=$work/packages/upd010307.upd

# A small sound catalogue: two brand-file models, one fully described model, one shop, one
# applied update.
make_catalogue() {
  mkdir -p Base Templates adv/prices Pics/nokia updates
  : >updates/upd150107.upd
  printf 'Nokia 1100\r\n' >updates/upd150107.new
  printf '<?xml version="1.0" encoding="windows-1251"?>\n<brand name="Nokia"><model><Model>1100</Model><Price>20</Price></model><model><Model>3310</Model></model></brand>\n' >Base/nokia_new.xml
  printf 'Nokia|N80|48(0)|0(1)|\r\n' >Base/base.tkm
  for name in model_template model_template_new compare_template price_template; do
    printf '<html><!model!><!title!><!tables!><!table1!><!price_list!><!pricetable!></html>\r\n' \
      >"Templates/$name.html"
  done
  printf 'Shop\r\nshop.html\r\nNokia 1100^100\r\n' >adv/prices/shop.prc
  rm -rf "$work/program/config.tkm"
  printf '[adv_text]\r\n{\r\nT(htmlcode)B(/htmlcode)l.html\r\n{/\r\n[/adv_text]\r\n' \
    >"$work/program/config.tkm"
}

# The damage of each case, done inside the catalogue folder.
intact() { :; }
template_folder() { rm Templates/model_template.html && mkdir Templates/model_template.html; }
template_fifo() { rm Templates/model_template_new.html && mkfifo Templates/model_template_new.html; }
template_zero() { ln -sf /dev/zero Templates/compare_template.html; }
template_mem() { ln -sf /proc/self/mem Templates/model_template.html; }
template_huge() { truncate -s 5M Templates/model_template.html; }
index_mem() { ln -sf /proc/self/mem Base/base.tkm; }
config_mem() { ln -sf /proc/self/mem "$work/program/config.tkm"; }
config_missing() { rm "$work/program/config.tkm"; }
config_unbalanced() { printf '[adv_text]\r\n{\r\nno end\r\n[adv_pagebanner]\r\n' >"$work/program/config.tkm"; }
brand_mem() { ln -sf /proc/self/mem Base/nokia_new.xml; }
brand_binary() { head -c 4096 /dev/urandom >Base/nokia_new.xml; }
brand_truncated() { head -c 80 Base/nokia_new.xml >b && mv b Base/nokia_new.xml; }
brand_deep() {
  { printf '<brand name="Nokia">'; for _ in $(seq 20000); do printf '<a>'; done; } >Base/nokia_new.xml
}
brand_entities() {
  { printf '<?xml version="1.0"?>\n<!DOCTYPE brand [<!ENTITY a "aaaaaaaaaa">'
    for i in $(seq 1 9); do printf '<!ENTITY a%d "&a%s;&a%s;&a%s;&a%s;&a%s;&a%s;&a%s;&a%s;">' \
      "$i" "$((i - 1))" "$((i - 1))" "$((i - 1))" "$((i - 1))" "$((i - 1))" "$((i - 1))" \
      "$((i - 1))" "$((i - 1))"; done
    printf ']>\n<brand><model><Model>&a9;</Model></model><model><Model>1100</Model></model></brand>\n'
  } | sed 's/&a0;/\&a;/g' >Base/nokia_new.xml
}
prices_mem() { ln -sf /proc/self/mem adv/prices/mem.prc; }
prices_fifo() { mkfifo adv/prices/pipe.prc; }
prices_huge_file() { truncate -s 65M adv/prices/huge.prc; }  # large is read, whatever its size
prices_one_long_line() {
  { printf 'Shop\nshop.html\n'; for _ in $(seq 8000); do printf 'nokia 1100^'; done; echo; } \
    >adv/prices/shop.prc
}
prices_huge() { for _ in $(seq 10); do printf 'Nokia 1100^%s\r\n' "$max"; done >>adv/prices/shop.prc; }
prices_negative() { printf 'Shop\r\ns.html\r\nNokia 1100^-%s\r\nNokia 1100^-%s\r\nNokia 1100^-1\r\n' \
  "$max" "$max" >adv/prices/shop.prc; }
index_huge_numbers() { printf 'Nokia|N80|48(99999999999999999999999)|99999999999(0)|\r\n' >Base/base.tkm; }
no_base() { rm -r Base; }
no_templates() { rm -r Templates; }
templates_file() { rm -r Templates && echo x >Templates; }
page_file_folder() { mkdir Templates/temp.html; }
working_folder_gone() { :; }  # the command runs in a folder removed after entering it
no_pics() { rm -r Pics; }
no_adv() { rm -r adv; }
no_updates() { rm -r updates; }
updates_file() { rm -r updates && echo x >updates; }
index_huge_line() { { printf 'Nokia|N80|48(0)|'; head -c 30M /dev/zero | tr '\0' '7'; printf '|\r\n'; } >Base/base.tkm; }
brand_huge_line() {
  { printf '<brand><model><Model>1100</Model><Price>'; head -c 30M /dev/zero | tr '\0' '9'
    printf '</Price></model></brand>\n'; } >Base/nokia_new.xml
}
brand_link_loop() { ln -sf nokia_new.xml Base/nokia_new.xml; }
index_link_loop() { ln -sf other.tkm Base/base.tkm && ln -s base.tkm Base/other.tkm; }
templates_link_loop() { rm -r Templates && ln -s Templates Templates; }
updates_link_loop() { ln -s . updates/loop && ln -sf upd150107.new updates/upd150107.new; }
new_models_mem() { ln -sf /proc/self/mem updates/upd150107.new; }
new_models_binary() { head -c 4096 /dev/urandom | tr -d '\r\n\0' >updates/upd150107.new; }
# The page file cannot be written: a folder without write permission, and since root writes
# there anyway, a file-size limit of 0 (set in run) for the same case.
templates_readonly() { chmod a-w Templates; }
no_room() { :; }  # no file can grow (a file-size limit of 0, set in run): a full disk
not_a_catalogue() { rm -r Base Templates; }  # a folder the tool was merely started in
# Nothing can be made in the catalogue folder. Root writes there anyway, so the case runs only
# for other users (run_table skips it for root); Templates being a file is the case that binds
# root too.
catalogue_readonly() { chmod a-w .; }

# Columns: the damage, then for each command the exit status and a text the output (standard
# output or error) must hold; a status alone means nothing may appear on standard error.
# Commands: brands | models Nokia | page Nokia 1100 | page Nokia "N80 *" |
#           compare "Nokia 1100" "Nokia N80 *" | filter "48(0)^"
not_regular="это не обычный файл"
unreadable="ошибка ввода-вывода"
broken_xml="nokia_new.xml: это не XML (байт"
# Root writes in a read-only Templates: there the page file meets the file-size limit instead.
readonly_templates="каталог нельзя изменять"
[ "$(id -u)" = 0 ] && readonly_templates="страница не записана"
table="
intact             |0 |0 1100	100 |0 |0 |0 |0 Nokia N80
template_folder    |0 |0 |0 model_template.html: $not_regular |0 |0 |0
template_fifo      |0 |0 |0 |0 model_template_new.html: $not_regular |0 |0
template_zero      |0 |0 |0 |0 |0 compare_template.html: $not_regular |0
template_mem       |0 |0 |0 model_template.html: $unreadable |0 |0 |0
template_huge      |0 |0 |0 model_template.html: файл больше 4194304 байт |0 |0 |0
index_mem          |0 base.tkm: $unreadable |0 base.tkm: $unreadable |0 base.tkm: $unreadable |1 неизвестная модель: N80 * |1 неизвестная модель: Nokia N80 * |0 base.tkm: $unreadable
config_mem         |0 |0 |0 config.tkm: $unreadable |0 config.tkm: $unreadable |0 config.tkm: $unreadable |0
config_missing     |0 |0 |0 config.tkm: нет в папке программы |0 config.tkm: нет в папке программы |0 config.tkm: нет в папке программы |0
config_unbalanced  |0 |0 |0 |0 |0 |0
brand_mem          |0 |0 nokia_new.xml: $unreadable |1 неизвестная модель: 1100 |0 nokia_new.xml: $unreadable |1 неизвестная модель: Nokia 1100 |0
brand_binary       |0 |0 $broken_xml |1 неизвестная модель: 1100 |0 $broken_xml |1 неизвестная модель: Nokia 1100 |0
brand_truncated    |0 |0 $broken_xml |1 неизвестная модель: 1100 |0 $broken_xml |1 неизвестная модель: Nokia 1100 |0
brand_deep         |0 |0 $broken_xml |1 неизвестная модель: 1100 |0 $broken_xml |1 неизвестная модель: Nokia 1100 |0
brand_entities     |0 |0 1100	100 |0 |0 |0 |0
prices_mem         |0 |0 mem.prc: $unreadable |0 mem.prc: $unreadable |0 mem.prc: $unreadable |0 mem.prc: $unreadable |0
prices_fifo        |0 |0 1100	100 |0 |0 |0 |0
prices_huge_file   |0 |0 1100	100 |0 |0 |0 |0
prices_one_long_line |0 |0 1100	0 |0 |0 |0 |0
prices_huge        |0 |0 1100	909090909090909099 |0 |0 |0 |0
prices_negative    |0 |0 1100	-666666666666666666 |0 |0 |0 |0
index_huge_numbers |0 |0 |0 |0 |0 |0
no_base            |0 |1 неизвестный производитель: Nokia |1 неизвестный производитель: Nokia |1 неизвестный производитель: Nokia |1 неизвестная модель: Nokia 1100 |0
no_templates       |0 |0 |1 каталог нельзя изменять |1 каталог нельзя изменять |1 каталог нельзя изменять |0
templates_file     |0 |0 |1 каталог нельзя изменять |1 каталог нельзя изменять |1 каталог нельзя изменять |0
page_file_folder   |0 |0 |1 страница не записана |1 страница не записана |1 страница не записана |0
working_folder_gone |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна
no_pics            |0 |0 |0 |0 |0 |0
no_adv             |0 |0 |0 |0 |0 |0
no_updates         |0 |0 |0 |0 |0 |0
updates_file       |0 |0 |0 |0 |0 |0
index_huge_line    |0 |0 |0 |0 |0 |0
brand_huge_line    |0 |0 1100	100 |0 |0 |0 |0
brand_link_loop    |0 |0 нет файла производителя Nokia |1 неизвестная модель: 1100 |0 нет файла производителя Nokia |1 неизвестная модель: Nokia 1100 |0
index_link_loop    |0 |0 |0 |1 неизвестная модель: N80 * |1 неизвестная модель: Nokia N80 * |0
templates_link_loop |0 |0 |1 каталог нельзя изменять |1 каталог нельзя изменять |1 каталог нельзя изменять |0
updates_link_loop  |0 |0 |0 |0 |0 |0
new_models_mem     |0 |0 |0 |0 |0 |0
new_models_binary  |0 |0 |0 |0 |0 |0
templates_readonly |0 |0 |1 $readonly_templates |1 $readonly_templates |1 $readonly_templates |0
not_a_catalogue    |1 не папка каталога |1 не папка каталога |1 не папка каталога |1 не папка каталога |1 не папка каталога |1 не папка каталога
"

commands=(
  "brands"
  "models Nokia"
  "page Nokia 1100"
  "page Nokia N80 *"
  "compare Nokia 1100|Nokia N80 *"
  "filter 48(0)^"
)

# The same damage through the update commands.
update_table="
intact             |0 Последнее обновление от 15.01.07 |0 Nokia 1100 |0 подпись проверена |0 |0
no_updates         |0 Обновлений не проводилось |1 в updates/ 0 списков новинок |0 |0 |0
updates_file       |0 Обновлений не проводилось |1 в updates/ 0 списков новинок |0 |1 в пути есть файл вместо папки |1 не установлен
no_pics            |0 |0 |0 |0 |0
no_base            |0 |0 |0 |0 |0
index_mem          |0 |0 |0 |1 не записаны в историю цен: каталог прочитан не целиком |1 не записаны в историю цен: каталог прочитан не целиком
index_link_loop    |0 |0 |0 |0 |0
updates_link_loop  |0 |1 в updates/ 0 списков новинок |0 |0 |0
no_room            |0 |0 |1 распаковывается не целиком |1 файл больше допустимого размера |1 не установлен
new_models_mem     |0 |1 в updates/ 0 списков новинок |0 |0 |0
new_models_binary  |0 |0 |0 |0 |0
templates_readonly |0 |0 |0 |0 |0
templates_file     |0 |0 |0 |0 |0
not_a_catalogue    |1 не папка каталога |1 не папка каталога |1 не папка каталога |1 не папка каталога |1 не папка каталога
catalogue_readonly |0 |0 |0 |1 каталог нельзя изменять |1 каталог нельзя изменять
working_folder_gone |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна |1 текущая папка недоступна
"
update_commands=(
  "last-update"
  "new-models"
  "check $package"
  "apply $package"
  "update --local $work/packages"
)
# What apply and update may change: the package's targets, the lock of the update under way,
# and the folders it creates (with their missing parents).
# The price history records the prices after the package (price_history_test checks what).
package_targets='^\./(Base/base\.tkm|Base/price_history\.tkh|Base/price_history\.inputs|Pics/nokia/n81\.png|updates/upd010307\.new|updates/update\.lock|updates/journal/upd010307\.progress) |^\./(updates|updates/journal|Pics|Pics/nokia) d$'

# Runs one command in the catalogue folder; the arguments after the command word are split at
# "|" when there is one, else the first blank.
run() {
  local folder=$1 command=$2 word rest
  word=${command%% *}
  rest=${command#* }
  local -a args=("$word")
  if [ "$command" != "$word" ]; then
    if [[ $rest == *"|"* ]]; then IFS='|' read -r -a more <<<"$rest"; else
      more=("${rest%% *}"); [ "$rest" != "${more[0]}" ] && more+=("${rest#* }"); fi
    args+=("${more[@]}")
  fi
  if [ "$damage" = working_folder_gone ]; then
    (mkdir "$folder/gone" && cd "$folder/gone" && rmdir "$folder/gone" &&
      exec timeout 20 "$tool" "${args[@]}")
  elif [ "$damage" = no_room ] ||
    { [ "$damage" = templates_readonly ] && [ "$(id -u)" = 0 ] && [[ $word == page || $word == compare ]]; }; then
    # Standard output and error go through pipes, which the limit does not cover.
    { (cd "$folder" && trap '' XFSZ && ulimit -f 0 && exec timeout 20 "$tool" "${args[@]}") \
      2>&1 1>&4 | cat >&2; } 4>&1 | cat
  else
    (cd "$folder" && exec timeout 20 "$tool" "${args[@]}")
  fi
}

# Every entry of the catalogue but the page files: folders by name, files and links with their
# size, inode, time of change and link target, so any write shows without reading a file.
snapshot() {
  (cd "$1" && find . \( -path ./Templates/temp.html -o -path ./Templates/price_temp.html \) -prune \
    -o -type d -printf '%p d\n' -o -printf '%p %y %s %i %T@ %l\n' | sort)
}

failures=0 runs=0
# run_table TABLE COMMAND...: every damage of the table through every command.
run_table() {
  local table=$1
  shift
  local -a commands=("$@")
  while IFS='|' read -r damage cells; do
    damage=${damage// /}
    [ -z "$damage" ] && continue
    IFS='|' read -r -a expected <<<"$cells"
    [ "$damage" = catalogue_readonly ] && [ "$(id -u)" = 0 ] && continue
    for i in "${!commands[@]}"; do
      case_dir=$work/case
      chmod -R u+w "$case_dir" 2>/dev/null
      rm -rf "$case_dir" && mkdir "$case_dir"
      (cd "$case_dir" && make_catalogue && "$damage")
      cell=${expected[$i]}
      cell=${cell%"${cell##*[![:space:]]}"}
      want_status=${cell%% *}
      want_text=""
      [ "$cell" != "$want_status" ] && want_text=${cell#* }
      before=$(snapshot "$case_dir")
      out=$(run "$case_dir" "${commands[$i]}" 2>"$work/stderr")
      status=$?
      err=$(cat "$work/stderr")
      after=$(snapshot "$case_dir")
      runs=$((runs + 1))
      problem=""
      [ "$status" = "$want_status" ] || problem="exit $status, expected $want_status"
      if [ -z "$want_text" ]; then
        [ -z "$err" ] || problem="$problem; unexpected standard error: $err"
      elif [[ "$out$err" != *"$want_text"* ]]; then
        problem="$problem; output lacks \"$want_text\": $out $err"
      fi
      if [[ ${commands[$i]} == apply* || ${commands[$i]} == update* ]]; then
        before=$(grep -Ev "$package_targets" <<<"$before")
        after=$(grep -Ev "$package_targets" <<<"$after")
      fi
      [ "$before" = "$after" ] || problem="$problem; catalogue changed: $(diff <(echo "$before") <(echo "$after") | head -4)"
      if [ -n "$problem" ]; then
        echo "FAIL: $damage, ${commands[$i]}: $problem" >&2
        failures=$((failures + 1))
      fi
    done
  done <<<"$table"
}

run_table "$table" "${commands[@]}"
run_table "$update_table" "${update_commands[@]}"
echo "$((runs - failures)) passed, $failures failed"
[ "$failures" = 0 ]
