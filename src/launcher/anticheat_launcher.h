// SPDX-License-Identifier: MIT
// The application object: owns the launcher state, the main-thread task queue
// and the analytics worker, and decides when the main loop may end. The entry
// function constructs it, calls Initialize and Start, and then runs the main
// loop on the main thread (HandleEvent, UpdateFrame) until exitRequested.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "foundation/logger.h"
#include "foundation/thread.h"
#include "launcher/download_progress.h"
#include "launcher/launcher_state.h"
#include "launcher/main_thread_tasks.h"

union SDL_Event;

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
  bool exitRequested = false;
  std::int32_t launchResult = 0;
  std::string launchResultText;

  LauncherState state() const { return state_; }
  std::uint32_t verbosity() const { return verbosity_; }
  const std::string& exeDirectory() const { return exeDirectory_; }

 private:
  void SetState(LauncherState next);
  void RunNextMainThreadTask() { tasks_.RunNext(); }

  cBackgroundWorker analyticsWorker_;
  LauncherState state_ = None;
  MainThreadTaskQueue tasks_;
  std::string exeDirectory_;
  std::int64_t frameTimeRemaining_ = 0;
  std::int64_t initStartTime_ = kUnsetTime;
  std::vector<std::string> arguments_;
  std::uint32_t verbosity_ = LogLevel::Info;
};

// The launcher the process runs, or null.
AntiCheatLauncher* CurrentLauncher();

}  // namespace vigilor::launcher
