// SPDX-License-Identifier: MIT
#include "module/game_process.h"

#include <gtest/gtest.h>

namespace vigilor::module {
namespace {

TEST(GameCommandLine, QuotesOnlyThePathAndPassesArgumentsAsTheyAre) {
  struct Case {
    const char* desc;
    std::string path;
    std::vector<std::string> arguments;
    std::string expected;
  } cases[] = {
      {"no arguments", "C:\\Games\\My Game\\Game.exe", {}, "\"C:\\Games\\My Game\\Game.exe\""},
      {"argument with a space stays unquoted", "C:\\G\\Game.exe", {"-a", "b c"}, "\"C:\\G\\Game.exe\" -a b c"},
      {"quotes inside arguments are not escaped", "G.exe", {"-name=\"x y\"", "\\\""},
       "\"G.exe\" -name=\"x y\" \\\""},
      {"an empty argument still adds its space", "G.exe", {"", "-v"}, "\"G.exe\"  -v"},
      {"UTF-8 passes through", "C:\\Spiele\\\xC3\xBC.exe", {"-\xE2\x82\xAC"},
       "\"C:\\Spiele\\\xC3\xBC.exe\" -\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildGameCommandLine(c.path, c.arguments), c.expected) << c.desc;
  }
}

TEST(GameCommandLine, FallbackDetailNamesTheErrorCodeInDecimal) {
  EXPECT_EQ(CreateProcessFallbackDetail(0), "CreateProcess failed with 0.");
  EXPECT_EQ(CreateProcessFallbackDetail(4294967295u), "CreateProcess failed with 4294967295.");
}

}  // namespace
}  // namespace vigilor::module
