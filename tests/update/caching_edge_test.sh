#!/usr/bin/env bash
# Updates through a caching edge: varnish in front of the publisher's nginx, which serves the
# update folder with the cache headers the publisher's guide gives. The edge honours them as a
# shared cache does: packages (max-age of a year) are kept, the index and its signature
# (no-cache) are kept but revalidated with the origin on every request. Checked:
#  1. a package published and signed again after a first run reaches the next run through the
#     edge (the edge does not keep serving the old index);
#  2. a package one catalogue fetched through the edge comes to the next from the edge's cache,
#     with no request for it reaching nginx;
#  3. an edge that ignores the headers and still holds an older signed index is refused as a
#     rollback by a catalogue that has seen a newer one, and the next mirror serves.
#   caching_edge_test.sh TOOL KEY_FOLDER
# Without varnishd or nginx it says so and exits 77 (skipped). varnishd runs without its jail
# (-j none), so it works alike as root and as an ordinary user.
set -uo pipefail
tool=$(realpath "$1")
keys=$(realpath "$2")
PATH=$PATH:/usr/sbin:/sbin  # where Debian puts both, outside an ordinary user's PATH
for program in varnishd nginx curl python3; do
  command -v "$program" >/dev/null || { echo "SKIP: $program is not installed"; exit 77; }
done
source "$(dirname "${BASH_SOURCE[0]}")/../support/serve_folder.sh"

