# Sourced by shell tests and benchmarks: serves a folder over HTTP with nginx on a free loopback
# port, with the cache headers the publisher's guide gives for the update folder.
#   serve_folder ROOT WORK [LOCATIONS]
#                            sets SERVED_URL ("http://127.0.0.1:PORT/") and SERVED_PID; the
#                            access log is WORK/access.log ("request status seconds bytes");
#                            LOCATIONS: more of nginx's location blocks for the server
#   stop_serving             ends it (call it from the caller's EXIT trap)
# A test that sources this should skip when `command -v nginx` finds nothing.

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

serve_folder() {
  local root=$1 work=$2 locations=${3:-} port
  port=$(free_port)
  mkdir -p "$work"
  cat >"$work/nginx.conf" <<CONF
daemon off; master_process off; worker_processes 1; pid $work/nginx.pid; error_log $work/error.log;
events { worker_connections 64; }
http {
  log_format sent '\$request \$status \$request_time \$bytes_sent';
  access_log $work/access.log sent;
  client_body_temp_path $work/t1; proxy_temp_path $work/t2; fastcgi_temp_path $work/t3;
  uwsgi_temp_path $work/t4; scgi_temp_path $work/t5;
  server {
    listen 127.0.0.1:$port; root $root;
    location /updates/ {
      location ~ \.upd\$ { add_header Cache-Control "public, max-age=31536000, immutable"; }
      location ~ /index\.(txt|sig)\$ { add_header Cache-Control "no-cache"; }
    }
    $locations
  }
}
CONF
  touch "$work/access.log"
  nginx -e "$work/error.log" -p "$work" -c "$work/nginx.conf" &
  SERVED_PID=$!
  SERVED_URL="http://127.0.0.1:$port/"
  for _ in $(seq 100); do curl -s -o /dev/null "$SERVED_URL" && return 0; sleep 0.05; done
  echo "nginx did not start: $(cat "$work/error.log")" >&2
  return 1
}

stop_serving() {
  if [ -n "${SERVED_PID:-}" ]; then
    kill "$SERVED_PID" 2>/dev/null && wait "$SERVED_PID" 2>/dev/null
    SERVED_PID=
  fi
  return 0
}
