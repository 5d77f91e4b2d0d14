#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the bootstrapper's end-to-end module transfer cases (ModuleCdn.* in
# vigilor_e2e_tests.exe) under Wine against nginx standing in for the CDN:
#   run_bootstrapper_cdn_e2e.sh --build DIR --tests EXE --trust-ca EXE
# As in run_module_transfer_tests.sh, everything runs in a private network
# namespace (root needed) whose hosts file maps both CDN host names to
# 127.0.0.1, where nginx listens on 443 with a test-CA certificate for them;
# the Wine prefix (DIR/wineprefix-cdn-e2e) trusts that CA. The GameDev host
# alone is mapped to 127.0.0.2, where the same files are served with a
# certificate for it from an unrelated CA. The tests publish their modules
# into the document root themselves. Headless: no display.
# Every run makes a new test CA under the same name; the prefix must trust
# only the current one, or chain building may pick an old one and fail. So the
# trusted CA is kept beside the prefix and taken out again on exit, and at the
# start when an earlier run could not.
# The namespace, its hosts file, Wine's server and nginx are removed on every
# exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --tests) tests=$2; shift 2 ;;
    --trust-ca) trust_ca=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
build=$(cd "$build" && pwd)
prefix=$build/wineprefix-cdn-e2e
state=$build/bootstrapper-cdn-e2e
ns=vigilor-cdn-e2e-$$
hosts="modules.vigilor.gg modules-dev.vigilor.gg"
export VIGILOR_TEST_SERVER_LIFETIME=280

# shellcheck source=tests/servers/test_servers.sh
source "$here/test_servers.sh"
in_ns() { ip netns exec "$ns" "$@"; }
cleanup() {
  stop_servers
  if ip netns list | grep -qw "$ns"; then
    untrust_run_ca "$prefix" "$trust_ca" in_ns
    in_ns env WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    ip netns delete "$ns" || true
  fi
  rm -rf "/etc/netns/$ns"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

servers_init "$state"
pki=$state/pki

www=$state/www
mkdir -p "$www/modules" "$state/nginx/tmp"
cat >"$state/nginx/nginx.conf" <<CONF
user root;
worker_processes 1;
daemon off;
pid $state/nginx/nginx.pid;
error_log $state/nginx/error.log info;
events { worker_connections 64; }
http {
  log_format cdn_e2e escape=none '\$uri \$status inm=\$http_if_none_match';
  access_log $state/nginx/access.log cdn_e2e;
  client_body_temp_path $state/nginx/tmp/body;
  proxy_temp_path $state/nginx/tmp/proxy;
  fastcgi_temp_path $state/nginx/tmp/fastcgi;
  uwsgi_temp_path $state/nginx/tmp/uwsgi;
  scgi_temp_path $state/nginx/tmp/scgi;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:443 ssl;
    server_name $hosts;
    ssl_certificate $pki/cdn.pem;
    ssl_certificate_key $pki/cdn.key;
    root $www;
    # A CDN that takes the connection and drops it without an answer.
    location /modules/e2ecdndown { return 444; }
  }
  server {
    listen 127.0.0.2:443 ssl;
    server_name modules-dev.vigilor.gg;
    ssl_certificate $pki/rogue-cdn.pem;
    ssl_certificate_key $pki/cdn.key;
    root $www;
  }
}
CONF

ip netns add "$ns"
mkdir -p "/etc/netns/$ns"
{
  echo "127.0.0.1 localhost"
  echo "127.0.0.1 modules.vigilor.gg"
  echo "127.0.0.2 modules-dev.vigilor.gg"
} >"/etc/netns/$ns/hosts"
in_ns ip link set lo up
spawn "$state/nginx/stderr.log" ip netns exec "$ns" nginx -e "$state/nginx/error.log" -p "$state/nginx" \
  -c "$state/nginx/nginx.conf"
up=0
for _ in $(seq 100); do
  if in_ns bash -c '(exec 3<>/dev/tcp/127.0.0.1/443)' 2>/dev/null; then up=1; break; fi
  sleep 0.1
done
if [ "$up" != 1 ]; then
  echo "nginx did not come up on 127.0.0.1:443 in $ns" >&2
  cat "$state/nginx/stderr.log" "$state/nginx/error.log" >&2 2>/dev/null || true
  exit 1
fi

trust_run_ca "$prefix" "$trust_ca" "$pki/ca.pem" in_ns
in_ns env VIGILOR_TEST_CDN_WWW="$(wine_path "$www")" VIGILOR_TEST_CDN_LOG="$(wine_path "$state/nginx/access.log")" \
  "$root/scripts/wine-run" --prefix "$prefix" "$tests" --gtest_filter='ModuleCdn*'
