// SPDX-License-Identifier: MIT
#include "acquisition/game_launcher.h"

#include <windows.h>

#include "acquisition/system_name.h"
#include "foundation/files.h"
#include "foundation/logger.h"
#include "foundation/unicode.h"
#include "module/game_process_win.h"

namespace vigilor::acquisition {

cGameLauncher::cGameLauncher(const std::vector<std::string>& arguments, const settings::LauncherSettings& settings,
                             bool gameDev)
    : settings_(settings), gameDev_(gameDev), loader_(arguments) {}

cGameLauncher::~cGameLauncher() {
  if (void* process = gameProcess_.exchange(nullptr)) CloseHandle(process);
  loader_.Shutdown();
}

void cGameLauncher::SetLocalization(const std::string& directory, const char* language, const char* country) {
  const std::string lang = language != nullptr ? language : "";
  const std::string ctry = country != nullptr ? country : "";
  std::string loadedName;
  std::wstring error;
  catalogue_.LoadCatalogue(Utf8ToWide(directory), lang, ctry, loadedName, error);
  if (directory.empty()) return;
  if (language != nullptr) {
    loader_.SetLocalization(directory, lang, ctry);
  } else {
    loader_.SetDefaultLocalization();
  }
}

void cGameLauncher::Finish(VGL_ProtectedGameLaunchResult result, const char* message) {
  if (finished_) finished_(result, message);
}

std::string cGameLauncher::SuccessText() {
  return loader_.Text(localization::texts::kSuccessLoaded);
}

void cGameLauncher::StartModuleDownload(const char* executable, const std::vector<std::string>& arguments,
                                        const char* workingDirectory, ProgressCallback progress,
                                        FinishedCallback finished) {
  if (!progress || !finished) return;
  progress_ = progress;
  finished_ = finished;

  if (executable == nullptr || *executable == '\0') {
    Finish(VGL_PGLR_InvalidParameters,
           catalogue_.Lookup(localization::texts::kMissingBinaryPath).c_str());
    return;
  }
  if (workingDirectory == nullptr || *workingDirectory == '\0') {
    Finish(VGL_PGLR_InvalidParameters,
           catalogue_.Lookup(localization::texts::kMissingDirectoryPath).c_str());
    return;
  }
  workingDirectory_ = workingDirectory;
  gamePath_ = workingDirectory_ + executable;
  gameArguments_ = arguments;

  const std::string invalidPath =
      catalogue_.Lookup(localization::texts::kInvalidExecutablePath) +
      gamePath_ + ".";
  if (!FileExists(gamePath_)) {
    Finish(VGL_PGLR_GameBinaryError, invalidPath.c_str());
    return;
  }
  const std::string systemName = DetermineSystemName(gamePath_);
  if (systemName == kUnknownSystemName) {
    Finish(VGL_PGLR_InvalidParameters, invalidPath.c_str());
    return;
  }
  Log(LogLevel::Info, "System name: '%s'.", systemName.c_str());
  loader_.Initialize(
      progress_, [this](LoaderStatus code, const char* message) { OnLoaderStatus(code, message); }, gamePath_,
      workingDirectory_, systemName, settings_.productid, settings_.sandboxid, settings_.deploymentid, gameDev_);
}

void cGameLauncher::TakeGameProcess() {
  if (gameProcessId_.load() == 0) gameProcessId_ = loader_.GetGameProcessId();
  if (gameProcess_.load() == nullptr) {
    void* handle = loader_.OpenGameProcessHandle();
    void* expected = nullptr;
    if (!gameProcess_.compare_exchange_strong(expected, handle) && handle != nullptr) CloseHandle(handle);
  }
}

bool cGameLauncher::StartGameProcess(bool moduleLoaded) {
  if (!loader_.CreateGameProcess(gamePath_, gameArguments_, workingDirectory_, moduleLoaded)) return false;
  gameProcessId_ = loader_.GetGameProcessId();
  TakeGameProcess();
  return true;
}

void cGameLauncher::LaunchDirectly() {
  // A failed creation has already been reported (208); the launcher keeps the
  // last report, so only a real start is followed by the success report.
  if (!StartGameProcess(false)) return;
  Finish(VGL_PGLR_Success, SuccessText().c_str());
}

void cGameLauncher::OnLoaderStatus(LoaderStatus code, const char* message) {
  const LoaderStatusAction action = MapLoaderStatus(code, settings_.allow_null_client);
  switch (action.kind) {
    case LoaderStatusAction::Finish:
      Finish(action.result, message);
      return;
    case LoaderStatusAction::LaunchNullClient:
      if (code == LS_NullClientRequested) {
        Log(LogLevel::Info, "Launching with null client due to an explicit request.");
      } else {
        Log(LogLevel::Warning, "Could not reach the Vigilor CDN, launching with null client, result code: %u.",
            static_cast<unsigned>(code));
      }
      LaunchDirectly();
      return;
    case LoaderStatusAction::StartGame:
      StartGameProcess(true);
      return;
    case LoaderStatusAction::ModuleLoaded:
      loader_.MarkStoreModuleOnShutdown();
      TakeGameProcess();
      Finish(VGL_PGLR_Success, SuccessText().c_str());
      return;
    case LoaderStatusAction::Succeed:
      Finish(VGL_PGLR_Success, SuccessText().c_str());
      return;
  }
}

void* cGameLauncher::DuplicateGameProcessHandle() const {
  return module::DuplicateGameProcessHandle(static_cast<HANDLE>(gameProcess_.load())).release();
}

}  // namespace vigilor::acquisition
