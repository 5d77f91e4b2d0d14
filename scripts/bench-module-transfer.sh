#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Benchmark (not a test): a fresh module download by the real bootstrapper
# under Wine against a bare libcurl GET of the same file, for 8 and 64 MiB.
#   sudo scripts/bench-module-transfer.sh [runs]      (default 5 runs)
# Builds the windows preset, then, in a private network namespace whose hosts
# file maps the CDN host names to 127.0.0.1, serves a scrambled random module
# with nginx on 127.0.0.1:443 (certificate from a fresh test CA, which
# trust-ca.exe adds to the bench's Wine prefix build/windows/wineprefix-bench).
# Per size and program: one warm-up run, then [runs] measured runs, the
# programs interleaved; prints the median wall time and the median peak RSS
# and the bootstrapper's ratios to each GET against the goals (<= 1.15x the
# GET's wall time and <= 1.2x its peak memory).
#   VigilorBootstrapper.exe  headless, immediate exit on error, no null client,
#                            on a game folder (fixture game as Game.exe) whose
#                            Settings.json names the module; it downloads,
#                            descrambles and ends with 206 (module mapping is
#                            not in this build)
#   minimal-get.exe          one GET into memory, verification on, given its
#                            trust anchors as a PEM file (CURLOPT_CAINFO), in
#                            two configurations:
#     "test CA"              the test CA alone: the least work any client can do
#     "host roots"           the host's CA bundle and the test CA: what a client
#                            that verifies the way the bootstrapper must under
#                            Wine (against the system's roots) hands libcurl;
#                            libcurl parses every anchor at each handshake
# Peak RSS: `wine` ends in an exec of the preloader, which becomes the Windows
# process, so the wait4 figure of /usr/bin/time is that process's high-water
# mark (a 64 MiB GET reports well over 64 MiB). That holds for an .exe named
# by path, as here; `wine cmd` would measure start.exe instead. Both sides
# include Wine's own start-up; a persistent wineserver runs for the whole
# bench so no run pays for starting one. Every exit path removes the
# namespace, its hosts file, the servers and the wineserver. Root needed
# (network namespace, port 443).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
sizes_mib=(8 64)
goal_time=1.15
goal_memory=1.2

[ "$(id -u)" = 0 ] || { echo "bench-module-transfer: needs root (network namespace, port 443)" >&2; exit 2; }
"$root/scripts/build.sh" windows >&2

bin=$root/build/windows/bin
prefix=$root/build/windows/wineprefix-bench
state=$root/build/windows/bench-module-transfer
ns=vigilor-bench-$$
hosts="modules.vigilor.gg modules-dev.vigilor.gg"
product=benchproduct
export VIGILOR_TEST_SERVER_LIFETIME=1800

# shellcheck source=tests/servers/test_servers.sh
source "$root/tests/servers/test_servers.sh"
in_ns() { ip netns exec "$ns" "$@"; }
cleanup() {
  stop_servers
  ns_stop "$ns" "$prefix"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

scramble() {  # plain served
  if [ -x "$root/build/native/bin/vigilor-scramble" ]; then
    "$root/build/native/bin/vigilor-scramble" encode "$1" "$2"
  else
    in_ns "$root/scripts/wine-run" --prefix "$prefix" "$bin/vigilor-scramble.exe" encode \
      "$(wine_path "$1")" "$(wine_path "$2")"
  fi
}

# One game folder per size; the module at the URL the bootstrapper asks for.
make_module_and_game() {  # size_mib
  local deployment=bench${1}mib game=$state/game-${1}mib dir=$state/www/modules/$product/bench${1}mib
  mkdir -p "$dir" "$game/Vigilor"
  head -c $(($1 * 1024 * 1024)) /dev/urandom >"$state/plain-${1}mib"
  scramble "$state/plain-${1}mib" "$dir/linux64"
  rm -f "$state/plain-${1}mib"
  cp "$bin/VigilorBootstrapper.exe" "$game/"
  cp "$bin/FixtureGame.exe" "$game/Game.exe"
  cat >"$game/Vigilor/Settings.json" <<JSON
{
  "title": "Bench Game",
  "executable": "Game.exe",
  "productid": "$product",
  "sandboxid": "benchsandbox",
  "deploymentid": "$deployment"
}
JSON
}

write_nginx_config() {
  {
    nginx_conf_head
    cat <<CONF
  access_log $state/nginx/access.log;
  server {
    listen 127.0.0.1:443 ssl;
    server_name $hosts;
    ssl_certificate $state/pki/cdn.pem;
    ssl_certificate_key $state/pki/cdn.key;
    root $state/www;
  }
}
CONF
  } >"$state/nginx/nginx.conf"
}

wine_env=(env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
          "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d")
labels=(minimal-get minimal-get-roots bootstrapper)
declare -A titles=([minimal-get]="minimal GET, test CA" [minimal-get-roots]="minimal GET, host roots"
                   [bootstrapper]="VigilorBootstrapper")

# What a verifying client trusts under Wine: the host's roots and, here, the
# test CA. The bootstrapper reads the same two (host bundle, prefix registry).
make_roots_bundle() {
  cat /etc/ssl/certs/ca-certificates.crt "$state/pki/ca.pem" >"$state/pki/roots-and-test-ca.pem"
}

