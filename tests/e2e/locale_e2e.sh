#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bootstrapper picks its localization files from the user's locale. Wine
# takes the locale from the Unix environment when a process starts (a value
# set through the Windows environment of CreateProcess does not reach it), so
# this test starts each run from the shell with its own LC_ALL.
#   locale_e2e.sh WINE_RUN PREFIX BIN_DIR SOURCE_DIR
# The game folder's .cfg files mark every text with their language; the
# game launcher's failure message for a missing game, which reaches the log
# file, shows which file the detected locale selected.
set -euo pipefail

wine_run=$1 prefix=$2 bin=$3 source=$4
work=$(mktemp -d)
product="locale-e2e-$$"
trap 'rm -rf "$work"; find "$prefix/drive_c/users" -maxdepth 5 -type d -name "$product" -exec rm -rf {} + 2>/dev/null || true' EXIT

game="$work/game"
mkdir -p "$game/Vigilor/Localization"
cp "$bin/VigilorBootstrapper.exe" "$game/"
sed 's/= "/= "DE-MARK /' "$source/assets/Localization/en_us.cfg" >"$game/Vigilor/Localization/de_de.cfg"
sed 's/= "/= "EN-MARK /' "$source/assets/Localization/en_us.cfg" >"$game/Vigilor/Localization/en_us.cfg"
printf '{"productid":"%s","sandboxid":"sandbox-1","deploymentid":"dep-1","executable":"MissingGame.exe"}' \
  "$product" >"$game/Vigilor/Settings.json"

failures=0
run_once() {  # LC_ALL value; prints the log's "Launcher finished with" line
  env LC_ALL="$1" \
      ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE=1 \
      ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR=1 \
      timeout 60 "$wine_run" --prefix "$prefix" "$game/VigilorBootstrapper.exe" >/dev/null 2>&1 || true
  local log
  log=$(find "$prefix/drive_c/users" -path "*/Vigilor/$product/dep-1/anticheatlauncher.log" 2>/dev/null | head -1)
  grep -m1 "Launcher finished with: " "$log" 2>/dev/null || true
}

check() {  # LC_ALL value, expected marker
  local line
  line=$(run_once "$1")
  if [[ "$line" == *"$2 "* ]]; then
    echo "ok: LC_ALL=$1 gives $2 texts"
  else
    echo "FAILED: LC_ALL=$1 should give $2 texts; got: ${line:-(no line in the log)}"
    failures=$((failures + 1))
  fi
}

check de_DE.UTF-8 DE-MARK
check ja_JP.UTF-8 EN-MARK   # no Japanese file in this folder: English
check en_US.UTF-8 EN-MARK
exit $((failures > 0))
