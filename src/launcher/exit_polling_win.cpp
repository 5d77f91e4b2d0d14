// SPDX-License-Identifier: MIT
// The watch for the game's window after a successful launch.
#include <windows.h>

#include "acquisition/game_launcher.h"
#include "foundation/clock.h"
#include "foundation/logger.h"
#include "launcher/anticheat_launcher.h"
#include "launcher/game_window_win.h"
#include "launcher/test_hooks.h"
#include "wine/wine_detection.h"

namespace vigilor::launcher {
namespace {

constexpr std::int64_t kExitDeferTimeNs = 60'000'000'000;

std::int64_t WatchNow() {
  const auto clock = CurrentTestHooks().watchClock;
  return clock != nullptr ? clock() : SteadyNowNs();
}

}  // namespace

void AntiCheatLauncher::BeginExitPolling() {
  if (!gameLauncher_) return;
  exitPollStartTime_ = WatchNow();
  gameProcessHandle_ = gameLauncher_->DuplicateGameProcessHandle();
  gameProcessId_ = gameLauncher_->gameProcessId();
  QueueMainThreadTask([this] { return PollGameWindow(); });
}

void AntiCheatLauncher::LeaveVisibleState() {
  exitRequested = true;
  // The window comes with the window work; headless there is none to hide.
}

bool AntiCheatLauncher::PollGameWindow() {
  if (wine::IsRunningUnderWine() && !CurrentTestHooks().watchWindowsUnderWine) {
    LeaveVisibleState();
    return false;
  }
  const std::int64_t now = WatchNow();
  if (now - exitPollStartTime_ > kExitDeferTimeNs) {
    Log(LogLevel::Info,
        "Exit defer time crossed, the bootstrapper will leave the visible state despite the game window not "
        "being visible.");
    leaveVisibleTime_ = now;
    LeaveVisibleState();
    return false;
  }
  if (gameProcessHandle_ == nullptr || gameProcessId_ == 0) {
    Log(LogLevel::Info, "Game process handle or ID have become invalidated, leaving the visible state: %p, %i.",
        gameProcessHandle_, static_cast<int>(gameProcessId_));
    LeaveVisibleState();
    return false;
  }
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(gameProcessHandle_, &exitCode)) exitCode = 0;
  if (exitCode != STILL_ACTIVE) {
    Log(LogLevel::Error, "Fatal error, game process handle: %p, exit code: %u.", gameProcessHandle_,
        static_cast<unsigned>(exitCode));
    LeaveVisibleState();
    return false;
  }
  if (!HasVisibleWindowOfProcess(gameProcessId_)) return true;
  Log(LogLevel::Info, "The game window has become visible, the bootstrapper will leave the visible state.");
  leaveVisibleTime_ = WatchNow();
  Log(LogLevel::Verbose, "Waited %lld ms for the game window.",
      static_cast<long long>((leaveVisibleTime_ - exitPollStartTime_) / 1'000'000));
  LeaveVisibleState();
  return false;
}

}  // namespace vigilor::launcher
