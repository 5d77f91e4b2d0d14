// SPDX-License-Identifier: MIT
#include "acquisition/cdn_override.h"

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

TEST(CdnOverride, FirstCdnLineInAnyCaseWins) {
  struct Case {
    const char* desc;
    std::string text;
    std::string expected;
  } cases[] = {
      {"empty file", "", ""},
      {"lower case", "cdn=https://a/x\n", "https://a/x"},
      {"upper case key", "CDN=https://a/x", "https://a/x"},
      {"mixed case key", "CdN=https://a/x", "https://a/x"},
      {"cdn= alone is ignored", "cdn=\ncdn=https://b/y\n", "https://b/y"},
      {"first qualifying line wins", "# note\ncdn=one\ncdn=two\n", "one"},
      {"rest taken as is, spaces kept", "cdn= https://a/x \n", " https://a/x "},
      {"carriage return stays in the value", "cdn=https://a/x\r\n", "https://a/x\r"},
      {"key must start the line", " cdn=https://a/x", ""},
      {"other keys ignored", "url=https://a/x\n", ""},
      {"no final line feed", "x\ncdn=last", "last"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCdnOverride(c.text), c.expected) << c.desc;
}

TEST(CdnOverride, BuildIdNeedsASlashAfterIt) {
  struct Case {
    const char* url;
    const char* expected;
  } cases[] = {
      {"https://cdn.example/builds/abc123/module", "abc123"},
      {"https://cdn.example/builds/abc123/", "abc123"},
      {"https://cdn.example/builds/abc123", "N/A"},
      {"https://cdn.example/builds/", "N/A"},
      {"https://cdn.example/module", "N/A"},
      {"https://cdn.example/builds//x", ""},
      {"/builds/a/builds/b/", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildIdFromOverride(c.url), c.expected) << c.url;
}

}  // namespace
}  // namespace vigilor::acquisition
