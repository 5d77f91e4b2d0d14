#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the HttpSession server tests under Wine with their servers around them:
#   run_http_session_tests.sh --build DIR --tests EXE --trust-ca EXE
# Uses its own prefix (DIR/wineprefix-http) because it changes the prefix's
# Root store and the user's proxy settings. Phases, each its own process:
#   none    no proxy configured: HTTPS, certificate, failure and limit cases
#   peak    the hard body cap, alone so that the peak memory is its own
#   proxy   the user's proxy set to tinyproxy
#   bypass  the same proxy with localhost on the bypass list
# Servers are stopped on every exit path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=tests/servers/test_servers.sh
source "$here/test_servers.sh"
read_run_arguments "$@"
prefix=$build/wineprefix-http
state=$build/http-test-servers

# Well within ctest's limit for this test; the servers never outlive it.
export VIGILOR_TEST_SERVER_LIFETIME=240
cleanup() {
  stop_servers
  untrust_run_ca "$prefix" "$trust_ca"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
servers_init "$state"
mkdir -p "$state/www/modules/testproduct/testdeployment"
head -c 300000 /dev/urandom >"$state/www/modules/testproduct/testdeployment/win64"
start_cdn "$state/www"
start_misbehaving
start_proxy

trust_run_ca "$prefix" "$trust_ca" "$state/pki/ca.pem"

export VIGILOR_TEST_CDN_PORT=$CDN_PORT VIGILOR_TEST_ROGUE_PORT=$ROGUE_PORT
export VIGILOR_TEST_MISBEHAVING_PORT=$MISBEHAVING_PORT VIGILOR_TEST_PROXIED_PORT=$PROXIED_PORT
export VIGILOR_TEST_PROXY_PORT=$PROXY_PORT VIGILOR_TEST_WWW=$state/www

status=0
phase() {  # mode filter [extra environment]
  echo "[http-session-tests] phase $1"
  env VIGILOR_TEST_USER_PROXY="$1" "${@:3}" "$root/scripts/wine-run" --prefix "$prefix" "$tests" \
    --gtest_filter="$2" || status=1
  # Let the prefix's wineserver wind down before the next Wine command, which
  # would otherwise race its exit ("recvmsg: Connection reset by peer").
  WINEPREFIX=$prefix wineserver -w || true
}
"$here/set_user_proxy.sh" "$prefix" none
phase none 'HttpSessionOverHttps.*:HttpSessionTransportFailures.*:HttpSessionBodyLimit.*-*HardCap*'
phase none '*HardCap*' VIGILOR_TEST_MEASURE_PEAK=1
"$here/set_user_proxy.sh" "$prefix" "127.0.0.1:$PROXY_PORT"
phase proxy 'HttpSessionThroughUserProxy.*'
"$here/set_user_proxy.sh" "$prefix" "127.0.0.1:$PROXY_PORT" "other.test;localhost"
phase bypass 'HttpSessionThroughUserProxy.*'
"$here/set_user_proxy.sh" "$prefix" none
exit $status
