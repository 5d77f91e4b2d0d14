// SPDX-License-Identifier: MIT
// cGameLauncher: how the launcher asks for the game to be started under the
// protection module. Every outcome comes back through `finished` as one launch
// result with a localized message; download progress through `progress`.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/launch_codes.h"
#include "acquisition/windows_module_loader.h"
#include "localization/localization_catalogue.h"
#include "settings/launcher_settings.h"

namespace vigilor::acquisition {

using FinishedCallback = std::function<void(VGL_ProtectedGameLaunchResult, const char*)>;

class cGameLauncher {
 public:
  // Main thread. The settings must outlive this object.
  cGameLauncher(const std::vector<std::string>& arguments, const settings::LauncherSettings& settings, bool gameDev);
  // Closes the game process handle and shuts the loader down (joins its thread).
  ~cGameLauncher();
  cGameLauncher(const cGameLauncher&) = delete;
  cGameLauncher& operator=(const cGameLauncher&) = delete;

  // Main thread, once, before StartModuleDownload. language/country may be null.
  void SetLocalization(const std::string& directory, const char* language, const char* country);

  // Main thread, once. Every outcome arrives through `finished`, possibly
  // before this returns; empty callbacks make it do nothing at all.
  void StartModuleDownload(const char* executable, const std::vector<std::string>& arguments,
                           const char* workingDirectory, ProgressCallback progress, FinishedCallback finished);

  // A new handle to the game process that the caller owns, or null.
  void* DuplicateGameProcessHandle() const;

  // 0 while no game process is known. Read by the main thread's exit polling.
  std::uint32_t gameProcessId() const { return gameProcessId_.load(); }

 private:
  void OnLoaderStatus(LoaderStatus code, const char* message);
  void LaunchDirectly();
  bool StartGameProcess(bool moduleLoaded);
  void TakeGameProcess();
  void Finish(VGL_ProtectedGameLaunchResult result, const char* message);
  std::string SuccessText();

  const settings::LauncherSettings& settings_;
  bool gameDev_;
  cWindowsModuleLoader loader_;
  ProgressCallback progress_;
  FinishedCallback finished_;
  std::string gamePath_;
  std::vector<std::string> gameArguments_;
  std::string workingDirectory_;
  std::atomic<std::uint32_t> gameProcessId_{0};
  std::atomic<void*> gameProcess_{nullptr};
  localization::LocalizationCatalogue catalogue_;
};

}  // namespace vigilor::acquisition
