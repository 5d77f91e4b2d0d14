// SPDX-License-Identifier: MIT
#include "foundation/files.h"

#include <windows.h>

#include <set>

#include <gtest/gtest.h>

#include "foundation/random.h"
#include "foundation/scoped_handle_win.h"
#include "foundation/unicode.h"
#include "fixtures/fixture_support_win.h"

namespace vigilor {
namespace {

using fixtures::RemoveTree;


std::set<std::wstring> ListFolder(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.insert(entry.cFileName);
  while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  ScopedKernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid());
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(written, bytes.size());
}

std::wstring RoamingAppData() {
  std::wstring value;
  EXPECT_TRUE(GetEnvironmentValue(L"APPDATA", value));
  return value;
}

std::string UniqueName(const char* prefix) { return prefix + FormatRandomGuid(); }

// A fresh folder below the user's temp folder, removed with all its contents.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    folder_ = std::wstring(temp) + L"vgl-" + Utf8ToWide(FormatRandomGuid());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    folder_ += L"\\";
  }
  void TearDown() override { RemoveTree(L"\\\\?\\" + folder_.substr(0, folder_.size() - 1)); }

  std::wstring Wide(const std::wstring& name) const { return folder_ + name; }
  std::string Narrow(const std::wstring& name) const { return WideToUtf8(folder_ + name); }

  std::wstring folder_;  // ends with a separator
};

TEST(ProductCacheRoot, IsVigilorBelowRoamingAppData) {
  std::wstring root = L"stale";
  ASSERT_TRUE(GetProductCacheRoot(root));
  EXPECT_EQ(root, RoamingAppData() + L"\\Vigilor\\");
  EXPECT_TRUE(DirectoryExists(WideToUtf8(root)));
}

TEST(ProductCacheDirectory, CreatesProductAndDeploymentFolders) {
  const std::string product = UniqueName("vgltest-");
  std::wstring root;
  ASSERT_TRUE(GetProductCacheRoot(root));
  std::string directory;
  ASSERT_TRUE(GetProductCacheDirectory(product, "deployment-1", directory));
  EXPECT_EQ(directory, WideToUtf8(root) + product + "\\deployment-1\\");
  EXPECT_TRUE(DirectoryExists(directory));
  // Existing folders are reused.
  std::string again;
  EXPECT_TRUE(GetProductCacheDirectory(product, "deployment-1", again));
  EXPECT_EQ(again, directory);
  RemoveTree(root + Utf8ToWide(product));
}

TEST(ProductCacheDirectory, RejectedIdentifiersCreateNothing) {
  std::wstring root;
  ASSERT_TRUE(GetProductCacheRoot(root));
  const std::wstring appData = RoamingAppData();
  const std::string fresh = UniqueName("vgltest-");
  struct Case {
    const char* desc;
    std::string product;
    std::string deployment;
  } cases[] = {
      {"empty deployment", fresh, ""},
      {"empty product", "", "deployment-1"},
      {"parent folder as product", "..", fresh},
      {"deployment climbing out", fresh, "..\\..\\" + fresh},
      {"slash in deployment", fresh, "a/b"},
      {"drive in product", "C:" + fresh, "d"},
  };
  const auto rootBefore = ListFolder(root);
  const auto appDataBefore = ListFolder(appData);
  for (const auto& c : cases) {
    std::string directory = "stale";
    EXPECT_FALSE(GetProductCacheDirectory(c.product, c.deployment, directory)) << c.desc;
    EXPECT_EQ(directory, "") << c.desc;
  }
  EXPECT_EQ(ListFolder(root), rootBefore);
  EXPECT_EQ(ListFolder(appData), appDataBefore);
}

TEST(ProductCacheDirectory, FileInPlaceOfAFolderFails) {
  std::wstring root;
  ASSERT_TRUE(GetProductCacheRoot(root));
  const std::string product = UniqueName("vgltest-");
  const std::wstring blocker = root + Utf8ToWide(product);
  WriteBytes(blocker, "x");
  std::string directory;
  EXPECT_FALSE(GetProductCacheDirectory(product, "deployment-1", directory));
  EXPECT_EQ(directory, "");
  DeleteFileW(blocker.c_str());
}

TEST(ExecutableDirectory, EndsWithSeparatorAndHoldsTheExecutable) {
  std::string directory;
  ASSERT_EQ(GetExecutableDirectory(directory), ExecutableDirectoryResult::Success);
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '\\');
  std::string path;
  ASSERT_TRUE(GetExecutablePath(path));
  EXPECT_EQ(path.rfind(directory, 0), 0u) << path;
  EXPECT_EQ(path.find('\\', directory.size()), std::string::npos) << path;
  EXPECT_TRUE(FileExists(path));
}

TEST_F(TempFolderTest, FileExistsMatchesFilesNotFolders) {
  WriteBytes(Wide(L"game.exe"), "MZ");
  WriteBytes(Wide(L"\u00fcber.ttf"), "f");
  ASSERT_TRUE(CreateDirectoryW(Wide(L"folder.exe").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(L"only-folders").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(L"only-folders\\sub").c_str(), nullptr));
  struct Case {
    const char* desc;
    std::wstring path;
    bool expected;
  } cases[] = {
      {"existing file", Wide(L"game.exe"), true},
      {"non-ascii name", Wide(L"\u00fcber.ttf"), true},
      {"missing file", Wide(L"missing.exe"), false},
      {"folder named like a file", Wide(L"folder.exe"), false},
      {"pattern matching a file", Wide(L"*.ttf"), true},
      {"pattern matching only folders", Wide(L"only-folders\\*"), false},
      {"pattern matching nothing", Wide(L"*.dll"), false},
      {"empty", L"", false},
      {"embedded nul hides a missing name", Wide(L"game.exe") + std::wstring(1, L'\0') + L"x", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileExists(c.path), c.expected) << c.desc;
    EXPECT_EQ(FileExists(WideToUtf8(c.path)), c.expected) << c.desc << " (utf-8)";
  }
}

