#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds every preset and runs every test: native (ASan+UBSan, fuzz corpora),
# TSan, and the Windows build under Wine (unit and end-to-end tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/build.sh" windows native tsan

status=0
for preset in native tsan windows; do
  echo "[test] preset $preset"
  ctest --preset "$preset" -j "$(nproc)" || status=1
done
exit $status
