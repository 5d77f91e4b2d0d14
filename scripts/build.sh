#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the given presets (default: windows native tsan), installing what is
# missing first: Debian packages and the cached third-party prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(windows native tsan)

"$root/scripts/install-prerequisites.sh"
for preset in "${presets[@]}"; do
  if [ "$preset" = windows ]; then
    VIGILOR_DEPS_PREFIX=$("$root/scripts/build-deps.sh" | tail -n 1)
    export VIGILOR_DEPS_PREFIX
  fi
  echo "[build] preset $preset" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
done
