#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the module transfer tests (ModuleTransferOverCdn.*) under Wine against
# nginx standing in for the CDN under its real host names:
#   run_module_transfer_tests.sh --build DIR --tests EXE --trust-ca EXE
# The transfer only accepts URLs on the CDN hosts, so the test runs in a
# private network namespace (root needed) whose hosts file maps both CDN
# host names to 127.0.0.1, with nginx on 127.0.0.1:443 holding a certificate
# for them from the test CA. Wine runs inside the namespace too, with its own
# prefix (DIR/wineprefix-cdn) and its own wineserver, which owns the sockets.
# The namespace, its hosts file and the servers are removed on every exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=tests/servers/test_servers.sh
source "$here/test_servers.sh"
read_run_arguments "$@"
prefix=$build/wineprefix-cdn
state=$build/module-cdn-servers
ns=vigilor-cdn-$$
hosts="modules.vigilor.gg modules-dev.vigilor.gg"
export VIGILOR_TEST_SERVER_LIFETIME=240

in_ns() { ip netns exec "$ns" "$@"; }
cleanup() {
  stop_servers
  untrust_run_ca "$prefix" "$trust_ca"
  ns_stop "$ns" "$prefix"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

servers_init "$state"
pki=$state/pki

www=$state/www
mkdir -p "$www/modules/testproduct/"{testdeployment,exact4096,exact4097,noetag} "$www/builds/abc123"
head -c 300000 /dev/urandom >"$www/modules/testproduct/testdeployment/win64"
cp "$www/modules/testproduct/testdeployment/win64" "$www/builds/abc123/win64"
head -c 4096 /dev/urandom >"$www/modules/testproduct/exact4096/win64"
head -c 4097 /dev/urandom >"$www/modules/testproduct/exact4097/win64"
head -c 8000 /dev/urandom >"$www/modules/testproduct/noetag/win64"

{
  nginx_conf_head
  cat <<CONF
  access_log $state/nginx/access.log;
  server {
    listen 127.0.0.1:443 ssl;
    server_name $hosts;
    ssl_certificate $pki/cdn.pem;
    ssl_certificate_key $pki/cdn.key;
    root $www;
    location /modules/testproduct/noetag/ { etag off; }
  }
}
CONF
} >"$state/nginx/nginx.conf"

ns_start "$ns" "127.0.0.1 $hosts"
ns_start_nginx "$ns"

trust_run_ca "$prefix" "$trust_ca" "$pki/ca.pem" in_ns
in_ns env VIGILOR_TEST_MODULE_CDN_WWW="$(wine_path "$www")" "$root/scripts/wine-run" --prefix "$prefix" "$tests" \
  --gtest_filter='ModuleTransferOverCdn.*'
