// SPDX-License-Identifier: MIT
// The launch flow of the application object: Start, the two callbacks of the
// game launcher (any thread) and the main-thread tasks they queue.
#include <new>

#include "acquisition/game_launcher.h"
#include "foundation/clock.h"
#include "foundation/logger.h"
#include "launcher/anticheat_launcher.h"
#include "launcher/launch_lock.h"
#include "launcher/process_switches.h"
#include "launcher/test_hooks.h"
#include "settings/settings_errors.h"

namespace vigilor::launcher {
namespace {

const localization::LocalizedText& TitleForResult(std::uint32_t result) {
  switch (result) {
    case VGL_PGLR_DnsFailure:
    case VGL_PGLR_ConnectionFailure:
      return localization::texts::kNetworkError;
    case VGL_PGLR_ModuleStatus503:
      return localization::texts::kInstallError;
    case VGL_PGLR_Success:
      return localization::texts::kWaitingForGame;
    default:
      return localization::texts::kLaunchError;
  }
}

}  // namespace

bool AntiCheatLauncher::Start() {
  const bool gameDev = settings.environment == "gamedev";
  gameLauncher_.reset();
  gameLauncher_.reset(new (std::nothrow) acquisition::cGameLauncher(arguments_, settings, gameDev));
  if (CurrentTestHooks().failGameLauncherCreation) gameLauncher_.reset();
  if (!gameLauncher_) {
    Log(LogLevel::Error, "Failed to create GameLauncher instance!");
    return false;
  }
  SetState(Loading);
  gameLauncher_->SetLocalization(exeDirectory_ + "Vigilor\\Localization\\", language_.c_str(), country_.c_str());

  if (settings.loadStatus < 0) {
    const std::string text = settings::DescribeSettingsError(settings, settingsPath_, catalogue_);
    OnGameLauncherFinished(VGL_PGLR_GameBinaryError, text.c_str());
    return true;
  }
  download_.downloadStartTime = SteadyNowNs();
  gameLauncher_->StartModuleDownload(
      settings.executable.c_str(), arguments_, exeDirectory_.c_str(),
      [this](unsigned received, unsigned total) { return OnModuleDownloadProgress(received, total); },
      [this](VGL_ProtectedGameLaunchResult result, const char* message) { OnGameLauncherFinished(result, message); });
  return true;
}

VGL_ModuleDownloadProgressResult AntiCheatLauncher::OnModuleDownloadProgress(unsigned received, unsigned total) {
  Log(LogLevel::Info, "Current progress: %u (%u/%u).", ProgressPercent(received, total), received, total);
  if (RecordProgress(download_, received, total, state_ == Loading, SteadyNowNs())) {
    QueueMainThreadTask([this] {
      ApplyDownloadProgress();
      return false;
    });
  }
  return exitRequested ? VGL_MDPR_Cancel : VGL_MDPR_Continue;
}

void AntiCheatLauncher::OnGameLauncherFinished(VGL_ProtectedGameLaunchResult result, const char* message) {
  launchResult = result;
  {
    std::lock_guard<std::mutex> lock(launchResultTextMutex_);
    launchResultText_ = message != nullptr ? message : "";
  }
  std::int64_t unset = kUnsetTime;
  download_.downloadEndTime.compare_exchange_strong(unset, SteadyNowNs());
  download_.lastProgressPercent = 100;
  QueueMainThreadTask([this] {
    HandleLaunchFinished();
    return false;
  });
}

std::string AntiCheatLauncher::LaunchResultText() {
  std::lock_guard<std::mutex> lock(launchResultTextMutex_);
  return launchResultText_;
}

void AntiCheatLauncher::ApplyDownloadProgress() {
  if (state_ != Loading) return;
  // The progress bar and its texts come with the window; the state still moves.
  if (download_.lastProgressPercent.load() == 100 && state_ == Loading) SetState(Initializing);
}

void AntiCheatLauncher::HandleLaunchFinished() {
  const std::uint32_t result = launchResult.load();
  const std::string text = LaunchResultText();
  Log(LogLevel::Info, "Launcher finished with: %u, '%s'.", result, text.c_str());
  if (result == VGL_PGLR_DnsFailure || result == VGL_PGLR_ConnectionFailure) {
    Log(LogLevel::Error, "Could not reach the Vigilor CDN!");
  }
  statusTitle_ = catalogue_.Lookup(TitleForResult(result));
  download_.lastProgressPercent = 100;

  if (result == VGL_PGLR_Success) {
    Log(LogLevel::Info, "Successfully initialized the Vigilor module, waiting for game window to become visible.");
    SetState(WaitingForGame);
    BeginExitPolling();
  } else {
    SetState(Failed);
    if (CurrentSwitches().immediateExitOnError) exitRequested = true;
  }
  Log(LogLevel::Info, "Unlocking the launch lock, allowing next game to launch to take place.");
  ReleaseLaunchLock();
}

}  // namespace vigilor::launcher
