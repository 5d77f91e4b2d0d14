// SPDX-License-Identifier: MIT
// Looking for a visible top-level window of the game process.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vigilor::launcher {

// The record FindVisibleWindowOfProcess fills.
struct GameWindowSearch {
  std::uint32_t processId = 0;
  bool found = false;
};

// EnumWindows callback; lParam points at a GameWindowSearch (null stops the
// enumeration). Sets found and stops at the first visible top-level window
// owned by any thread of processId (never for process id 0); otherwise
// continues.
BOOL CALLBACK FindVisibleWindowOfProcess(HWND window, LPARAM lParam);

// One full enumeration with FindVisibleWindowOfProcess: true when processId
// has a visible top-level window now. Main thread (the window watch), but any
// thread works.
bool HasVisibleWindowOfProcess(std::uint32_t processId);

}  // namespace vigilor::launcher
