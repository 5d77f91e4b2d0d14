// SPDX-License-Identifier: MIT
#include "launcher/process_switches.h"

#include <gtest/gtest.h>

namespace vigilor::launcher {
namespace {

TEST(ProcessSwitches, OnlyExactlyOneTurnsASwitchOn) {
  struct Case {
    const char* desc;
    const wchar_t* value;
    bool present;
    bool expected;
  } cases[] = {
      {"exactly 1", L"1", true, true},
      {"missing", nullptr, false, false},
      {"empty", L"", false, false},
      {"word true", L"true", true, false},
      {"leading space", L" 1", true, false},
      {"trailing space", L"1 ", true, false},
      {"leading zero", L"01", true, false},
      {"zero", L"0", true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSwitchOn(c.value, c.present), c.expected) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::launcher
