// SPDX-License-Identifier: MIT
#include "launcher/command_line.h"

#include <gtest/gtest.h>

namespace vigilor::launcher {
namespace {

TEST(SplitCommandLine, KeepsQuotesAndBackslashesAsTyped) {
  struct Case {
    const char* desc;
    std::string line;
    std::vector<std::string> expected;
  } cases[] = {
      {"empty line", "", {}},
      {"quoted program only", "\"C:\\Games\\My Game\\Boot.exe\"", {}},
      {"quoted program, trailing blanks", "\"C:\\a b\\x.exe\"  \t ", {}},
      {"unquoted program only", "boot.exe", {}},
      {"unterminated quoted program", "\"C:\\a b\\x.exe -v", {}},
      {"the mixed case",
       "\"C:\\Program Files\\Game\\Boot.exe\" -v \"two words\" a\\\"b",
       {"-v", "\"two words\"", "a\\\"b"}},
      {"escaped quote does not open a section", "x.exe a\\\"b c", {"a\\\"b", "c"}},
      {"even backslashes before a quote open a section", "x.exe a\\\\\"b c\" d", {"a\\\\\"b c\"", "d"}},
      {"tabs and runs of blanks separate", "x.exe  a\t\tb   c", {"a", "b", "c"}},
      {"quote in the middle joins words", "x.exe -name=\"Big Map\" -w", {"-name=\"Big Map\"", "-w"}},
      {"unterminated quote runs to the end", "x.exe \"a b", {"\"a b"}},
      {"settings override kept", "x.exe -anticheat_settings=Other.json", {"-anticheat_settings=Other.json"}},
      {"utf-8 passes through", "x.exe -name=\xC3\xA9t\xC3\xA9", {"-name=\xC3\xA9t\xC3\xA9"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::launcher