# Runs one configuration once; appends "wall_s rss_kib" to
# $state/samples-<label>-<size>, unless measure is 0 (warm-up). The wall time
# is taken around the whole command in microseconds (time's own figure has a
# resolution of 10 ms, too coarse for runs of 0.15 s); the peak RSS is time's.
run_once() {  # label size_mib measure
  local label=$1 size=$2 url expected code before line started ended command
  url=https://modules.vigilor.gg/modules/$product/bench${size}mib/linux64
  before=$(wc -l <"$state/nginx/access.log")
  rm -rf "$prefix"/drive_c/users/*/AppData/Roaming/Vigilor/"$product"  # fresh: no cached module
  case $label in
    bootstrapper)
      expected=206
      command=("${wine_env[@]}" ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE=1
               ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR=1 wine "$state/game-${size}mib/VigilorBootstrapper.exe") ;;
    minimal-get)
      expected=0
      command=("${wine_env[@]}" wine "$bin/minimal-get.exe" "$url" "$(wine_path "$state/pki/ca.pem")") ;;
    minimal-get-roots)
      expected=0
      command=("${wine_env[@]}" wine "$bin/minimal-get.exe" "$url" "$(wine_path "$state/pki/roots-and-test-ca.pem")") ;;
  esac
  set +e
  started=$EPOCHREALTIME
  in_ns /usr/bin/time -f '%M' -o "$state/time.out" "${command[@]}" >"$state/run.log" 2>&1
  code=$?
  ended=$EPOCHREALTIME
  set -e
  # The run counts only if it fetched the whole module once.
  line=$(tail -n +"$((before + 1))" "$state/nginx/access.log" | grep -c " /modules/$product/bench${size}mib/linux64 .* 200 $(stat -c %s "$state/www/modules/$product/bench${size}mib/linux64") " || true)
  if [ "$code" != "$expected" ] || [ "$line" != 1 ]; then
    echo "bench-module-transfer: $label ($size MiB) ended with $code (expected $expected), full transfers: $line" >&2
    cat "$state/run.log" >&2
    tail -n 5 "$state/nginx/access.log" >&2
    find "$prefix/drive_c/users" -name anticheatlauncher.log -path "*$product*" -exec cat {} + >&2 2>/dev/null || true
    return 1
  fi
  [ "$3" = 0 ] || printf '%s %s\n' "$(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.4f", b - a }')" \
    "$(tail -n 1 "$state/time.out")" >>"$state/samples-$label-$size"
}

median() {  # column file
  sort -g -k "$1,$1" "$2" | awk -v c="$1" '{ v[NR] = $c } END {
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

report() {
  local size label base t m
  printf '\nFresh module download under Wine, median of %s runs (2 shared cores: noisy figures)\n' "$runs"
  printf '%-8s %-26s %10s %14s %18s\n' module program "wall s" "peak RSS MiB" "bootstrapper is"
  for size in "${sizes_mib[@]}"; do
    for label in "${labels[@]}"; do
      t=$(median 1 "$state/samples-$label-$size")
      m=$(median 2 "$state/samples-$label-$size")
      awk -v s="$size" -v n="${titles[$label]}" -v t="$t" -v m="$m" 'BEGIN { printf "%-8s %-26s %10.3f %14.1f", s " MiB", n, t, m / 1024 }'
      if [ "$label" = bootstrapper ]; then echo; continue; fi
      awk -v t="$t" -v m="$m" -v tb="$(median 1 "$state/samples-bootstrapper-$size")" \
          -v mb="$(median 2 "$state/samples-bootstrapper-$size")" -v gt="$goal_time" -v gm="$goal_memory" 'BEGIN {
        rt = tb / t; rm = mb / m
        printf " %7.2fx %6.2fx   goals <= %sx / <= %sx: time %s, memory %s\n", rt, rm, gt, gm,
               (rt <= gt ? "met" : "MISSED"), (rm <= gm ? "met" : "MISSED") }'
    done
  done
  printf '\nSamples (wall s, peak RSS KiB):\n'
  for size in "${sizes_mib[@]}"; do
    for label in "${labels[@]}"; do
      printf '  %s MiB %-26s %s\n' "$size" "${titles[$label]}:" "$(tr '\n' ';' <"$state/samples-$label-$size")"
    done
  done
}

main() {
  local size label
  servers_init "$state"
  write_nginx_config
  ns_start "$ns" "127.0.0.1 $hosts"
  ns_start_nginx "$ns"
  in_ns "$root/scripts/wine-prefix" "$prefix"
  in_ns "$root/scripts/wine-run" --prefix "$prefix" "$bin/trust-ca.exe" "$(wine_path "$state/pki/ca.pem")" >&2
  for size in "${sizes_mib[@]}"; do make_module_and_game "$size"; done
  make_roots_bundle
  in_ns "${wine_env[@]}" wineserver -p
  for size in "${sizes_mib[@]}"; do
    for label in "${labels[@]}"; do
      echo "[bench] $size MiB, $label: warm-up and $runs runs" >&2
      run_once "$label" "$size" 0
    done
    # Interleaved, so slow phases of the shared machine hit both programs.
    for _ in $(seq "$runs"); do
      for label in "${labels[@]}"; do run_once "$label" "$size" 1; done
    done
  done
  report
}
main
