// SPDX-License-Identifier: MIT
// Start-up and exit codes of the real bootstrapper executable, run under Wine.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "process_runner_win.h"

namespace vigilor::e2e {
namespace {

constexpr wchar_t kMessageBoxTitle[] = L"Vigilor Launch Error";

// Takes the launch lock the way another bootstrapper would.
class HeldLaunchLock {
 public:
  HeldLaunchLock() : handle_(CreateSemaphoreA(nullptr, 1, 1, "VigilorLauncherSemaphore")) {
    held_ = handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0;
  }
  ~HeldLaunchLock() {
    if (held_) ReleaseSemaphore(handle_, 1, nullptr);
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  bool held() const { return held_; }
  // True when someone gave a count back although only this test holds the lock.
  bool CountWasReturned() {
    if (WaitForSingleObject(handle_, 0) != WAIT_OBJECT_0) return false;
    return true;  // the extra count is ours now and is released with ours
  }

 private:
  HANDLE handle_;
  bool held_ = false;
};

std::string ReadText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(BootstrapperStartup, SecondInstanceExitsWithoutReleasingALockItNeverHeld) {
  HeldLaunchLock lock;
  ASSERT_TRUE(lock.held());
  GameFolder folder;
  RunOptions options;
  options.environment = {{kImmediateExit, L"1"}, {kHeadless, L"1"}};
  for (int run = 0; run < 2; ++run) {
    const RunResult result = RunProgram(folder.executable(), options);
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut) << "a message box was shown despite the immediate-exit switch";
    EXPECT_EQ(result.exitCode, 60097u) << "run " << run;
  }
  EXPECT_FALSE(lock.CountWasReturned());
}

TEST(BootstrapperStartup, ExitPathsReachTheirCodes) {
  struct Case {
    const char* desc;
    const wchar_t* program;
    Environment environment;
    DWORD expected;
  } cases[] = {
      {"headless without a settings file: the launch fails with 207", L"VigilorBootstrapper.exe",
       {{kImmediateExit, L"1"}, {kHeadless, L"1"}}, 207},
      {"the game launcher cannot be created", kSeamsExe,
       {{kImmediateExit, L"1"}, {kHeadless, L"1"}, {kSeam, L"fail-game-launcher"}}, 60100},
      {"windowed: the window cannot be created yet", L"VigilorBootstrapper.exe",
       {{kImmediateExit, L"1"}, {kHeadless, std::nullopt}}, 60099},
      {"graphics libraries fail", kSeamsExe,
       {{kImmediateExit, L"1"}, {kHeadless, std::nullopt}, {kSeam, L"fail-dependencies"}}, 60098},
      {"exception in the launcher phase", kSeamsExe,
       {{kImmediateExit, L"1"}, {kHeadless, L"1"}, {kSeam, L"throw"}}, 60104},
  };
  for (const auto& c : cases) {
    GameFolder folder(c.program);
    RunOptions options;
    options.environment = c.environment;
    const RunResult result = RunProgram(folder.executable(), options);
    ASSERT_TRUE(result.started) << c.desc;
    EXPECT_FALSE(result.timedOut) << c.desc;
    EXPECT_EQ(result.exitCode, c.expected) << c.desc;
  }
}

TEST(BootstrapperStartup, InternalErrorReleasesTheLaunchLock) {
  GameFolder folder(kSeamsExe);
  RunOptions options;
  options.environment = {{kImmediateExit, L"1"}, {kHeadless, L"1"}, {kSeam, L"throw"}};
  ASSERT_EQ(RunProgram(folder.executable(), options).exitCode, 60104u);
  HeldLaunchLock lock;
  EXPECT_TRUE(lock.held());
}

TEST(BootstrapperStartup, NoRoomForTheWineGateEndsWith60105) {
  GameFolder folder;
  RunOptions options;
  options.environment = {{kImmediateExit, L"1"}, {kHeadless, L"1"}};
  int reserved = 0;
  options.beforeResume = [&](HANDLE process) {
    for (int i = 0; i < 10; ++i) {
      const auto address = reinterpret_cast<void*>(0x700100000000ull + i * 0x100000000ull);
      reserved += VirtualAllocEx(process, address, 4096, MEM_RESERVE, PAGE_NOACCESS) != nullptr;
    }
  };
  const RunResult result = RunProgram(folder.executable(), options);
  ASSERT_EQ(reserved, 10);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 60105u);
}

TEST(BootstrapperStartup, GraphicsLibrariesStartOnlyWithoutHeadlessMode) {
  struct Case {
    const char* desc;
    std::optional<std::wstring> headless;
    bool expectLibraries;
  } cases[] = {
      {"exactly 1 is headless", L"1", false},
      {"missing", std::nullopt, true},
      {"the word true is not", L"true", true},
      {"leading space is not", L" 1", true},
      {"leading zero is not", L"01", true},
  };
  for (const auto& c : cases) {
    GameFolder folder(kSeamsExe);
    const std::wstring trace = folder.File(L"trace.txt");
    RunOptions options;
    options.environment = {{kImmediateExit, L"1"}, {kHeadless, c.headless}, {kTrace, trace}};
    const RunResult result = RunProgram(folder.executable(), options);
    ASSERT_FALSE(result.timedOut) << c.desc;
    const bool started = ReadText(trace).find("graphics-libraries") != std::string::npos;
    EXPECT_EQ(started, c.expectLibraries) << c.desc;
  }
}

// Needs a display: the box is a real window that the test closes.
TEST(BootstrapperStartup, ImmediateExitSwitchOtherThanExactlyOneStillShowsTheBox) {
  struct Case {
    const char* desc;
    std::optional<std::wstring> immediateExit;
    bool expectBox;
  } cases[] = {
      {"exactly 1 suppresses the box", L"1", false},
      {"the word true", L"true", true},
      {"leading space", L" 1", true},
      {"leading zero", L"01", true},
      {"missing", std::nullopt, true},
  };
  HeldLaunchLock lock;
  ASSERT_TRUE(lock.held());
  for (const auto& c : cases) {
    GameFolder folder;
    RunOptions options;
    // Headless mode does not suppress the box.
    options.environment = {{kImmediateExit, c.immediateExit}, {kHeadless, L"1"}};
    bool sawBox = false;
    options.whileRunning = [&](HANDLE, DWORD processId) {
      HWND box = FindWindowOfProcess(processId, kMessageBoxTitle);
      if (box == nullptr) return false;
      sawBox = true;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      PostMessageW(box, WM_CLOSE, 0, 0);
      return true;
    };
    options.timeoutMs = 20000;
    const RunResult result = RunProgram(folder.executable(), options);
    EXPECT_FALSE(result.timedOut) << c.desc;
    EXPECT_EQ(sawBox, c.expectBox) << c.desc;
    EXPECT_EQ(result.exitCode, 60097u) << c.desc;
  }
  EXPECT_FALSE(lock.CountWasReturned());
}

}  // namespace
}  // namespace vigilor::e2e
