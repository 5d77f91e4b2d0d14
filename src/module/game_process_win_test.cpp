// SPDX-License-Identifier: MIT
#include "module/game_process_win.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include "fixtures/fixture_support_win.h"
#include "foundation/unicode.h"

namespace vigilor::module {
namespace {

using fixtures::ReadFixtureRecord;
using fixtures::ScopedEnvironmentVariable;
using fixtures::ScratchFolder;

constexpr DWORD kGameTimeoutMs = 30000;

struct Report {
  int calls = 0;
  acquisition::LoaderStatus status{};
  std::string detail;
};

CreationFailureReport Recorder(Report& report) {
  return [&report](acquisition::LoaderStatus status, const std::string& detail) {
    ++report.calls;
    report.status = status;
    report.detail = detail;
  };
}

// The launcher sets "SteamNoOverlayUIDrawing" to "1" for itself at start; the
// null-client variable is not set unless a test asks for it.
class GameProcessTest : public ::testing::Test {
 protected:
  ScopedEnvironmentVariable overlay_{L"SteamNoOverlayUIDrawing", L"1"};
  ScopedEnvironmentVariable nullClient_{L"ORX_USE_ANTICHEATCLIENTNULL", std::nullopt};
  ScopedEnvironmentVariable windowAfter_{L"FIXTURE_GAME_WINDOW_AFTER_MS", std::nullopt};
  ScopedEnvironmentVariable lifetime_{L"FIXTURE_GAME_LIFETIME_MS", std::nullopt};
  ScopedEnvironmentVariable exitCode_{L"FIXTURE_GAME_EXIT_CODE", std::nullopt};
};

DWORD WaitForExitCode(HANDLE process) {
  EXPECT_EQ(WaitForSingleObject(process, kGameTimeoutMs), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  return code;
}

std::string CurrentDirectory() {
  wchar_t buffer[MAX_PATH + 1];
  return WideToUtf8(std::wstring(buffer, GetCurrentDirectoryW(MAX_PATH + 1, buffer)));
}

TEST_F(GameProcessTest, NullClientGameSeesQuotedPathArgumentsAsTheyAreDirectoryAndVariables) {
  ScratchFolder gameFolder(" game \xC3\xBC");
  ScratchFolder workingFolder(" work dir \xC3\xA4");
  const std::string game = gameFolder.AddFixtureGame();
  ScopedEnvironmentVariable exitCode(L"FIXTURE_GAME_EXIT_CODE", L"74565");  // 0x12345

  CreatedGameProcess created;
  Report report;
  ASSERT_TRUE(CreateGameProcess(game, {"-a", "b c"}, workingFolder.path(), false, created, Recorder(report)));
  EXPECT_EQ(report.calls, 0);
  ASSERT_TRUE(created.handle.valid());
  EXPECT_EQ(GetProcessId(created.handle.get()), created.processId);
  EXPECT_EQ(WaitForExitCode(created.handle.get()), 74565u);

  auto record = ReadFixtureRecord(game);
  EXPECT_EQ(record["command_line"], "\"" + game + "\" -a b c");
  EXPECT_EQ(record["argc"], "4");
  EXPECT_EQ(record["argv1"], "-a");
  EXPECT_EQ(record["argv2"], "b");
  EXPECT_EQ(record["argv3"], "c");
  EXPECT_EQ(record["working_directory"], workingFolder.path());
  EXPECT_EQ(record["ORX_USE_ANTICHEATCLIENTNULL"], "1");
  EXPECT_EQ(record["SteamNoOverlayUIDrawing"], "0");
}

TEST_F(GameProcessTest, ModuleLaunchLeavesNullClientUnsetAndEmptyDirectoryMeansOurs) {
  ScratchFolder gameFolder(" module game");
  const std::string game = gameFolder.AddFixtureGame();

  CreatedGameProcess created;
  Report report;
  ASSERT_TRUE(CreateGameProcess(game, {}, "", true, created, Recorder(report)));
  EXPECT_EQ(WaitForExitCode(created.handle.get()), 0u);

  auto record = ReadFixtureRecord(game);
  EXPECT_EQ(record["command_line"], "\"" + game + "\"");
  EXPECT_EQ(record["working_directory"], CurrentDirectory());
  EXPECT_EQ(record.count("ORX_USE_ANTICHEATCLIENTNULL"), 0u);
  EXPECT_EQ(record["SteamNoOverlayUIDrawing"], "0");
}

TEST_F(GameProcessTest, OverlongCommandLineIsCutForTheGame) {
  ScratchFolder gameFolder("-long");
  const std::string game = gameFolder.AddFixtureGame();
  const std::string argument(40000, 'x');

  CreatedGameProcess created;
  Report report;
  ASSERT_TRUE(CreateGameProcess(game, {argument}, "", true, created, Recorder(report)));
  WaitForExitCode(created.handle.get());
  const std::string full = "\"" + game + "\" " + argument;
  EXPECT_EQ(ReadFixtureRecord(game)["command_line"], full.substr(0, kMaxCommandLineUnits));
}

std::string SystemText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                          FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text = length > 0 ? WideToUtf8(std::wstring(buffer, length)) : std::string();
  LocalFree(buffer);
  return text;
}

TEST_F(GameProcessTest, MissingExecutableReportsInternalFailureWithTheSystemText) {
  ScratchFolder gameFolder("-missing");
  CreatedGameProcess created;
  Report report;
  EXPECT_FALSE(CreateGameProcess(gameFolder.File("Missing.exe"), {"-a"}, gameFolder.path(), false, created,
                                 Recorder(report)));
  EXPECT_FALSE(created.handle.valid());
  EXPECT_EQ(created.processId, 0u);
  EXPECT_EQ(report.calls, 1);
  EXPECT_EQ(report.status, 502);
  const std::string fileNotFound = SystemText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(fileNotFound.empty());
  EXPECT_EQ(report.detail, fileNotFound);
  // The variables stay set for this process after a failure.
  std::wstring value;
  EXPECT_TRUE(GetEnvironmentValue(L"ORX_USE_ANTICHEATCLIENTNULL", value));
  EXPECT_EQ(value, L"1");
}

TEST(CreateProcessFailureDetail, UsesTheSystemTextOrTheFailedCallsCode) {
  EXPECT_EQ(CreateProcessFailureDetail(ERROR_ACCESS_DENIED), SystemText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(CreateProcessFailureDetail(0), "CreateProcess failed with 0.");
  // A code the system has no text for names that code, not FormatMessageW's own error.
  EXPECT_EQ(CreateProcessFailureDetail(0x2345ABCD), "CreateProcess failed with 591768525.");
}

bool QueryGrantedAccess(HANDLE handle, ACCESS_MASK& access) {
  using QueryObject = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query =
      reinterpret_cast<QueryObject>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  PUBLIC_OBJECT_BASIC_INFORMATION info = {};
  if (query == nullptr || query(handle, ObjectBasicInformation, &info, sizeof(info), nullptr) != 0) return false;
  access = info.GrantedAccess;
  return true;
}

TEST_F(GameProcessTest, EveryHandleToTheGameHasLimitedAccessAndIsNotInheritable) {
  ScratchFolder gameFolder("-handles");
  const std::string game = gameFolder.AddFixtureGame();
  ScopedEnvironmentVariable lifetime(L"FIXTURE_GAME_LIFETIME_MS", L"20000");
  CreatedGameProcess created;
  Report report;
  ASSERT_TRUE(CreateGameProcess(game, {}, "", true, created, Recorder(report)));
  ASSERT_TRUE(created.handle.valid());

  struct Case {
    const char* desc;
    ScopedKernelHandle handle;
  } cases[] = {
      {"loader duplicate", OpenGameProcessHandle(created.handle.get(), created.processId)},
      {"opened from the reported id", OpenGameProcessHandle(nullptr, created.processId)},
      {"launcher duplicate", DuplicateGameProcessHandle(created.handle.get())},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(c.handle.valid()) << c.desc;
    EXPECT_NE(c.handle.get(), created.handle.get()) << c.desc;
    EXPECT_EQ(GetProcessId(c.handle.get()), created.processId) << c.desc;
    ACCESS_MASK access = 0;
    ASSERT_TRUE(QueryGrantedAccess(c.handle.get(), access)) << c.desc;
    EXPECT_EQ(access, 0x101001u) << c.desc;
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(c.handle.get(), &flags)) << c.desc;
    EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u) << c.desc;
  }
  ACCESS_MASK access = 0;
  ASSERT_TRUE(QueryGrantedAccess(created.handle.get(), access));
  EXPECT_EQ(access, kGameProcessAccess);

