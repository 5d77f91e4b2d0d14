// SPDX-License-Identifier: MIT
#include "launcher/process_environment_win.h"

#include <windows.h>

#include "foundation/unicode.h"

namespace vigilor::launcher {
namespace {

bool ReadSwitch(const wchar_t* name) {
  std::wstring value;
  const bool present = GetEnvironmentValue(name, value);
  return IsSwitchOn(value.c_str(), present);
}

}  // namespace

ProcessSwitches ReadProcessSwitches() {
  ProcessSwitches switches;
  switches.immediateExitOnError = ReadSwitch(kImmediateExitVariable);
  switches.headlessMode = ReadSwitch(kHeadlessVariable);
  return switches;
}

void SetNoOverlayUIDrawing(bool noOverlay) {
  SetEnvironmentVariableW(L"SteamNoOverlayUIDrawing", noOverlay ? L"1" : L"0");
}

}  // namespace vigilor::launcher
