// SPDX-License-Identifier: MIT
#include "settings/settings_override.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vigilor::settings {
namespace {

TEST(ExtractSettingsOverride, TakesTheFirstAcceptedArgumentAndRemovesIt) {
  const struct {
    const char* desc;
    std::vector<std::string> arguments;
    std::string expectedPath;
    std::vector<std::string> expectedRest;
  } cases[] = {
      {"no arguments", {}, "Settings.json", {}},
      {"no override", {"-v", "+map", "x"}, "Settings.json", {"-v", "+map", "x"}},
      {"plain", {"-anticheat_settings=custom.json", "-v"}, "custom.json", {"-v"}},
      {"double-quoted whole argument", {"\"-anticheat_settings=custom.json\""}, "custom.json", {}},
      {"double-quoted value", {"-anticheat_settings=\"custom.json\""}, "custom.json", {}},
      {"single-quoted value", {"-anticheat_settings='custom.json'"}, "custom.json", {}},
      {"one more dash", {"--anticheat_settings=custom.json"}, "custom.json", {}},
      {"one more dash, quoted", {"\"--anticheat_settings=custom.json\""}, "custom.json", {}},
      {"two more dashes are ignored", {"---anticheat_settings=custom.json"}, "Settings.json",
       {"---anticheat_settings=custom.json"}},
      {"another character in front is ignored", {"x-anticheat_settings=custom.json"}, "Settings.json",
       {"x-anticheat_settings=custom.json"}},
      {"quote in front is removed first", {"\"-anticheat_settings=a.json"}, "a.json", {}},
      {"empty value is accepted", {"-anticheat_settings="}, "", {}},
      {"prefix only in the middle", {"game-anticheat_settings=a.json", "-anticheat_settings=b.json"}, "b.json",
       {"game-anticheat_settings=a.json"}},
      {"first accepted wins, later overrides reach the game",
       {"-anticheat_settings=a.json", "-anticheat_settings=b.json"}, "a.json", {"-anticheat_settings=b.json"}},
      {"every copy of the accepted argument is removed",
       {"-anticheat_settings=a.json", "-v", "-anticheat_settings=a.json"}, "a.json", {"-v"}},
      {"prefix is case-sensitive", {"-AntiCheat_Settings=a.json"}, "Settings.json", {"-AntiCheat_Settings=a.json"}},
      {"value keeps subfolders", {"-anticheat_settings=dev\\s.json"}, "dev\\s.json", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    EXPECT_EQ(ExtractSettingsOverride(arguments), c.expectedPath) << c.desc;
    EXPECT_EQ(arguments, c.expectedRest) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::settings