  // The launcher's duplicate is enough to end the game and read its exit code.
  const ScopedKernelHandle& launcherHandle = cases[2].handle;
  EXPECT_TRUE(TerminateProcess(launcherHandle.get(), 9));
  EXPECT_EQ(WaitForExitCode(launcherHandle.get()), 9u);
}

TEST(OpenGameProcessHandle, NothingToOpenGivesNoHandle) {
  EXPECT_FALSE(OpenGameProcessHandle(nullptr, 0).valid());
  EXPECT_FALSE(DuplicateGameProcessHandle(nullptr).valid());
}

TEST(LimitCommandLineLength, CutsAtTheLimitWithoutSplittingASurrogatePair) {
  struct Case {
    const char* desc;
    std::wstring line;
    std::size_t expectedLength;
  } cases[] = {
      {"short line stays", L"\"G.exe\" -a", 10},
      {"exactly at the limit stays", std::wstring(kMaxCommandLineUnits, L'x'), kMaxCommandLineUnits},
      {"one over is cut", std::wstring(kMaxCommandLineUnits + 1, L'x'), kMaxCommandLineUnits},
      {"pair across the limit goes whole",
       std::wstring(kMaxCommandLineUnits - 1, L'x') + L"\xD83D\xDE00" + L"tail", kMaxCommandLineUnits - 1},
      {"pair just inside the limit stays",
       std::wstring(kMaxCommandLineUnits - 2, L'x') + L"\xD83D\xDE00" + L"tail", kMaxCommandLineUnits},
  };
  for (Case& c : cases) {
    const std::wstring original = c.line;
    LimitCommandLineLength(c.line);
    EXPECT_EQ(c.line.size(), c.expectedLength) << c.desc;
    EXPECT_EQ(c.line, original.substr(0, c.expectedLength)) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::module