TEST_F(TempFolderTest, DirectoryExistsOnlyForFolders) {
  WriteBytes(Wide(L"file"), "x");
  ASSERT_TRUE(CreateDirectoryW(Wide(L"dir").c_str(), nullptr));
  struct Case {
    const char* desc;
    std::string path;
    bool expected;
  } cases[] = {
      {"folder", Narrow(L"dir"), true},
      {"folder with separator", Narrow(L"dir\\"), true},
      {"file", Narrow(L"file"), false},
      {"missing", Narrow(L"missing"), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryExists(c.path), c.expected) << c.desc;
  }
}

TEST_F(TempFolderTest, QueryFileSizeReportsBytesOrMinusOne) {
  WriteBytes(Wide(L"five.bin"), "12345");
  WriteBytes(Wide(L"empty.bin"), "");
  ASSERT_TRUE(CreateDirectoryW(Wide(L"dir").c_str(), nullptr));
  struct Case {
    const char* desc;
    std::string path;
    int64_t expected;
  } cases[] = {
      {"file", Narrow(L"five.bin"), 5},
      {"forward slashes", WideToUtf8(folder_) + "./five.bin", 5},
      {"empty file", Narrow(L"empty.bin"), 0},
      {"missing", Narrow(L"missing.bin"), -1},
      {"folder", Narrow(L"dir"), -1},
      {"empty path", "", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QueryFileSize(c.path), c.expected) << c.desc;
  }
}

TEST_F(TempFolderTest, QueryFileSizeIgnoresAWritersSharingMode) {
  WriteBytes(Wide(L"busy.bin"), "abc");
  ScopedKernelHandle writer(CreateFileW(Wide(L"busy.bin").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.valid());
  EXPECT_EQ(QueryFileSize(Narrow(L"busy.bin")), 3);
}

TEST_F(TempFolderTest, ReadWholeFileHonoursTheByteLimit) {
  WriteBytes(Wide(L"hello.txt"), "hello");
  WriteBytes(Wide(L"empty.txt"), "");
  ASSERT_TRUE(CreateDirectoryW(Wide(L"dir").c_str(), nullptr));
  struct Case {
    const char* desc;
    std::wstring name;
    uint64_t limit;
    bool expected;
    std::string bytes;
  } cases[] = {
      {"whole file", L"hello.txt", kNoByteLimit, true, "hello"},
      {"limit above size", L"hello.txt", 100, true, "hello"},
      {"limit equal to size", L"hello.txt", 5, true, "hello"},
      {"limit cuts", L"hello.txt", 3, true, "hel"},
      {"zero limit", L"hello.txt", 0, false, ""},
      {"empty file", L"empty.txt", kNoByteLimit, false, ""},
      {"missing file", L"missing.txt", kNoByteLimit, false, ""},
      {"folder", L"dir", kNoByteLimit, false, ""},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes{'s', 't', 'a', 'l', 'e'};
    EXPECT_EQ(ReadWholeFile(Narrow(c.name), bytes, c.limit), c.expected) << c.desc;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes) << c.desc;
    bytes.assign({'s'});
    EXPECT_EQ(ReadWholeFile(Wide(c.name), bytes, c.limit), c.expected) << c.desc << " (wide)";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes) << c.desc << " (wide)";
  }
}

TEST_F(TempFolderTest, ReadWholeFileRefusesAFileOpenForWriting) {
  WriteBytes(Wide(L"busy.txt"), "partial");
  ScopedKernelHandle writer(CreateFileW(Wide(L"busy.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.valid());
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(ReadWholeFile(Narrow(L"busy.txt"), bytes));
  writer.reset();
  EXPECT_TRUE(ReadWholeFile(Narrow(L"busy.txt"), bytes));
}

TEST_F(TempFolderTest, ExtendedLengthPathForms) {
  wchar_t previous[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  struct Case {
    const char* desc;
    std::wstring path;
    std::wstring expected;
  } cases[] = {
      {"drive path", L"C:\\Games\\x.exe", L"\\\\?\\C:\\Games\\x.exe"},
      {"normalized", L"C:/Games/./a/../x.exe", L"\\\\?\\C:\\Games\\x.exe"},
      {"unc path", L"\\\\server\\share\\x.exe", L"\\\\?\\UNC\\server\\share\\x.exe"},
      {"already prefixed", L"\\\\?\\C:\\Games\\x.exe", L"\\\\?\\C:\\Games\\x.exe"},
      {"relative to the current folder", L"rel\\x.exe", L"\\\\?\\" + folder_ + L"rel\\x.exe"},
      {"empty", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToExtendedLengthPath(c.path), c.expected) << c.desc;
  }
  SetCurrentDirectoryW(previous);
}

TEST_F(TempFolderTest, ExtendedLengthPathOpensTheSameFile) {
  WriteBytes(Wide(L"f.bin"), "1234");
  ASSERT_TRUE(CreateDirectoryW(Wide(L"sub").c_str(), nullptr));
  struct Case {
    const char* desc;
    std::wstring path;
  } cases[] = {
      {"plain", Wide(L"f.bin")},
      {"dot segments and slashes", Wide(L"sub/./../f.bin")},
      {"already extended", L"\\\\?\\" + Wide(L"f.bin")},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(ToExtendedLengthPath(c.path), bytes)) << c.desc;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "1234") << c.desc;
  }
}

}  // namespace
}  // namespace vigilor
