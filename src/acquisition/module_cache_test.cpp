// SPDX-License-Identifier: MIT
#include "acquisition/module_cache.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

using namespace std::string_literals;

TEST(ModuleCacheNames, FileNameFollowsTheSystemNameByExactComparison) {
  struct Case {
    const char* system;
    const char* file;
  };
  const Case cases[] = {
      {"win32", "vigilor_x86.vgl"},
      {"wow64", "vigilor_wow64.vgl"},
      {"wow64_win64", "vigilor_wow64_x64.vgl"},
      {"win64_wow64", "vigilor_x64_wow64.vgl"},
      {"win64", "vigilor_x64.vgl"},
      {"linux64", "vigilor_linux_x64.vgl"},
      {"linux32", "vigilor_linux_x86.vgl"},
      {"linux64_32", "vigilor_linux_x64_x86.vgl"},
      {"linux32_64", "vigilor_linux_x86_x64.vgl"},
      {"mac64", "vigilor_mac_x64.vgl"},
      {"mac_arm64", "vigilor_mac_arm64.vgl"},
      {"Win64", "vigilor_INVALID_SYSTEM.vgl"},
      {"win64 ", "vigilor_INVALID_SYSTEM.vgl"},
      {"win6", "vigilor_INVALID_SYSTEM.vgl"},
      {"", "vigilor_INVALID_SYSTEM.vgl"},
      {"N/A", "vigilor_INVALID_SYSTEM.vgl"},
  };
  for (const auto& c : cases) EXPECT_EQ(ModuleFileName(c.system), c.file) << "system '" << c.system << "'";
}

TEST(ModuleCacheNames, SideFileAppendsMetadataToTheWholeName) {
  EXPECT_EQ(MetadataPath("C:\\cache\\p\\d\\vigilor_x64.vgl"), "C:\\cache\\p\\d\\vigilor_x64.vgl.metadata");
}

constexpr char kDigest[] = "a9993e364706816aba3e25717850c26c9cd0d89d";

TEST(ModuleCacheMetadata, ReadsSideFiles) {
  struct Case {
    const char* desc;
    std::string text;
    bool usable;
    std::string digest;
    std::string tag;
  };
  const Case cases[] = {
      {"as written on Windows", "sha1=abc1\r\netag=\"v1\"\r\n", true, "abc1", "\"v1\""},
      {"line feeds only", "sha1=abc1\netag=\"v1\"\n", true, "abc1", "\"v1\""},
      {"no line end after the last line", "sha1=abc1\r\netag=\"v1\"", true, "abc1", "\"v1\""},
      {"carriage return closing the last line", "sha1=abc1\r\netag=\"v1\"\r", true, "abc1", "\"v1\""},
      {"keys in any case, tag first", "ETag=W/\"x\"\nSHA1=ABC1\n", true, "ABC1", "W/\"x\""},
      {"rest of the line taken as is", "sha1= a=b \netag= t=1 \n", true, " a=b ", " t=1 "},
      {"later line overwrites", "sha1=old\netag=one\nsha1=new\netag=two\n", true, "new", "two"},
      {"other lines ignored", "# cache\nsize=12\n\nsha1=abc1\netag=N/A\n", true, "abc1", "N/A"},
      {"six characters are enough", "sha1=d\netag=t\n", true, "d", "t"},
      {"only the entity tag", "etag=\"v1\"\r\n", false, "", "\"v1\""},
      {"only the digest", "sha1=abc1\r\n", false, "abc1", ""},
      {"keys without values are too short", "sha1=\netag=\n", false, "", ""},
      {"a later key without value is ignored", "sha1=abc1\netag=t\netag=\n", true, "abc1", "t"},
      {"keys need the equals sign", "sha1:abc1\netag:t\n", false, "", ""},
      {"key must start the line", " sha1=abc1\n etag=t\n", false, "", ""},
      {"empty file", "", false, "", ""},
      {"binary garbage", "\x00\xff\x01sha1\n\x7f\x80\r\r\n"s, false, "", ""},
      {"two carriage returns leave one in the tag", "sha1=abc1\netag=t\r\r\n", false, "abc1", "t\r"},
      {"carriage return inside the tag", "sha1=abc1\netag=a\rX-Injected: 1\n", false, "abc1",
       "a\rX-Injected: 1"},
      {"NUL inside the tag", "sha1=abc1\netag=a\0b\n"s, false, "abc1", "a\0b"s},
  };
  for (const auto& c : cases) {
    CacheMetadata metadata;
    EXPECT_EQ(ParseCacheMetadata(c.text, metadata), c.usable) << c.desc;
    EXPECT_EQ(metadata.digest, c.digest) << c.desc;
    EXPECT_EQ(metadata.tag, c.tag) << c.desc;
  }
}

