// SPDX-License-Identifier: MIT
// Program entry of the bootstrapper: start-up, the launcher phase, the main
// loop and the exit code.
#include <windows.h>

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "acquisition/game_launcher.h"
#include "acquisition/http_session.h"
#include "foundation/clock.h"
#include "foundation/logger.h"
#include "foundation/unicode.h"
#include "launcher/anticheat_launcher.h"
#include "launcher/command_line.h"
#include "launcher/dependencies_win.h"
#include "launcher/exit_codes.h"
#include "launcher/process_environment_win.h"
#include "launcher/semaphore_launch_lock_win.h"
#include "launcher/test_seams_win.h"
#include "wine/syscall_gate.h"
#include "wine/wine_detection.h"

namespace vigilor::launcher {
namespace {

constexpr std::uint32_t kLogFlushTimeoutMs = 2000;

// The three steps every exit path runs, once, in this order. The last lines
// of the run are the ones that explain it, so they are written out (for a
// bounded time) before the logger's worker stops.
int Terminate(Logger& logger, int code) {
  logger.Log(LogLevel::Info, "Terminating with: %i.", code);
  ReleaseLaunchLock();
  logger.Flush(kLogFlushTimeoutMs);
  logger.Worker().Stop();
  return code;
}

void RunMainLoop(AntiCheatLauncher& launcher, bool headless) {
  std::int64_t previous = SteadyNowNs();
  while (!launcher.exitRequested) {
    const std::int64_t elapsed = SteadyNowNs() - previous;
    previous = SteadyNowNs();
    // Without SDL there is no event queue to drain.
    SDL_Event event;
    while (!headless && SDL_PollEvent(&event) != 0) launcher.HandleEvent(event);
    launcher.UpdateFrame(elapsed);
  }
}

// The launch result after the main loop, or the game's exit code when the
// settings ask to wait for the game process.
int DecideExitCode(Logger& logger, AntiCheatLauncher& launcher) {
  int result = static_cast<int>(launcher.launchResult.load());
  if (result == VGL_PGLR_Success) result = 0;
  if (result != 0 || !launcher.settings.wait_for_game_process_exit) return Terminate(logger, result);

  HANDLE process = launcher.gameLauncher() != nullptr ? launcher.gameLauncher()->DuplicateGameProcessHandle() : nullptr;
  if (process == nullptr) return Terminate(logger, NoGameProcess);
  logger.Log(LogLevel::Info, "Waiting for game process to exit, will return exit code upon termination.");
  DWORD code = GameExitCodeUnavailable;
  WaitForSingleObject(process, INFINITE);
  if (!GetExitCodeProcess(process, &code)) code = GameExitCodeUnavailable;
  CloseHandle(process);
  return Terminate(logger, static_cast<int>(code));
}

int RunLauncherPhase(Logger& logger, LaunchLock& lock, std::vector<std::string>& arguments,
                     const ProcessSwitches& switches) {
  std::string error;
  if (!lock.Acquire(error)) {
    ShowLaunchError(error.c_str());
    return Terminate(logger, AlreadyRunning);
  }

  // The module transfer's first steps, started now to run alongside the
  // launcher's set-up; joined when this phase ends.
  acquisition::HttpPreparation httpPreparation;
  auto launcher = std::make_unique<AntiCheatLauncher>(logger, arguments);
  test_seams::MaybeThrow();
  GraphicsLibraries libraries;
  if (!switches.headlessMode) {
    test_seams::Trace("graphics-libraries");
    if (test_seams::FailDependencies() || !libraries.Initialize()) {
      ShowLaunchError("Failed to initialize dependencies.");
      const int code = Terminate(logger, DependencyInitFailed);
      launcher.reset();
      return code;
    }
  }
  if (!launcher->Initialize(error)) {
    ShowLaunchError(error.c_str());
    const int code = Terminate(logger, InitializeFailed);
    launcher.reset();
    libraries.Shutdown();
    return code;
  }
  if (!launcher->Start()) {
    ShowLaunchError("Failed to start the anti-cheat module download.");
    const int code = Terminate(logger, StartFailed);
    launcher.reset();
    libraries.Shutdown();
    return code;
  }

  RunMainLoop(*launcher, switches.headlessMode);
  const int code = DecideExitCode(logger, *launcher);
  launcher.reset();
  libraries.Shutdown();
  return code;
}

int RunBootstrapper() {
  Logger logger;  // no sink yet: every line is dropped until the settings are read
  std::vector<std::string> arguments = SplitCommandLine(WideToUtf8(GetCommandLineW()));
  const ProcessSwitches switches = ReadProcessSwitches();
  SetCurrentSwitches(switches);
  test_seams::InstallHooks();

  if (wine::IsRunningUnderWine() && !wine::PrepareLinuxSyscallGate()) {
    ShowLaunchError("Failed to initialize Wine helper buffer");
    return Terminate(logger, WineHelperFailed);
  }
  logger.Worker().Start();
  SetNoOverlayUIDrawing(true);

  SemaphoreLaunchLock lock;
  SetCurrentLaunchLock(&lock);
  try {
    return RunLauncherPhase(logger, lock, arguments, switches);
  } catch (...) {
    // The launcher was destroyed while the exception unwound.
    ShowLaunchError("The Vigilor launcher encountered an internal error.");
    return Terminate(logger, InternalError);
  }
}

}  // namespace
}  // namespace vigilor::launcher

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return vigilor::launcher::RunBootstrapper(); }
