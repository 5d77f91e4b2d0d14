#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Loopback test servers for the HTTP tests; source this file, then call:
#   servers_init STATE_DIR        fresh state folder and test certificates
#   start_cdn WWW_DIR             nginx over HTTPS serving WWW_DIR (test CA), and
#                                 a second server with a certificate from an
#                                 unrelated CA; sets CDN_PORT and ROGUE_PORT
#   start_misbehaving             misbehaving_server.py; sets MISBEHAVING_PORT
#                                 and PROXIED_PORT (see that script)
#   start_proxy                   tinyproxy as an HTTP proxy (CONNECT allowed)
#                                 whose outgoing connections come from
#                                 127.0.0.2; sets PROXY_PORT
#   stop_servers                  stops every server started above
# The CDN under its real host names, for the transfer tests and the benchmark
# (root needed): a private network namespace whose hosts file maps the names
# to loopback addresses, nginx inside it on port 443, and Wine run inside it
# too, since its wineserver owns the sockets:
#   ns_start NS "ADDRESS NAME..."...   the namespace, its hosts file, loopback up
#   nginx_conf_head                   prints the common head of an nginx.conf for
#                                     $STATE/nginx, up to inside "http {"; the
#                                     caller adds access_log, servers and "}"
#   ns_start_nginx NS                 nginx with $STATE/nginx/nginx.conf in NS;
#                                     waits until 127.0.0.1:443 accepts
#   ns_stop NS PREFIX                 the prefix's wineserver in NS, then NS and
#                                     its hosts file; safe when NS is gone
# Every server binds 127.0.0.1 on a free port and runs under `timeout`
# (VIGILOR_TEST_SERVER_LIFETIME seconds, default 600), so none outlives a
# crashed test run. Certificates: $STATE/pki (see make_test_pki.sh).
SERVERS_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
STATE=
SERVER_PIDS=()

# The test runners' arguments, "--build DIR --tests EXE --trust-ca EXE", into
# build (absolute), tests and trust_ca.
read_run_arguments() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --build) build=$2; shift 2 ;;
      --tests) tests=$2; shift 2 ;;
      --trust-ca) trust_ca=$2; shift 2 ;;
      *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
  done
  build=$(cd "${build:?--build is required}" && pwd)
}

# The Windows path of a host path, for programs run under Wine.
wine_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# The run's test CA in a Wine prefix's Root store. Each run makes a new CA; an
# older one left trusted would now and then be picked for the chain, so the
# trusted copy is kept beside the prefix and removed again on exit (and at the
# next start when a run could not). An optional command (e.g. the namespace's
# "ip netns exec NS") runs Wine where the tests run it.
trust_run_ca() {  # prefix trust-ca.exe ca.pem [command...]
  local prefix=$1 tool=$2 pem=$3
  shift 3
  untrust_run_ca "$prefix" "$tool" "$@"
  cp "$pem" "$prefix.trusted-ca.pem"
  "$@" "$SERVERS_HERE/../../scripts/wine-run" --prefix "$prefix" "$tool" "$(wine_path "$prefix.trusted-ca.pem")"
}
untrust_run_ca() {  # prefix trust-ca.exe [command...]
  local prefix=$1 tool=$2
  shift 2
  [ -f "$prefix.trusted-ca.pem" ] || return 0
  "$@" "$SERVERS_HERE/../../scripts/wine-run" --prefix "$prefix" "$tool" --remove \
    "$(wine_path "$prefix.trusted-ca.pem")" || true
  rm -f "$prefix.trusted-ca.pem"
}

