// SPDX-License-Identifier: MIT
// The launcher's forward-only state.
#pragma once

#include <cstdint>

namespace vigilor::launcher {

enum LauncherState : std::int32_t {
  None = 0,
  Prepared = 1,
  Loading = 2,
  Initializing = 3,
  WaitingForGame = 4,
  Failed = 5,
};

// A state may be entered only from itself or an earlier one; entering the
// current state again is allowed and repeats its effects.
constexpr bool CanEnterState(LauncherState current, LauncherState next) { return current <= next; }

}  // namespace vigilor::launcher
