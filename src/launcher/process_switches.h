// SPDX-License-Identifier: MIT
// The two environment switches, read once at start-up and never changed.
#pragma once

namespace vigilor::launcher {

struct ProcessSwitches {
  bool immediateExitOnError = false;  // no message boxes; leave after a failed launch
  bool headlessMode = false;          // no SDL, no window
};

// Process-wide copy, written once by the program entry before any thread
// starts, read anywhere afterwards.
const ProcessSwitches& CurrentSwitches();
void SetCurrentSwitches(const ProcessSwitches& switches);

// A switch is on only when its value is exactly "1" (one UTF-16 unit).
bool IsSwitchOn(const wchar_t* value, bool present);

}  // namespace vigilor::launcher
