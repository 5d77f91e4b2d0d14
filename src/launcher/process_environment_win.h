// SPDX-License-Identifier: MIT
// Reads and writes of the process environment made by the program entry.
#pragma once

#include "launcher/process_switches.h"

namespace vigilor::launcher {

inline constexpr wchar_t kImmediateExitVariable[] = L"ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR";
inline constexpr wchar_t kHeadlessVariable[] = L"ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE";

// Reads both switches from the environment (immediate exit first).
ProcessSwitches ReadProcessSwitches();

// Sets "SteamNoOverlayUIDrawing" to "1" or "0" for this process and its children.
void SetNoOverlayUIDrawing(bool noOverlay);

}  // namespace vigilor::launcher
