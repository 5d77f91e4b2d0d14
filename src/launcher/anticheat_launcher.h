// SPDX-License-Identifier: MIT
// The application object: owns the launcher state, the main-thread task queue
// and the analytics worker, and decides when the main loop may end. The entry
// function constructs it, calls Initialize and Start, and then runs the main
// loop on the main thread (HandleEvent, UpdateFrame) until exitRequested.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/launch_codes.h"

#include "foundation/logger.h"
#include "foundation/thread.h"
#include "launcher/download_progress.h"
#include "launcher/launcher_state.h"
#include "launcher/main_thread_tasks.h"
#include "localization/localization_catalogue.h"
#include "settings/launcher_settings.h"
#include "settings/log_file.h"

union SDL_Event;

namespace vigilor::acquisition {
class cGameLauncher;
}

namespace vigilor::launcher {

inline constexpr std::int64_t kFramePeriodNs = 16'000'000;

class AntiCheatLauncher {
 public:
  // Makes logger the process-wide logger and this the current launcher, and
  // starts the analytics worker. Main thread.
  AntiCheatLauncher(Logger& logger, std::vector<std::string>& arguments);
  ~AntiCheatLauncher();
  AntiCheatLauncher(const AntiCheatLauncher&) = delete;
  AntiCheatLauncher& operator=(const AntiCheatLauncher&) = delete;

  // Main thread, once each. On false, errorText holds the player-visible reason.
  [[nodiscard]] bool Initialize(std::string& errorText);
  [[nodiscard]] bool Start();

  // Main loop hooks, main thread.
  void HandleEvent(const SDL_Event& event);
  void UpdateFrame(std::int64_t elapsedNs);

  // Any thread.
  void QueueMainThreadTask(MainThreadTaskQueue::Task task) { tasks_.Queue(std::move(task)); }

  // Written on the main thread only; other threads may read it.
  std::atomic<bool> exitRequested{false};
  // The last launch result (0 until one arrives); written by the finished
  // callback on any thread, read by the main thread.
  std::atomic<std::uint32_t> launchResult{0};

  // Read once by Initialize (main thread); the game launcher keeps a reference.
  settings::LauncherSettings settings;

  // Main thread, after the main loop: the game launcher, or null.
  acquisition::cGameLauncher* gameLauncher() const { return gameLauncher_.get(); }

  LauncherState state() const { return state_; }
  std::uint32_t verbosity() const { return verbosity_; }
  const std::string& exeDirectory() const { return exeDirectory_; }

 private:
  void SetState(LauncherState next);
  void RunNextMainThreadTask() { tasks_.RunNext(); }

  // Initialize's steps (launcher_setup_win.cpp), main thread.
  void DetectLocale();
  void LoadLocalization(const std::string& language, const std::string& country);
  void ExtractSettingsOverride();
  bool LoadSettings(std::string& errorText);

  // Launch flow (launch_flow_win.cpp). The two callbacks run on any thread.
  VGL_ModuleDownloadProgressResult OnModuleDownloadProgress(unsigned received, unsigned total);
  void OnGameLauncherFinished(VGL_ProtectedGameLaunchResult result, const char* message);
  void ApplyDownloadProgress();
  void HandleLaunchFinished();
  std::string LaunchResultText();

  // Game window watch (exit_polling_win.cpp), main thread.
  void BeginExitPolling();
  bool PollGameWindow();
  void LeaveVisibleState();

  cBackgroundWorker analyticsWorker_;
  std::atomic<LauncherState> state_{None};  // written on the main thread, read by the progress callback
  MainThreadTaskQueue tasks_;
  std::string settingsPath_;  // "Settings.json" or the override, as given
  std::string exeDirectory_;
  localization::LocalizationCatalogue catalogue_;
  std::string country_;       // as detected, e.g. "US"
  std::string language_;      // as detected, e.g. "en"
  std::string loadedLocale_;  // base name of the localization file loaded
  std::int64_t frameTimeRemaining_ = 0;
  std::int64_t initStartTime_ = kUnsetTime;
  std::vector<std::string> arguments_;
  settings::LogFile logFile_;
  std::uint32_t verbosity_ = LogLevel::Info;

  std::unique_ptr<acquisition::cGameLauncher> gameLauncher_;
  DownloadCounters download_;
  std::mutex launchResultTextMutex_;
  std::string launchResultText_;
  std::string statusTitle_;  // main thread: the title the status line shows for the launch result
  std::int64_t exitPollStartTime_ = 0;
  std::int64_t leaveVisibleTime_ = 0;
  void* gameProcessHandle_ = nullptr;  // a duplicate, left open until the process ends
  std::uint32_t gameProcessId_ = 0;
};

// The launcher the process runs, or null.
AntiCheatLauncher* CurrentLauncher();

}  // namespace vigilor::launcher
