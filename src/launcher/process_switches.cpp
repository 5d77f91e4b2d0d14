// SPDX-License-Identifier: MIT
#include "launcher/process_switches.h"

#include <cwchar>

namespace vigilor::launcher {
namespace {
ProcessSwitches g_switches;
}

const ProcessSwitches& CurrentSwitches() { return g_switches; }
void SetCurrentSwitches(const ProcessSwitches& switches) { g_switches = switches; }

bool IsSwitchOn(const wchar_t* value, bool present) {
  return present && value != nullptr && std::wcscmp(value, L"1") == 0;
}

}  // namespace vigilor::launcher
