# Sourced by the update tests that break runs on purpose: a catalogue of brand files, an index,
# shop price lists and pictures, and the source of a package that replaces, appends to, adds and
# deletes many of its files and writes its .new marker before its last lines.
#   make_catalogue              in the current folder
#   make_package_source ORIGINAL   in the current folder, from the catalogue ORIGINAL
#   manifest FOLDER             "path<TAB>md5" of every file and link under FOLDER, sorted (the
#                               price inputs' stamp left out)

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
# The price inputs' stamp is left out: it records files' inodes and times, never the same in two
# copies, and is only a saving (a stamp missing or stale prices the models again).
manifest() {
  (cd "$1" && find . \( -type f -o -type l \) ! -name price_history.inputs -print0 | sort -z |
    xargs -0 -r md5sum |
    awk '{ h = $1; $1 = ""; sub(/^ +/, ""); print $0 "\t" h }')
}
