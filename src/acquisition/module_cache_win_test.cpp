// SPDX-License-Identifier: MIT
#include "acquisition/module_cache.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/module_scramble.h"
#include "foundation/files.h"
#include "foundation/random.h"
#include "foundation/scoped_handle_win.h"
#include "foundation/unicode.h"

namespace vigilor::acquisition {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kMinute = 60ll * 10'000'000;  // file-time ticks
constexpr std::int64_t kHour = 60 * kMinute;
constexpr char kTag[] = "W/\"5f3a-1\"";

// byte i = 7i + 3: the stored (scrambled) module of these tests. Its SHA-1
// was taken with sha1sum.
Bytes PatternModule() {
  Bytes bytes(5000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}
constexpr char kPatternSha1[] = "6c0a586b2761ee383bb0e7639c4ed091538442ea";

// The module that PatternModule is the stored (scrambled) form of.
Bytes PlainPatternModule() {
  Bytes bytes = PatternModule();
  DescrambleModule(bytes);
  return bytes;
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

void WriteBytes(const std::string& path, const Bytes& bytes) {
  ScopedKernelHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << path;
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(written, bytes.size());
}

Bytes ReadBytes(const std::string& path) {
  Bytes bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& path) { return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Dates the file's last write offset ticks from now (negative: in the past).
void SetLastWriteFromNow(const std::string& path, std::int64_t offset) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER value;
  value.LowPart = now.dwLowDateTime;
  value.HighPart = now.dwHighDateTime;
  value.QuadPart += static_cast<std::uint64_t>(offset);
  const FILETIME time{value.LowPart, value.HighPart};
  ScopedKernelHandle file(CreateFileW(Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << path;
  ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &time));
}

// A fresh folder below the temp folder holding the cache files of one test.
class ModuleCacheFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    folder_ = std::wstring(temp) + L"vgl-cache-" + Utf8ToWide(FormatRandomGuid());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    module_ = WideToUtf8(folder_) + "\\" + ModuleFileName("win64");
    side_ = MetadataPath(module_);
  }
  void TearDown() override {
    for (const std::string& path : {module_, side_, side_ + ".tmp"}) DeleteFileW(Utf8ToWide(path).c_str());
    EXPECT_TRUE(RemoveDirectoryW(folder_.c_str())) << "unexpected files left in the cache folder";
  }

  // A cache as the previous launch's Store leaves it.
  void WriteCache(const Bytes& module, const std::string& sideText) {
    WriteBytes(module_, module);
    WriteBytes(side_, ToBytes(sideText));
  }
  void WriteValidCache(const std::string& tag = kTag) {
    WriteCache(PatternModule(), FormatCacheMetadata(kPatternSha1, tag, "\r\n"));
  }

  std::wstring folder_;
  std::string module_;
  std::string side_;
};

using FileSha1Test = ModuleCacheFiles;

TEST_F(FileSha1Test, HashesTheWholeFileAsLowerCaseHex) {
  struct Case {
    const char* desc;
    Bytes content;
    const char* sha1;
  };
  const Case cases[] = {
      {"three bytes", ToBytes("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"a sentence", ToBytes("The quick brown fox jumps over the lazy dog"),
       "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12"},
      {"5000 bytes over several blocks", PatternModule(), kPatternSha1},
  };
  for (const auto& c : cases) {
    WriteBytes(module_, c.content);
    std::string digest;
    EXPECT_TRUE(FileSha1(module_, digest)) << c.desc;
    EXPECT_EQ(digest, c.sha1) << c.desc;
    EXPECT_TRUE(BytesSha1(c.content, digest)) << c.desc;
    EXPECT_EQ(digest, c.sha1) << c.desc;
  }
}

TEST_F(FileSha1Test, EmptyOrMissingFileHasNoDigest) {
  std::string digest = "stale";
  EXPECT_FALSE(FileSha1(module_, digest));
  EXPECT_EQ(digest, "");
  WriteBytes(module_, {});
  EXPECT_FALSE(FileSha1(module_, digest));
  EXPECT_FALSE(BytesSha1({}, digest));
}

using ModuleCacheOpen = ModuleCacheFiles;

TEST_F(ModuleCacheOpen, TrustsTheFileOnlyWithAMatchingUsableSideFile) {
  struct Case {
    const char* desc;
    std::string side;  // empty: no side file
    bool valid;
  };
  const Case cases[] = {
      {"as Store writes it", FormatCacheMetadata(kPatternSha1, kTag, "\r\n"), true},
      {"digest in upper case", "SHA1=6C0A586B2761EE383BB0E7639C4ED091538442EA\nETAG=" + std::string(kTag), true},
      {"only the entity tag", std::string("etag=") + kTag + "\r\n", false},
      {"digest of other bytes", FormatCacheMetadata("a9993e364706816aba3e25717850c26c9cd0d89d", kTag, "\r\n"),
       false},
      {"garbage", "\x01\x02\r\n\xff\xfe sha1 etag", false},
      {"no side file", "", false},
  };
  for (const auto& c : cases) {
    WriteBytes(module_, PatternModule());
    DeleteFileW(Utf8ToWide(side_).c_str());
    if (!c.side.empty()) WriteBytes(side_, ToBytes(c.side));

    ModuleCache cache;
    cache.Open(module_);
    EXPECT_EQ(cache.valid(), c.valid) << c.desc;
    EXPECT_EQ(cache.tag(), c.valid ? kTag : "") << c.desc;
    EXPECT_EQ(cache.path(), module_) << c.desc;
    // An untrusted but young cache is left for the next Store to replace.
    EXPECT_TRUE(Exists(module_)) << c.desc;
    EXPECT_EQ(Exists(side_), !c.side.empty()) << c.desc;
  }
}

TEST_F(ModuleCacheOpen, DeletesBothFilesOlderThan168WholeHoursOrDatedInTheFuture) {
  struct Case {
    const char* desc;
    std::int64_t lastWrite;  // from now
    bool kept;
  };
  const Case cases[] = {
      {"written 168 hours 59 minutes ago", -(168 * kHour + 59 * kMinute), true},
      {"written 169 hours ago", -169 * kHour, false},
      {"written a month ago", -720 * kHour, false},
      {"dated an hour in the future", kHour, false},
  };
  for (const auto& c : cases) {
    WriteValidCache();
    SetLastWriteFromNow(module_, c.lastWrite);
    ModuleCache cache;
    cache.Open(module_);
    EXPECT_EQ(cache.valid(), c.kept) << c.desc;
    EXPECT_EQ(Exists(module_), c.kept) << c.desc;
    EXPECT_EQ(Exists(side_), c.kept) << c.desc;
  }
}

TEST_F(ModuleCacheOpen, MissingModuleFileDeletesNothing) {
  WriteBytes(side_, ToBytes(FormatCacheMetadata(kPatternSha1, kTag, "\r\n")));
  ModuleCache cache;
  cache.Open(module_);
  EXPECT_FALSE(cache.valid());
  EXPECT_TRUE(Exists(side_));
}

TEST_F(ModuleCacheOpen, ReopeningForgetsTheEarlierState) {
  WriteValidCache();
  ModuleCache cache;
  cache.Open(module_);
  ASSERT_TRUE(cache.valid());
  cache.SetPending({1, 2}, "x");
  cache.Open("");
  EXPECT_FALSE(cache.valid());
  EXPECT_EQ(cache.tag(), "");
  EXPECT_EQ(cache.path(), "");
  EXPECT_TRUE(cache.pendingModule().empty());
  EXPECT_TRUE(cache.pendingTag().empty());
}

using ModuleCacheLoad = ModuleCacheFiles;

TEST_F(ModuleCacheLoad, ConsumesTheCacheAndHandsBackTheDescrambledModule) {
  WriteValidCache();
  ModuleCache cache;
  cache.Open(module_);
  ASSERT_TRUE(cache.valid());

  ASSERT_TRUE(cache.LoadCachedModule());
  EXPECT_EQ(cache.pendingModule(), PlainPatternModule()) << "mapped from here, written back from here";
  EXPECT_EQ(cache.pendingTag(), kTag);
  EXPECT_FALSE(Exists(module_));
  EXPECT_FALSE(Exists(side_));

  EXPECT_FALSE(cache.LoadCachedModule()) << "the cache is used once";
  EXPECT_TRUE(cache.pendingModule().empty());
}

TEST_F(ModuleCacheLoad, InvalidCacheLoadsNothingAndKeepsItsFiles) {
  WriteCache(PatternModule(), std::string("etag=") + kTag);
  ModuleCache cache;
  cache.Open(module_);
  EXPECT_FALSE(cache.LoadCachedModule());
  EXPECT_TRUE(Exists(module_));
  EXPECT_TRUE(Exists(side_));
  EXPECT_TRUE(cache.pendingModule().empty());
}

TEST_F(ModuleCacheLoad, FileChangedSinceOpenIsRefusedAndDeleted) {
  WriteValidCache();
  ModuleCache cache;
  cache.Open(module_);
  ASSERT_TRUE(cache.valid());
  Bytes other = PatternModule();
  other[100] ^= 0x01;
  WriteBytes(module_, other);

  EXPECT_FALSE(cache.LoadCachedModule());
  EXPECT_TRUE(cache.pendingModule().empty());
  EXPECT_FALSE(Exists(module_));
  EXPECT_FALSE(Exists(side_));
}

using ModuleCacheStore = ModuleCacheFiles;

TEST_F(ModuleCacheStore, WrittenCacheIsTrustedByTheNextLaunch) {
  ModuleCache cache;
  cache.Open(module_);
  ASSERT_FALSE(cache.valid());
  cache.SetPending(PlainPatternModule(), kTag);
  ASSERT_TRUE(cache.Store());
  EXPECT_TRUE(cache.pendingModule().empty());
  EXPECT_TRUE(cache.pendingTag().empty());
  EXPECT_EQ(ReadBytes(module_), PatternModule());
  EXPECT_EQ(ReadText(side_), std::string("sha1=") + kPatternSha1 + "\r\netag=" + kTag + "\r\n");

  ModuleCache next;
  next.Open(module_);
  EXPECT_TRUE(next.valid());
  EXPECT_EQ(next.tag(), kTag);
}

// The scrambled file is written a piece at a time; the seams between pieces
// need the next piece's first plain byte.
TEST_F(ModuleCacheStore, ModulesOfManyPiecesAreStoredInTheServedForm) {
  for (const std::size_t size : {std::size_t{1}, std::size_t{2}, (std::size_t{5} << 19) + 1}) {
    Bytes plain(size);
    for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    Bytes served = plain;
    ScrambleModule(served);
    ModuleCache cache;
    cache.Open(module_);
    cache.SetPending(plain, kTag);
    ASSERT_TRUE(cache.Store()) << size;
    EXPECT_EQ(ReadBytes(module_), served) << size;

    ModuleCache next;
    next.Open(module_);
    ASSERT_TRUE(next.valid()) << size;
    ASSERT_TRUE(next.LoadCachedModule()) << size;
    EXPECT_EQ(next.pendingModule(), plain) << size;
  }
}

TEST_F(ModuleCacheStore, ReplacesAnOlderCache) {
  WriteCache(ToBytes("an older module"),
             FormatCacheMetadata("a0e5a1b2e8c4c5d3c9f1b6e7d2a3c4b5e6f7a8b9", "\"old\"", "\r\n"));
  ModuleCache cache;
  cache.Open(module_);
  cache.SetPending(PlainPatternModule(), "\"new\"");
  ASSERT_TRUE(cache.Store());
  ModuleCache next;
  next.Open(module_);
  EXPECT_TRUE(next.valid());
  EXPECT_EQ(next.tag(), "\"new\"");
}

TEST_F(ModuleCacheStore, WritesNothingWithoutAModuleOrAPath) {
  ModuleCache cache;
  cache.Open(module_);
  cache.SetPending({}, kTag);
  EXPECT_FALSE(cache.Store());
  EXPECT_FALSE(Exists(module_));
  EXPECT_TRUE(cache.pendingTag().empty());

  ModuleCache off;
  off.Open("");
  off.SetPending(PlainPatternModule(), kTag);
  EXPECT_FALSE(off.Store());
  EXPECT_TRUE(off.pendingModule().empty());
}

TEST_F(ModuleCacheStore, TagThatCouldSplitAHeaderGetsNoSideFile) {
  ModuleCache cache;
  cache.Open(module_);
  cache.SetPending(PlainPatternModule(), "\"t\"\r\nsha1=0");
  EXPECT_FALSE(cache.Store());
  EXPECT_TRUE(Exists(module_));
  EXPECT_FALSE(Exists(side_));
}

// Passes every write through except the failingCall-th, which stops halfway:
// either failing or (worse) claiming success for the bytes it did write.
class ShortWriter final : public CacheFileWriter {
 public:
  ShortWriter(int failingCall, bool reportFailure) : failingCall_(failingCall), reportFailure_(reportFailure) {}
  bool Write(void* file, const std::uint8_t* data, std::size_t size, std::size_t& written) override {
    const bool cut = ++calls_ == failingCall_;
    const DWORD request = static_cast<DWORD>(cut ? size / 2 : size);
    DWORD done = 0;
    const bool ok = WriteFile(static_cast<HANDLE>(file), data, request, &done, nullptr);
    written = done;
    return ok && !(cut && reportFailure_);
  }

 private:
  int calls_ = 0;
  const int failingCall_;
  const bool reportFailure_;
};

TEST_F(ModuleCacheStore, WriteThatStopsShortLeavesNoSideFile) {
  struct Case {
    const char* desc;
    int failingCall;  // 1: the module file, 2: the side file
    bool reportFailure;
    std::size_t moduleSize;
  };
  const Case cases[] = {
      {"module write fails halfway", 1, true, 2500},
      {"module write claims success for half", 1, false, 2500},
      {"side-file write fails halfway", 2, true, 5000},
      {"side-file write claims success for half", 2, false, 5000},
  };
  for (const auto& c : cases) {
    WriteValidCache("\"previous\"");
    ModuleCache cache;
    cache.Open(module_);
    ASSERT_TRUE(cache.valid()) << c.desc;
    cache.SetPending(PlainPatternModule(), kTag);

    ShortWriter writer(c.failingCall, c.reportFailure);
    EXPECT_FALSE(cache.Store(writer)) << c.desc;
    EXPECT_TRUE(cache.pendingModule().empty()) << c.desc;
    EXPECT_EQ(ReadBytes(module_).size(), c.moduleSize) << c.desc;
    EXPECT_FALSE(Exists(side_)) << c.desc;
    EXPECT_FALSE(Exists(side_ + ".tmp")) << c.desc;

    ModuleCache next;
    next.Open(module_);
    EXPECT_FALSE(next.valid()) << c.desc;
  }
}

TEST(ModuleCachePath, NamesTheModuleFileInTheProductCacheDirectory) {
  const std::string product = "vgl-cache-test-" + FormatRandomGuid();
  std::string path = "stale";
  ASSERT_TRUE(ModuleCachePathFor(product, "deployment", "win64_wow64", path));
  std::string directory;
  ASSERT_TRUE(GetProductCacheDirectory(product, "deployment", directory));
  EXPECT_EQ(path, directory + "vigilor_x64_wow64.vgl");
  EXPECT_TRUE(DirectoryExists(directory));
  RemoveDirectoryW(Utf8ToWide(directory).c_str());
  RemoveDirectoryW(Utf8ToWide(directory.substr(0, directory.size() - std::string("deployment\\").size())).c_str());

  const char* missing[][2] = {{"", "deployment"}, {"product", ""}, {"..", "deployment"}};
  for (const auto& ids : missing) {
    path = "stale";
    EXPECT_FALSE(ModuleCachePathFor(ids[0], ids[1], "win64", path)) << ids[0] << "/" << ids[1];
    EXPECT_EQ(path, "");
  }
}

}  // namespace
}  // namespace vigilor::acquisition