TEST(ModuleCacheMetadata, ParsingResetsWhatACallerPassedIn) {
  CacheMetadata metadata{"stale", "stale"};
  EXPECT_FALSE(ParseCacheMetadata("", metadata));
  EXPECT_EQ(metadata.digest, "");
  EXPECT_EQ(metadata.tag, "");
}

TEST(ModuleCacheMetadata, WrittenSideFileReadsBack) {
  const std::string text = FormatCacheMetadata(kDigest, "W/\"5f-a\"", "\r\n");
  EXPECT_EQ(text, std::string("sha1=") + kDigest + "\r\netag=W/\"5f-a\"\r\n");
  CacheMetadata metadata;
  ASSERT_TRUE(ParseCacheMetadata(text, metadata));
  EXPECT_EQ(metadata.digest, kDigest);
  EXPECT_EQ(metadata.tag, "W/\"5f-a\"");
}

TEST(ModuleCacheMetadata, StorableTagsHaveNoControlCharacters) {
  struct Case {
    const char* desc;
    std::string tag;
    bool usable;
  };
  const Case cases[] = {
      {"quoted tag", "\"abc\"", true},
      {"weak tag", "W/\"abc\"", true},
      {"no tag sent", "N/A", true},
      {"spaces", "a b", true},
      {"UTF-8", "\xc3\xa9t\xc3\xa9", true},
      {"empty", "", false},
      {"line feed", "a\nsha1=0", false},
      {"carriage return", "a\r", false},
      {"tab", "a\tb", false},
      {"delete", "a\x7f", false},
      {"NUL", "a\0"s, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUsableCacheTag(c.tag), c.usable) << c.desc;
}

TEST(ModuleCacheMetadata, DigestsCompareIgnoringAsciiCase) {
  struct Case {
    const char* desc;
    const char* stored;
    const char* computed;
    bool match;
  };
  const Case cases[] = {
      {"same", kDigest, kDigest, true},
      {"stored upper case", "A9993E364706816ABA3E25717850C26C9CD0D89D", kDigest, true},
      {"one digit differs", "a9993e364706816aba3e25717850c26c9cd0d89e", kDigest, false},
      {"prefix only", "a9993e364706816aba3e25717850c26c9cd0d89", kDigest, false},
      {"trailing space", "a9993e364706816aba3e25717850c26c9cd0d89d ", kDigest, false},
      {"nothing computed", "", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(CacheDigestsMatch(c.stored, c.computed), c.match) << c.desc;
}

TEST(ModuleCacheAge, FilesOlderThan168WholeHoursExpire) {
  constexpr std::uint64_t kTick = 1;  // 100 ns
  constexpr std::uint64_t kMinute = 60ull * 10'000'000;
  constexpr std::uint64_t kHour = 60 * kMinute;
  constexpr std::uint64_t kNow = 133'600'000'000'000'000ull;  // a day in 2024
  struct Case {
    const char* desc;
    std::uint64_t lastWrite;
    bool expired;
  };
  const Case cases[] = {
      {"written just now", kNow, false},
      {"168 hours", kNow - 168 * kHour, false},
      {"168 hours 59 minutes", kNow - 168 * kHour - 59 * kMinute, false},
      {"one tick short of 169 hours", kNow - 169 * kHour + kTick, false},
      {"169 hours", kNow - 169 * kHour, true},
      {"a year", kNow - 24 * 365 * kHour, true},
      {"one tick in the future", kNow + kTick, true},
      {"an hour in the future", kNow + kHour, true},
      {"the epoch", 0, true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsModuleCacheExpired(kNow, c.lastWrite), c.expired) << c.desc;
}

TEST(ModuleCacheDigest, FormatsTwentyBytesAsLowerCaseHex) {
  std::vector<std::uint8_t> bytes(20);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 0x0f);
  EXPECT_EQ(FormatSha1Digest(bytes), "0f1c293643505d6a7784919eabb8c5d2dfecf906");
  EXPECT_EQ(FormatSha1Digest(std::vector<std::uint8_t>(19)), "");
  EXPECT_EQ(FormatSha1Digest(std::vector<std::uint8_t>(21)), "");
}

TEST(ModuleCachePending, ClearPendingEmptiesModuleAndTag) {
  ModuleCache cache;
  cache.SetPending({1, 2, 3}, "\"t\"");
  EXPECT_EQ(cache.pendingModule(), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(cache.pendingTag(), "\"t\"");
  cache.ClearPending();
  EXPECT_TRUE(cache.pendingModule().empty());
  EXPECT_TRUE(cache.pendingTag().empty());
}

}  // namespace
}  // namespace vigilor::acquisition
