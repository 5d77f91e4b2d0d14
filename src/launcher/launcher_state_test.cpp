// SPDX-License-Identifier: MIT
#include "launcher/launcher_state.h"

#include <gtest/gtest.h>

namespace vigilor::launcher {
namespace {

TEST(LauncherState, EntersOnlyForwardOrTheSameStateAgain) {
  struct Case {
    LauncherState from, to;
    bool allowed;
  } cases[] = {
      {None, Prepared, true},          {Prepared, Loading, true},        {Loading, Initializing, true},
      {Initializing, WaitingForGame, true}, {Loading, Failed, true},     {Loading, Loading, true},
      {WaitingForGame, Initializing, false}, {Failed, WaitingForGame, false}, {Failed, Loading, false},
      {Initializing, Loading, false},  {Prepared, None, false},          {Failed, Failed, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CanEnterState(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
  }
}

}  // namespace
}  // namespace vigilor::launcher
