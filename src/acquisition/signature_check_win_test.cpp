// SPDX-License-Identifier: MIT
// Signature-check paths that need no signed fixtures. The signed-module cases
// run in tests/signing, against a test root the Wine prefix trusts.
#include "acquisition/signature_check_win.h"

#include <windows.h>

#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/signature_trust_win.h"
#include "fixtures/fixture_support_win.h"
#include "foundation/files.h"
#include "foundation/unicode.h"

namespace vigilor::acquisition {
namespace {

using fixtures::ScratchFolder;

std::set<std::wstring> FilesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

std::wstring FolderOf(const ScratchFolder& scratch) { return Utf8ToWide(scratch.path()) + L"\\"; }

const std::vector<std::uint8_t> kNotAnImage = {'n', 'o', 't', ' ', 'a', ' ', 'P', 'E', 0, 1, 2, 3};

HANDLE OpenForWriting(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

TEST(TemporaryModuleFile, HeldCopyRefusesWritersAndDeletersButNotReaders) {
  ScratchFolder scratch("-held");
  const std::wstring path = FolderOf(scratch) + L"copy";
  {
    TemporaryModuleFile file(path);
    ASSERT_TRUE(file.Write(kNotAnImage));
    ASSERT_TRUE(file.HoldUnchanged(kNotAnImage));

    ScopedKernelHandle writer(OpenForWriting(path));
    EXPECT_FALSE(writer.valid()) << "a writer got in while the copy was held";
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_FALSE(MoveFileW(path.c_str(), (path + L"-moved").c_str()));
    std::vector<std::uint8_t> read;
    EXPECT_TRUE(ReadWholeFile(path, read)) << "the trust provider must still be able to read it";
    EXPECT_EQ(read, kNotAnImage);
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(TemporaryModuleFile, CopyChangedBeforeItIsHeldIsNotHeld) {
  ScratchFolder scratch("-changed");
  const std::wstring path = FolderOf(scratch) + L"copy";
  struct Case {
    const char* desc;
    std::vector<std::uint8_t> replacement;
  };
  const Case cases[] = {
      {"same length, one byte changed", {'N', 'o', 't', ' ', 'a', ' ', 'P', 'E', 0, 1, 2, 3}},
      {"longer", {'n', 'o', 't', ' ', 'a', ' ', 'P', 'E', 0, 1, 2, 3, 4}},
      {"emptied", {}},
  };
  for (const Case& c : cases) {
    TemporaryModuleFile file(path);
    ASSERT_TRUE(file.Write(kNotAnImage)) << c.desc;
    {
      ScopedKernelHandle writer(
          CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(writer.valid()) << c.desc;
      DWORD written = 0;
      if (!c.replacement.empty()) {
        ASSERT_TRUE(WriteFile(writer.get(), c.replacement.data(), static_cast<DWORD>(c.replacement.size()), &written,
                              nullptr));
      }
    }
    EXPECT_FALSE(file.HoldUnchanged(kNotAnImage)) << c.desc;
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(TemporaryModuleFile, CopyLockedByAWriterIsNotHeld) {
  ScratchFolder scratch("-locked");
  const std::wstring path = FolderOf(scratch) + L"copy";
  TemporaryModuleFile file(path);
  ASSERT_TRUE(file.Write(kNotAnImage));
  ScopedKernelHandle writer(OpenForWriting(path));
  ASSERT_TRUE(writer.valid());
  EXPECT_FALSE(file.HoldUnchanged(kNotAnImage));
}

TEST(VerifyModuleSignature, CheckThatCannotRunLetsTheModuleThroughAndLeavesNoFile) {
  ScratchFolder scratch("-cannot-run");
  TrustFunctions none;
  // A folder without the libraries stands for a system without them.
  ASSERT_FALSE(LoadTrustFunctionsFrom(FolderOf(scratch), none));
  EXPECT_EQ(none.winVerifyTrust, nullptr);
  EXPECT_EQ(VerifyFileTrust(nullptr, Utf8ToWide(scratch.File("any"))), TrustVerdict::FunctionsUnavailable);

  EXPECT_TRUE(VerifyModuleSignatureIn(FolderOf(scratch), nullptr, kNotAnImage)) << "functions unavailable";
  EXPECT_TRUE(FilesIn(FolderOf(scratch)).empty());

  const std::wstring missingFolder = FolderOf(scratch) + L"missing\\";
  EXPECT_TRUE(VerifyModuleSignatureIn(missingFolder, LoadTrustFunctions(), kNotAnImage)) << "copy not writable";
  EXPECT_TRUE(FilesIn(FolderOf(scratch)).empty());
}

TEST(VerifyModuleSignature, BytesThatAreNoSignedImageAreRefusedAndLeaveNoFile) {
  const TrustFunctions* trust = LoadTrustFunctions();
  ASSERT_NE(trust, nullptr);
  EXPECT_EQ(LoadTrustFunctions(), trust) << "the table is loaded once";
  ScratchFolder scratch("-refused");
  const std::vector<std::vector<std::uint8_t>> modules = {kNotAnImage, {}};
  for (const auto& module : modules) {
    EXPECT_FALSE(VerifyModuleSignatureIn(FolderOf(scratch), trust, module)) << module.size() << " bytes";
    EXPECT_TRUE(FilesIn(FolderOf(scratch)).empty()) << module.size() << " bytes";
  }
}

TEST(VerifyFileTrust, MissingFileAndUnsignedFile) {
  const TrustFunctions* trust = LoadTrustFunctions();
  ASSERT_NE(trust, nullptr);
  ScratchFolder scratch("-verdicts");
  EXPECT_EQ(VerifyFileTrust(trust, FolderOf(scratch) + L"absent.dll"), TrustVerdict::FileMissing);
  EXPECT_EQ(VerifyFileTrust(trust, FolderOf(scratch)), TrustVerdict::FileMissing) << "a folder is no file";

  const std::wstring plain = FolderOf(scratch) + L"plain.bin";
  TemporaryModuleFile file(plain);
  ASSERT_TRUE(file.Write(kNotAnImage));
  EXPECT_EQ(VerifyFileTrust(trust, plain), TrustVerdict::Rejected);
  std::u16string name = u"stale";
  EXPECT_FALSE(GetSignerName(*trust, plain, name));
  EXPECT_EQ(name, u"");
}

}  // namespace
}  // namespace vigilor::acquisition
