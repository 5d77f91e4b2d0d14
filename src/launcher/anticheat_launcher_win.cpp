// SPDX-License-Identifier: MIT
#include "launcher/anticheat_launcher.h"

#include <SDL.h>

#include <chrono>
#include <thread>

#include "acquisition/game_launcher.h"
#include "foundation/clock.h"
#include "foundation/files.h"
#include "launcher/launch_lock.h"
#include "launcher/process_switches.h"

namespace vigilor::launcher {
namespace {

AntiCheatLauncher* g_currentLauncher = nullptr;

std::uint32_t VerbosityFor(const std::vector<std::string>& arguments) {
  for (const auto& argument : arguments) {
    if (argument == "-v" || argument == "--verbose") return LogLevel::Trace;
  }
  return LogLevel::Info;
}

}  // namespace

AntiCheatLauncher* CurrentLauncher() { return g_currentLauncher; }

AntiCheatLauncher::AntiCheatLauncher(Logger& logger, std::vector<std::string>& arguments) {
  SetCurrentLogger(&logger);
  arguments_ = arguments;
  verbosity_ = VerbosityFor(arguments_);
  if (!analyticsWorker_.Start()) {
    Log(LogLevel::Error, "Failed to start AnalyticsWorker background thread!");
  }
  g_currentLauncher = this;
}

AntiCheatLauncher::~AntiCheatLauncher() {
  // The game launcher first: its threads may still call back into this object.
  gameLauncher_.reset();
  analyticsWorker_.Stop();
  ReleaseLaunchLock();
  // Detach the sink under the logger's lock before the file goes away, so no
  // line is being written while it closes.
  if (Logger* logger = CurrentLogger()) logger->Configure(nullptr, LogLevel::Info);
  settings::SetCurrentLogFile(nullptr);
  logFile_.Close();
  if (g_currentLauncher == this) g_currentLauncher = nullptr;
}

bool AntiCheatLauncher::Initialize(std::string& errorText) {
  errorText.clear();
  initStartTime_ = SteadyNowNs();

  const unsigned result = GetExecutableDirectory(exeDirectory_);
  if (result != 1) {
    Log(LogLevel::Error, "Failed to query the process executable directory, result: %u.", result);
    errorText = "Failed to query the working directory.";
    Log(LogLevel::Error, "Failed to query the working directory of the launcher.");
    return false;
  }

  DetectLocale();
  ExtractSettingsOverride();
  std::string settingsError;
  if (!LoadSettings(settingsError)) {
    // Start reports the rejected file to the player.
    Log(LogLevel::Error, "Failed to initialize the settings: '%s'.", settingsError.c_str());
  }

  if (!CurrentSwitches().headlessMode) {
    // The bootstrapper window is not part of this build yet; say so instead
    // of running without the window the player expects.
    Log(LogLevel::Error, "The bootstrapper window is not available in this build.");
    errorText = "Failed to initialize the bootstrapper window";
    return false;
  }

  SetState(Prepared);
  return true;
}

void AntiCheatLauncher::SetState(LauncherState next) {
  if (CurrentSwitches().headlessMode) return;
  if (!CanEnterState(state_, next)) {
    Log(LogLevel::Error, "Tried to backtrack from state %u to %u!", static_cast<unsigned>(state_.load()),
        static_cast<unsigned>(next));
    return;
  }
  state_ = next;
}

void AntiCheatLauncher::HandleEvent(const SDL_Event& event) {
  if (event.type == SDL_QUIT) exitRequested = true;
}

void AntiCheatLauncher::UpdateFrame(std::int64_t elapsedNs) {
  frameTimeRemaining_ -= elapsedNs;
  if (frameTimeRemaining_ > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(frameTimeRemaining_ / 1'000'000));
    return;
  }
  frameTimeRemaining_ = kFramePeriodNs;
  if (!tasks_.Empty()) RunNextMainThreadTask();
  // Nothing to draw without a window.
}

}  // namespace vigilor::launcher
