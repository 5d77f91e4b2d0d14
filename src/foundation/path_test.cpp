// SPDX-License-Identifier: MIT
#include "foundation/path.h"

#include <cwchar>

#include <gtest/gtest.h>

namespace vigilor {
namespace {

TEST(SplitFileExtension, ExtensionRunsFromTheLastDotOfTheWholeName) {
  struct Case {
    const char* desc;
    std::string name;
    std::string extension;
  } cases[] = {
      {"png", "Vigilor/splash.png", ".png"},
      {"last of several dots", "archive.tar.gz", ".gz"},
      {"trailing dot", "splash.", ""},
      {"no dot", "splash", ""},
      {"empty", "", ""},
      {"only a dot", ".", ""},
      {"leading dot", ".hidden", ".hidden"},
      {"separators do not stop the search", "My.Games\\splash", ".Games\\splash"},
  };
  for (const auto& c : cases) {
    std::string nameCopy = "stale";
    std::string extension = "stale";
    SplitFileExtension(c.name, nameCopy, extension);
    EXPECT_EQ(nameCopy, c.name) << c.desc;
    EXPECT_EQ(extension, c.extension) << c.desc;
  }
}

TEST(DirectoryPartOfPath, KeepsTheLastSeparator) {
  struct Case {
    const char* desc;
    std::string path;
    std::string expected;
  } cases[] = {
      {"backslash", "C:\\Games\\x.exe", "C:\\Games\\"},
      {"forward slash", "/opt/game/x.exe", "/opt/game/"},
      {"mixed, last wins", "C:\\a/b\\c.exe", "C:\\a/b\\"},
      {"no separator", "x.exe", ""},
      {"nothing after the separator", "C:\\Games\\", ""},
      {"root file", "\\x.exe", "\\"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryPartOfPath(c.path), c.expected) << c.desc;
  }
}

TEST(IsSinglePathComponent, RejectsNamesThatLeaveTheFolder) {
  struct Case {
    const char* desc;
    std::string name;
    bool expected;
  } cases[] = {
      {"identifier", "a1b2-c3", true},
      {"dots inside", "v1.2", true},
      {"empty", "", false},
      {"current folder", ".", false},
      {"parent folder", "..", false},
      {"backslash", "..\\x", false},
      {"slash", "a/b", false},
      {"drive or stream colon", "C:x", false},
      {"embedded nul", std::string("a\0b", 3), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSinglePathComponent(c.name), c.expected) << c.desc;
  }
}

TEST(AddExtendedLengthPrefix, PrefixesDriveAndUncPathsOnce) {
  struct Case {
    const char* desc;
    std::wstring full;
    std::wstring expected;
  } cases[] = {
      {"drive path", L"C:\\Games\\x.exe", L"\\\\?\\C:\\Games\\x.exe"},
      {"unc path", L"\\\\server\\share\\x.exe", L"\\\\?\\UNC\\server\\share\\x.exe"},
      {"already extended", L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
      {"already extended unc", L"\\\\?\\UNC\\s\\x", L"\\\\?\\UNC\\s\\x"},
      {"nt object path", L"\\??\\C:\\x", L"\\??\\C:\\x"},
      {"device path", L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
      {"empty", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddExtendedLengthPrefix(c.full), c.expected) << c.desc;
  }
}

// Answers like GetModuleFileNameW: copies what fits, returns the capacity when
// the text was cut, and leaves no terminator in that case.
struct CuttingReader {
  std::wstring text;
  int calls = 0;
  size_t operator()(wchar_t* buffer, size_t capacity) {
    ++calls;
    if (text.empty()) return 0;
    const size_t copied = std::min(text.size(), capacity);
    std::wmemcpy(buffer, text.data(), copied);
    if (copied < capacity) buffer[copied] = L'\0';
    return text.size() < capacity ? text.size() : capacity;
  }
};

TEST(ReadUncutText, GrowsTheBufferUntilTheWholeTextFits) {
  struct Case {
    const char* desc;
    size_t length;  // 0: the read fails
    bool expected;
    int calls;
  } cases[] = {
      {"fits at once", 100, true, 1},
      {"one short of the buffer", 259, true, 1},
      {"exactly the buffer leaves no room for the terminator", 260, true, 2},
      {"longer than MAX_PATH", 700, true, 3},
      {"longest that fits the maximum", 32767, true, 8},
      {"longer than the maximum", 40000, false, 8},
      {"read fails", 0, false, 1},
  };
  for (const auto& c : cases) {
    CuttingReader reader{std::wstring(c.length, L'p')};
    if (c.length > 0) reader.text.back() = L'e';
    std::wstring out = L"stale";
    EXPECT_EQ(ReadUncutText(out, 260, 32768, std::ref(reader)), c.expected) << c.desc;
    EXPECT_EQ(out, c.expected ? reader.text : L"stale") << c.desc;
    EXPECT_EQ(reader.calls, c.calls) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor
