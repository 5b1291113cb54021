# Shared by the crawl benchmarks (sourced): one nginx of the benchmark's own,
# with a configuration of its own, started and stopped again.
#   nginx_start CONF-FOLDER LOG-FORMAT SERVERS HOST:PORT...
# writes CONF-FOLDER/nginx.conf with the given log format and server blocks,
# starts nginx (pid in nginx_pid) and waits until every HOST:PORT answers;
# the access log is CONF-FOLDER/logs/access.log. nginx_stop stops it.

nginx_pid=

listening() {  # host port
  (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

nginx_stop() {
  if [ -n "$nginx_pid" ]; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=
  fi
}

nginx_write_conf() {  # conf-folder log-format servers
  local conf=$1 user=""
  [ "$(id -u)" = 0 ] && user="user root root;"   # workers must read the site like we do
  cat >"$conf/nginx.conf" <<END
$user
worker_processes 1;
daemon off;
pid $conf/nginx.pid;
error_log $conf/logs/error.log warn;
events { worker_connections 1024; }
http {
  types { text/html html htm; text/css css; image/jpeg jpg; image/png png; image/gif gif; }
  default_type application/octet-stream;
  sendfile on;
  keepalive_requests 100000;
  log_format bench '$2';
  access_log $conf/logs/access.log bench;
  client_body_temp_path $conf/temp/body;
  proxy_temp_path $conf/temp/proxy;
  fastcgi_temp_path $conf/temp/fastcgi;
  uwsgi_temp_path $conf/temp/uwsgi;
  scgi_temp_path $conf/temp/scgi;
  $3
}
END
}

nginx_start() {  # conf-folder log-format servers host:port...
  local conf=$1 format=$2 servers=$3 address ready
  shift 3
  nginx_stop
  rm -rf "$conf"
  mkdir -p "$conf/logs" "$conf/temp"
  nginx_write_conf "$conf" "$format" "$servers"
  : >"$conf/logs/access.log"
  nginx_run "$conf" "$@"
}

nginx_run() {  # conf-folder host:port...
  local conf=$1 address ready
  shift
  "$(command -v nginx)" -p "$conf" -c "$conf/nginx.conf" -e "$conf/logs/error.log" &
  nginx_pid=$!
  for _ in $(seq 100); do
    ready=1
    for address in "$@"; do listening "${address%:*}" "${address##*:}" || ready=0; done
    [ "$ready" = 1 ] && return 0
    kill -0 "$nginx_pid" 2>/dev/null || break
    sleep 0.05
  done
  cat "$conf/logs/error.log" >&2
  echo "nginx did not start" >&2
  exit 1
}
