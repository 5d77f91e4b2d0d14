// SPDX-License-Identifier: MIT
#include "launcher/game_window_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "fixtures/fixture_support_win.h"
#include "module/game_process_win.h"

namespace vigilor::launcher {
namespace {

using fixtures::ScopedEnvironmentVariable;

TEST(FindVisibleWindowOfProcess, NullRecordStopsTheEnumeration) {
  EXPECT_FALSE(FindVisibleWindowOfProcess(nullptr, 0));
}

// A window of this process with the fixture game's own title.
struct WindowOfOurs {
  WindowOfOurs() {
    window = CreateWindowExW(0, L"STATIC", L"FixtureGame Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, nullptr, nullptr);
  }
  ~WindowOfOurs() {
    if (window != nullptr) DestroyWindow(window);
  }
  HWND window;
};

bool HasWindowOfProcess(DWORD processId, const wchar_t* title) {
  for (HWND w = FindWindowExW(nullptr, nullptr, nullptr, title); w != nullptr;
       w = FindWindowExW(nullptr, w, nullptr, title)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == processId) return true;
  }
  return false;
}

// Suites named *OnDisplay need real windows: the win_display_tests run gives
// them a display; the display-less run skips them.
TEST(GameWindowOnDisplay, FindsTheGamesWindowOnlyOnceItIsVisible) {
  WindowOfOurs ours;
  if (ours.window == nullptr) GTEST_SKIP() << "no display; covered by win_display_tests";
  ASSERT_TRUE(HasVisibleWindowOfProcess(GetCurrentProcessId()));

  fixtures::ScratchFolder folder("-window");
  const std::string game = folder.AddFixtureGame();
  ScopedEnvironmentVariable windowAfter(L"FIXTURE_GAME_WINDOW_AFTER_MS", L"4000");
  ScopedEnvironmentVariable lifetime(L"FIXTURE_GAME_LIFETIME_MS", L"30000");
  module::CreatedGameProcess created;
  ASSERT_TRUE(module::CreateGameProcess(game, {}, "", true, created, nullptr));
  const ScopedKernelHandle& process = created.handle;

  // The record is written once the game's (hidden) window exists.
  std::map<std::string, std::string> record;
  for (int i = 0; i < 300 && record.empty(); ++i, Sleep(50)) record = fixtures::ReadFixtureRecord(game);
  ASSERT_EQ(record["window"], "hidden");
  EXPECT_TRUE(HasWindowOfProcess(created.processId, L"FixtureGame Window"));
  EXPECT_FALSE(HasVisibleWindowOfProcess(created.processId)) << "hidden window or our same-titled one counted";

  bool found = false;
  for (int i = 0; i < 1250 && !found && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; ++i, Sleep(16)) {
    found = HasVisibleWindowOfProcess(created.processId);
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(IsWindowVisible(FindWindowW(L"FixtureGameWindowClass", nullptr)));
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 10000);
}

}  // namespace
}  // namespace vigilor::launcher
