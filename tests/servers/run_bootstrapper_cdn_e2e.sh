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
# shellcheck source=tests/servers/test_servers.sh
source "$here/test_servers.sh"
read_run_arguments "$@"
prefix=$build/wineprefix-cdn-e2e
state=$build/bootstrapper-cdn-e2e
ns=vigilor-cdn-e2e-$$
hosts="modules.vigilor.gg modules-dev.vigilor.gg"
export VIGILOR_TEST_SERVER_LIFETIME=280

in_ns() { ip netns exec "$ns" "$@"; }
cleanup() {
  stop_servers
  if ip netns list | grep -qw "$ns"; then untrust_run_ca "$prefix" "$trust_ca" in_ns; fi
  ns_stop "$ns" "$prefix"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

servers_init "$state"
pki=$state/pki

www=$state/www
mkdir -p "$www/modules"
{
  nginx_conf_head
  cat <<CONF
  log_format cdn_e2e escape=none '\$uri \$status inm=\$http_if_none_match';
  access_log $state/nginx/access.log cdn_e2e;
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
} >"$state/nginx/nginx.conf"

ns_start "$ns" "127.0.0.1 modules.vigilor.gg" "127.0.0.2 modules-dev.vigilor.gg"
ns_start_nginx "$ns"

trust_run_ca "$prefix" "$trust_ca" "$pki/ca.pem" in_ns
in_ns env VIGILOR_TEST_CDN_WWW="$(wine_path "$www")" VIGILOR_TEST_CDN_LOG="$(wine_path "$state/nginx/access.log")" \
  "$root/scripts/wine-run" --prefix "$prefix" "$tests" --gtest_filter='ModuleCdn*'
