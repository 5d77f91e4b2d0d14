// SPDX-License-Identifier: MIT
// Exit codes the bootstrapper produces itself. Besides these the process ends
// with 0, with a launch result other than 0 and 301, or with the game's code.
#pragma once

#include <cstdint>

namespace vigilor::launcher {

enum BootstrapperExitCode : std::int32_t {
  AlreadyRunning = 60097,
  DependencyInitFailed = 60098,
  InitializeFailed = 60099,
  StartFailed = 60100,
  NoGameProcess = 60101,
  // 60102 is not used.
  GameExitCodeUnavailable = 60103,
  InternalError = 60104,
  WineHelperFailed = 60105,
};

}  // namespace vigilor::launcher