work=$(mktemp -d)
edge_pid=
cleanup() {
  [ -n "$edge_pid" ] && kill "$edge_pid" 2>/dev/null && wait "$edge_pid" 2>/dev/null
  stop_serving
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
# fail MESSAGE [FILE]: counts a failure; FILE (a run's output, a log) is shown under it.
fail() {
  echo "FAIL: $1"
  [ $# -lt 2 ] || sed 's/^/   | /' "$2"
  failures=$((failures + 1))
}

# Package upd<CODE>.upd on the origin: it adds a model to Base/base.tkm and writes its marker.
publish_package() {
  local code=$1 source="$work/source-$1"
  mkdir -p "$source"
  printf 'Nokia|E%s|48(1)|\r\n' "$code" >"$source/lines.tkm"
  printf 'Nokia E%s *\r\n' "$code" >"$source/upd$code.new"
  printf 'ADDTOFILE lines.tkm TO Base\\base.tkm\r\nADDFILE upd%s.new TO updates\\\r\n' "$code" \
    >"$source/upd$code.tkm"
  "$tool" pack "$source" "$work/origin/updates/upd$code.upd" --keys "$keys" >/dev/null ||
    { echo "pack of $code failed"; exit 1; }
}
# Signs the origin's index again, as the publisher does after uploading packages.
sign_index() {
  "$tool" index "$work/origin" --keys "$keys" >/dev/null || { echo "index failed"; exit 1; }
}
serial_of() { sed -n 's/^serial //p'; }

new_catalogue() {
  mkdir -p "$work/$1/Base" "$work/$1/updates"
  printf 'Nokia|3310|48(0)|\r\n' >"$work/$1/Base/base.tkm"
}
# update CATALOGUE SERVER...: one run, its output in $work/CATALOGUE.log; its exit status.
update() {
  local catalogue=$1 server
  shift
  local args=()
  for server; do args+=(--server "$server"); done
  (cd "$work/$catalogue" && "$tool" update "${args[@]}") >"$work/$catalogue.log" 2>&1
}
applied() { [ -e "$work/$1/updates/upd$2.new" ]; }
log_mark() { wc -l <"$work/nginx/access.log"; }
requests_since() { tail -n +"$(($1 + 1))" "$work/nginx/access.log"; }

# The edge, listening twice: "edge" honours the origin's headers; "stale" is an edge set up to
# cache the index for a day whatever the origin says, so it goes on serving an older signing.
# The Host header (with the port) keeps their copies apart.
start_edge() {
  local origin_port=$1 port stale_port
  port=$(free_port)
  stale_port=$(free_port)
  cat >"$work/edge.vcl" <<VCL
vcl 4.1;
backend origin { .host = "127.0.0.1"; .port = "$origin_port"; }
sub vcl_recv {
  if (local.socket == "stale" && req.url ~ "/index\.(txt|sig)$") {
    set req.http.X-Keep-Index = "1";
  }
}
sub vcl_backend_response {
  if (bereq.http.X-Keep-Index) {
    set beresp.ttl = 1d;
    return (deliver);
  }
  # no-cache: keep a copy, but ask the origin (with its ETag) before each use, as shared caches
  # do. Varnish never finds a copy whose TTL is 0, so it gets a millisecond. (Varnish's own
  # default keeps no copy and fetches the whole index for every request, which is fresh too.)
  if (beresp.http.Cache-Control ~ "(?i)no-cache") {
    set beresp.ttl = 1ms;
    set beresp.grace = 0s;
    set beresp.keep = 1d;
    return (deliver);
  }
}
VCL
  # -T none: no management port; only the two addresses are listened on.
  varnishd -F -j none -T none -n "$work/varnish" -f "$work/edge.vcl" -s malloc,32m \
    -a "edge=127.0.0.1:$port" -a "stale=127.0.0.1:$stale_port" >"$work/varnish.log" 2>&1 &
  edge_pid=$!
  EDGE_URL="http://127.0.0.1:$port/"
  STALE_URL="http://127.0.0.1:$stale_port/"
  # Up when both addresses answer over HTTP (any status); a VCL that does not compile ends it.
  # Compiling the VCL takes a C compiler's time, longer on a busy machine.
  for _ in $(seq 600); do
    curl -s -m 5 -o /dev/null "$EDGE_URL" && curl -s -m 5 -o /dev/null "$STALE_URL" && return 0
    kill -0 "$edge_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "varnishd did not start:"; cat "$work/varnish.log"
  exit 1
}

mkdir -p "$work/origin/updates"
publish_package 010127
sign_index
first_serial=$(serial_of <"$work/origin/updates/index.sig")
serve_folder "$work/origin" "$work/nginx" || exit 1
origin_port=${SERVED_URL##*:}
start_edge "${origin_port%/}"
# The stale edge takes its copy of the index now, while the first signing is the publisher's.
curl -s -o /dev/null "${STALE_URL}updates/index.txt" && curl -s -o /dev/null "${STALE_URL}updates/index.sig"

echo "1. A package published and signed again reaches the next run through the edge"
new_catalogue first
update first "$EDGE_URL" && applied first 010127 ||
  fail "the first run did not apply upd010127.upd; it said:" "$work/first.log"
publish_package 020127
sign_index
if ! update first "$EDGE_URL" || ! applied first 020127; then
  fail "the run after the new signing did not apply upd020127.upd; it said:" "$work/first.log"
  echo "   the edge serves serial $(curl -s "${EDGE_URL}updates/index.sig" | serial_of)," \
    "the origin has $(serial_of <"$work/origin/updates/index.sig")"
fi

echo "2. A package fetched once through the edge comes to the next catalogue from its cache"
new_catalogue second
mark=$(log_mark)
update second "$EDGE_URL" && applied second 010127 && applied second 020127 ||
  fail "a fresh catalogue's run did not apply both packages; it said:" "$work/second.log"
# The edge's copy of the index was revalidated, not fetched anew: it holds one, as case 1 needs.
requests_since "$mark" >"$work/origin-requests.log"
grep -q '^GET /updates/index.txt .* 304 ' "$work/origin-requests.log" ||
  fail "the edge did not revalidate its copy of the index; nginx had:" "$work/origin-requests.log"
! grep -q '\.upd ' "$work/origin-requests.log" ||
  fail "packages were asked of nginx again; it had:" "$work/origin-requests.log"

echo "3. An edge holding an older signed index is refused as a rollback; the next mirror serves"
stale_serial=$(curl -s "${STALE_URL}updates/index.sig" | serial_of)
[ "$stale_serial" = "$first_serial" ] ||
  fail "the stale edge does not hold the first signing (serial '$stale_serial', not $first_serial)"
publish_package 030127
sign_index
update first "$STALE_URL" "$EDGE_URL"
status=$?
rollback="${STALE_URL}: Список апдейтов отклонен: он старше уже полученного (откат); пробуем следующее зеркало"
if [ "$status" -ne 0 ] || ! grep -qF "$rollback" "$work/first.log" ||
  ! grep -qF "Список апдейтов получен с $EDGE_URL" "$work/first.log" || ! applied first 030127; then
  fail "mirrors \"stale good\": exit $status; the run must refuse the stale edge's index as a rollback,
   take the good edge's and apply upd030127.upd from it. It said:" "$work/first.log"
fi

echo "$failures failures"
[ "$failures" -eq 0 ]
