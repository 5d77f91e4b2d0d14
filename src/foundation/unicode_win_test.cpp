// SPDX-License-Identifier: MIT
#include "foundation/unicode.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace vigilor {
namespace {

TEST(Unicode, RoundTripsTable) {
  struct Case {
    const char* desc;
    std::string utf8;
    std::wstring wide;
  } cases[] = {
      {"empty", "", L""},
      {"ascii", "Settings.json", L"Settings.json"},
      {"latin", "Gr\xC3\xBC\xC3\x9F" "e", L"Gr\u00FC\u00DFe"},
      {"cjk", "\xE6\xB8\xB8\xE6\x88\x8F", L"\u6E38\u620F"},
      {"astral pair", "\xF0\x9F\x8E\xAE", L"\xD83C\xDFAE"},
      {"embedded nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.desc;
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.desc;
  }
}

TEST(Unicode, UnpairedSurrogateIsReplacedNotReported) {
  const std::string out = WideToUtf8(std::wstring(L"a\xD800" L"b"));
  EXPECT_NE(out, kWideToUtf8Error);
  EXPECT_EQ(out, "a\xEF\xBF\xBD" "b");
}

TEST(Unicode, EmptyInputIsNotAnError) {
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(EnvironmentValue, MissingEmptyAndLongValues) {
  const std::wstring longValue(5000, L'x');
  const std::wstring bufferSized(4096, L'y');
  struct Case {
    const char* desc;
    const wchar_t* name;
    const wchar_t* set;  // nullptr: removed
    bool expected;
    std::wstring value;
  } cases[] = {
      {"missing", L"VIGILOR_TEST_ENV_MISSING", nullptr, false, L""},
      {"empty counts as missing", L"VIGILOR_TEST_ENV_EMPTY", L"", false, L""},
      {"plain", L"VIGILOR_TEST_ENV_PLAIN", L"1", true, L"1"},
      {"longer than the first buffer", L"VIGILOR_TEST_ENV_LONG", longValue.c_str(), true, longValue},
      {"exactly the first buffer", L"VIGILOR_TEST_ENV_4096", bufferSized.c_str(), true, bufferSized},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetEnvironmentVariableW(c.name, c.set)) << c.desc;
    std::wstring value = L"stale";
    EXPECT_EQ(GetEnvironmentValue(c.name, value), c.expected) << c.desc;
    if (c.expected) {
      EXPECT_EQ(value, c.value) << c.desc;
    }
    SetEnvironmentVariableW(c.name, nullptr);
  }
  std::wstring value;
  EXPECT_FALSE(GetEnvironmentValue(L"", value));
}

}  // namespace
}  // namespace vigilor
