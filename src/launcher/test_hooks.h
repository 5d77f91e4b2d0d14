// SPDX-License-Identifier: MIT
// Hooks that only the test twin of the executable installs (see
// test_seams_win.h); the shipped program never changes them, so they keep
// the product's behaviour.
#pragma once

#include <cstdint>

namespace vigilor::launcher {

struct TestHooks {
  // Watch the game's window under Wine too, instead of leaving at once.
  bool watchWindowsUnderWine = false;
  // Start behaves as if the game launcher could not be created.
  bool failGameLauncherCreation = false;
  // The clock of the window watch.
  std::int64_t (*watchClock)() = nullptr;
};

// Main thread: written once by the entry before the launcher exists.
TestHooks& CurrentTestHooks();

}  // namespace vigilor::launcher
