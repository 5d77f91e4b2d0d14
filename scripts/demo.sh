#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bootstrapper's main job on the bundled demo: builds the Windows program,
# lays out a demo game folder (the bootstrapper, Vigilor\Settings.json, the
# localization files and a demo game) and runs the real executable on it under
# Wine, headless, then shows its exit code, the game's record of how it was
# started, and the run's log file.
# The module transfer is not in this build yet, so the demo asks for the null
# client (the game starts without the protection module).
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
# The demo game records its command line, folder and environment beside itself.
cp "$bin/FixtureGame.exe" "$game/DemoGame.exe"
if [ -d "$root/assets/Localization" ]; then
  mkdir -p "$game/Vigilor/Localization"
  cp "$root/assets/Localization/"*.cfg "$game/Vigilor/Localization/"
fi

echo "[demo] game folder: $game"
echo "[demo] running VigilorBootstrapper.exe under Wine (headless)"
export ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE=1
export ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR=1
export ORX_USE_ANTICHEATCLIENTNULL=1
export FIXTURE_GAME_EXIT_CODE=0
set +e
output=$("$root/scripts/wine-run" "$bin/run-exit-code.exe" "Z:${game//\//\\}\\VigilorBootstrapper.exe" -v -demo_map=\"Harbor Town\" | tr -d '\r')
set -e
echo "[demo] $output"
code=${output##*: }
case "$code" in
  0) echo "[demo] the launch succeeded" ;;
  207) echo "[demo] the settings or the game executable were rejected" ;;
  60097) echo "[demo] another bootstrapper holds the launch lock" ;;
  60099) echo "[demo] the launcher could not initialize" ;;
  60100) echo "[demo] the module download could not start" ;;
  *) echo "[demo] the bootstrapper ended with $code" ;;
esac
for _ in $(seq 1 100); do
  [ -f "$game/DemoGame.record.txt" ] && break
  sleep 0.1
done
if [ -f "$game/DemoGame.record.txt" ]; then
  echo "[demo] the demo game was started like this:"
  sed 's/^/    /' "$game/DemoGame.record.txt"
else
  echo "[demo] the demo game did not start"
fi
prefix="$root/build/windows/wineprefix"
log=$(find "$prefix/drive_c/users" -path '*/Vigilor/demoproduct01/demodeployment01/anticheatlauncher.log' 2>/dev/null | head -n 1 || true)
if [ -n "$log" ]; then
  echo "[demo] log file: $log"
  cat "$log"
fi
