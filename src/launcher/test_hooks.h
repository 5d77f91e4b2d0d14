// SPDX-License-Identifier: MIT
// Hooks that only the test twin of the executable installs (see
// test_seams_win.h); the shipped program never changes them, so they keep
// the product's behaviour.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vigilor::launcher {

struct TestHooks {
  // Watch the game's window under Wine too, instead of leaving at once.
  bool watchWindowsUnderWine = false;
  // Start behaves as if the game launcher could not be created.
  bool failGameLauncherCreation = false;
  // The clock of the window watch.
  std::int64_t (*watchClock)() = nullptr;
  // Receives the plain module bytes handed to the module start, on the
  // loader's worker thread; the bytes are only valid during the call.
  void (*moduleReceived)(const std::uint8_t* data, std::size_t size) = nullptr;
};

// Main thread: written once by the entry before the launcher exists.
TestHooks& CurrentTestHooks();

}  // namespace vigilor::launcher
