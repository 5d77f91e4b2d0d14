#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets the current user's Internet proxy settings in a test Wine prefix:
#   set_user_proxy.sh PREFIX none              direct, no automatic detection
#   set_user_proxy.sh PREFIX PROXY [BYPASS]    manual proxy ("host:port" or
#                                              "http=h:p;https=h:p;socks=h:p"),
#                                              BYPASS ';'-separated
# Writes the values under HKCU\...\Internet Settings (ProxyEnable, ProxyServer,
# ProxyOverride) and the binary Connections\DefaultConnectionSettings record,
# which is what WinHTTP reads for the user's settings (Windows and Wine alike).
# Automatic detection is off in both forms, so tests see only these proxies.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -ge 2 ] || { echo "usage: set_user_proxy.sh PREFIX none | PROXY [BYPASS]" >&2; exit 2; }
prefix=$1
proxy=$2
bypass=${3:-}
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'

reg() { "$root/scripts/wine-run" --prefix "$prefix" reg "$@" >/dev/null; }
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }

# DefaultConnectionSettings: version 0x46, change counter, flags (1 direct,
# 2 manual proxy, 4 script, 8 auto-detect), then length-prefixed ANSI proxy,
# bypass and script URL, then room for the auto-detection record.
connection_settings() {  # flags proxy bypass
  printf '%s' "$(le32 0x46)$(le32 0)$(le32 "$1")$(le32 ${#2})$(hex "$2")$(le32 ${#3})$(hex "$3")$(le32 0)"
  printf '%064d' 0
}

if [ "$proxy" = none ]; then
  reg add "$key" /v ProxyEnable /t REG_DWORD /d 0 /f
  reg delete "$key" /v ProxyServer /f 2>/dev/null || true
  reg delete "$key" /v ProxyOverride /f 2>/dev/null || true
  blob=$(connection_settings 1 "" "")
else
  reg add "$key" /v ProxyEnable /t REG_DWORD /d 1 /f
  reg add "$key" /v ProxyServer /t REG_SZ /d "$proxy" /f
  reg add "$key" /v ProxyOverride /t REG_SZ /d "$bypass" /f
  blob=$(connection_settings 3 "$proxy" "$bypass")
fi
reg add "$key\\Connections" /v DefaultConnectionSettings /t REG_BINARY /d "$blob" /f
