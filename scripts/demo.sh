#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bootstrapper's main job on the bundled demo: builds the Windows program,
# lays out a demo game folder and runs the real executable on it under Wine,
# headless, then shows its exit code and what the run left behind.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/build.sh" windows

bin="$root/build/windows/bin"
game="$root/build/demo/game"
rm -rf "$game"
mkdir -p "$game"
cp -r "$root/demo/game/." "$game/"
cp "$bin/VigilorBootstrapper.exe" "$game/"
if [ -d "$root/assets/Localization" ]; then
  mkdir -p "$game/Vigilor/Localization"
  cp "$root/assets/Localization/"*.cfg "$game/Vigilor/Localization/"
fi

echo "[demo] game folder: $game"
echo "[demo] running VigilorBootstrapper.exe under Wine (headless)"
export ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE=1
export ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR=1
set +e
output=$("$root/scripts/wine-run" "$bin/run-exit-code.exe" "Z:${game//\//\\}\\VigilorBootstrapper.exe" -v | tr -d '\r')
set -e
echo "[demo] $output"
code=${output##*: }
case "$code" in
  0) echo "[demo] the launch succeeded" ;;
  60097) echo "[demo] another bootstrapper holds the launch lock" ;;
  60099) echo "[demo] the launcher could not initialize" ;;
  60100) echo "[demo] the module download could not start: this build has no game launcher yet" ;;
  *) echo "[demo] the bootstrapper ended with $code" ;;
esac
prefix="$root/build/windows/wineprefix"
log=$(find "$prefix/drive_c/users" -path '*Vigilor*' -name anticheatlauncher.log 2>/dev/null | head -n 1 || true)
if [ -n "$log" ]; then
  echo "[demo] log file: $log"
  cat "$log"
fi