servers_init() {
  STATE=${1:?servers_init needs a state folder}
  rm -rf "$STATE"
  mkdir -p "$STATE"
  STATE=$(cd "$STATE" && pwd)  # nginx resolves relative paths against its prefix
  mkdir -p "$STATE/nginx/tmp"
  "$SERVERS_HERE/make_test_pki.sh" "$STATE/pki"
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Waits until something accepts on 127.0.0.1:$1, at most 10 s; fails if the
# server with pid $2 has exited.
wait_for_port() {
  local i
  for i in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; then return 0; fi
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Runs "$@" in the background under timeout and records its pid in $LAST_PID.
spawn() {
  local log=$1
  shift
  timeout "${VIGILOR_TEST_SERVER_LIFETIME:-600}" "$@" >"$log" 2>&1 &
  LAST_PID=$!
  SERVER_PIDS+=("$LAST_PID")
  echo "$LAST_PID" >>"$STATE/pids"
}

nginx_conf_head() {
  local dir=$STATE/nginx
  # Workers keep the caller's identity so they can read the build tree.
  [ "$(id -u)" = 0 ] && echo "user root;"
  cat <<CONF
worker_processes 1;
daemon off;
pid $dir/nginx.pid;
error_log $dir/error.log info;
events { worker_connections 64; }
http {
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
  default_type application/octet-stream;
CONF
}

write_cdn_config() {  # www port rogue_port
  local dir=$STATE/nginx
  {
    nginx_conf_head
    cat <<CONF
  access_log $dir/access.log;
  server {
    listen 127.0.0.1:$2 ssl;
    server_name localhost;
    ssl_certificate $STATE/pki/localhost.pem;
    ssl_certificate_key $STATE/pki/localhost.key;
    root $1;
  }
  server {
    listen 127.0.0.1:$3 ssl;
    server_name localhost;
    ssl_certificate $STATE/pki/rogue-localhost.pem;
    ssl_certificate_key $STATE/pki/rogue-localhost.key;
    root $1;
  }
}
CONF
  } >"$dir/nginx.conf"
}

start_cdn() {
  local www attempt
  www=$(cd "$1" && pwd)
  for attempt in 1 2 3; do
    CDN_PORT=$(free_port)
    ROGUE_PORT=$(free_port)
    write_cdn_config "$www" "$CDN_PORT" "$ROGUE_PORT"
    spawn "$STATE/nginx/stderr.log" nginx -e "$STATE/nginx/error.log" -p "$STATE/nginx" -c "$STATE/nginx/nginx.conf"
    wait_for_port "$CDN_PORT" "$LAST_PID" && wait_for_port "$ROGUE_PORT" "$LAST_PID" && return 0
    kill "$LAST_PID" 2>/dev/null || true  # a port was taken meanwhile: try others
  done
  echo "start_cdn: nginx did not start" >&2
  cat "$STATE/nginx/error.log" >&2 || true
  return 1
}

start_misbehaving() {
  local i
  spawn "$STATE/misbehaving.log" python3 "$SERVERS_HERE/misbehaving_server.py" --cert "$STATE/pki/localhost.pem" \
    --key "$STATE/pki/localhost.key" --port-file "$STATE/misbehaving.ports" --lifetime "${VIGILOR_TEST_SERVER_LIFETIME:-600}"
  for i in $(seq 100); do
    [ -f "$STATE/misbehaving.ports" ] && break
    sleep 0.1
  done
  read -r MISBEHAVING_PORT PROXIED_PORT <"$STATE/misbehaving.ports" || {
    echo "start_misbehaving: server did not start" >&2
    return 1
  }
}

start_proxy() {
  local attempt
  for attempt in 1 2 3; do
    PROXY_PORT=$(free_port)
    cat >"$STATE/tinyproxy.conf" <<CONF
Port $PROXY_PORT
Listen 127.0.0.1
Bind 127.0.0.2
Timeout 30
MaxClients 16
Allow 127.0.0.1
LogLevel Info
PidFile "$STATE/tinyproxy.pid"
CONF
    spawn "$STATE/tinyproxy.log" tinyproxy -d -c "$STATE/tinyproxy.conf"
    wait_for_port "$PROXY_PORT" "$LAST_PID" && return 0
    kill "$LAST_PID" 2>/dev/null || true
  done
  echo "start_proxy: tinyproxy did not start" >&2
  return 1
}

ns_start() {  # ns "address names"...
  local ns=$1 line
  shift
  ip netns add "$ns"
  mkdir -p "/etc/netns/$ns"
  {
    echo "127.0.0.1 localhost"
    for line in "$@"; do echo "$line"; done
  } >"/etc/netns/$ns/hosts"
  ip netns exec "$ns" ip link set lo up
}

ns_start_nginx() {  # ns
  local i
  spawn "$STATE/nginx/stderr.log" ip netns exec "$1" nginx -e "$STATE/nginx/error.log" -p "$STATE/nginx" \
    -c "$STATE/nginx/nginx.conf"
  for i in $(seq 100); do
    ip netns exec "$1" bash -c '(exec 3<>/dev/tcp/127.0.0.1/443)' 2>/dev/null && return 0
    kill -0 "$LAST_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "nginx did not come up on 127.0.0.1:443 in $1" >&2
  cat "$STATE/nginx/stderr.log" "$STATE/nginx/error.log" >&2 2>/dev/null || true
  return 1
}

ns_stop() {  # ns prefix
  if ip netns list | grep -qw "$1"; then
    ip netns exec "$1" env WINEPREFIX="$2" wineserver -k 2>/dev/null || true
    ip netns delete "$1" || true
  fi
  rm -rf "/etc/netns/$1"
}

stop_servers() {
  local pid
  for pid in "${SERVER_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${SERVER_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  SERVER_PIDS=()
}
