// SPDX-License-Identifier: MIT
#include "launcher/game_window_win.h"

namespace vigilor::launcher {

BOOL CALLBACK FindVisibleWindowOfProcess(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<GameWindowSearch*>(lParam);
  if (search == nullptr) return FALSE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != 0 && owner == search->processId && IsWindowVisible(window)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

bool HasVisibleWindowOfProcess(std::uint32_t processId) {
  GameWindowSearch search{processId, false};
  // EnumWindows answers FALSE when the callback stops it; the record says why.
  EnumWindows(FindVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace vigilor::launcher
