// SPDX-License-Identifier: MIT
#include "acquisition/module_loader.h"

#include <SDL.h>

#include <cstdint>
#include <string>

#include "acquisition/cdn_override.h"
#include "acquisition/module_url.h"
#include "foundation/files.h"
#include "foundation/logger.h"
#include "foundation/text.h"
#include "foundation/unicode.h"
#include "launcher/process_switches.h"

namespace vigilor::acquisition {
namespace {

// The override file is a few lines of text; anything larger is not one.
constexpr std::uint64_t kOverrideFileLimit = 64 * 1024;

}  // namespace

bool IsNullClientRequested() {
  std::wstring value;
  return GetEnvironmentValue(L"ORX_USE_ANTICHEATCLIENTNULL", value) && value == L"1";
}

cModuleLoader::cModuleLoader(const std::vector<std::string>& gameArguments) : gameArguments_(gameArguments) {}

cModuleLoader::~cModuleLoader() { Stop(); }

std::string cModuleLoader::Text(const localization::LocalizedText& text,
                                const std::vector<std::string>& arguments) const {
  return catalogue_.Lookup(text, arguments);
}

void cModuleLoader::SetDefaultLocalization() {
  std::wstring error;
  catalogue_.LoadDefaultCatalogue(error);
}

void cModuleLoader::SetLocalization(const std::string& directory, const std::string& language,
                                    const std::string& country) {
  language_ = language;
  country_ = country;
  std::string loadedName;
  std::wstring error;
  catalogue_.LoadCatalogue(Utf8ToWide(directory), language, country, loadedName, error);
}

bool cModuleLoader::Initialize(ProgressCallback progress, StatusCallback status, const std::string& gamePath,
                               const std::string& workingDirectory, const std::string& systemName,
                               const std::string& productId, const std::string& sandboxId,
                               const std::string& deploymentId, bool gameDev) {
  progress_ = std::move(progress);
  status_ = std::move(status);
  gamePath_ = gamePath;
  workingDirectory_ = workingDirectory;
  systemName_ = systemName;
  productId_ = productId;
  sandboxId_ = sandboxId;
  deploymentId_ = deploymentId;
  gameDev_ = gameDev;

  Log(LogLevel::Info, "Loader initializing with bootstrapper version %i.%i.%i, architecture: %s.", 1, 9, 0,
      "x86-64");
  if (gameDev_) Log(LogLevel::Info, "Using GameDev environment.");
  if (!ValidateGamePaths()) return false;

  std::string cachePath;
  if (TryGetModuleCachePath(cachePath, productId_, deploymentId_)) cache_.Open(cachePath);

  if (IsNullClientRequested()) {
    Log(LogLevel::Info,
        "Debug environment variable (%s) was present, launching with null client. To use the live module, "
        "remove the environment variable.",
        kNullClientVariable);
    ReportStatus(LS_NullClientRequested, nullptr);
    return true;
  }
  if (!Start()) {
    ReportStatus(LS_InternalFailure,
                 Text(localization::texts::kCreateThread).c_str());
    return false;
  }
  Log(LogLevel::Info, "Loader component initialized.");
  return true;
}

bool cModuleLoader::ValidateGamePaths() {
  if (gamePath_.empty()) {
    ReportStatus(LS_GamePathInvalid, Text(localization::texts::kEmptyExecutableField)
                                         .c_str());
    return false;
  }
  if (!workingDirectory_.empty() && !DirectoryExists(workingDirectory_)) {
    ReportStatus(LS_GamePathInvalid,
                 Text(localization::texts::kWorkingDirectory).c_str());
    return false;
  }
  if (!FileExists(gamePath_)) {
    ReportStatus(LS_GamePathInvalid, Text(localization::texts::kGameBinaryNotFound, {gamePath_})
                                         .c_str());
    return false;
  }
  if (DirectoryExists(gamePath_)) {
    ReportStatus(LS_GamePathInvalid, Text(localization::texts::kGameBinaryIsDirectory)
                                         .c_str());
    return false;
  }
  return true;
}

std::string cModuleLoader::ModuleCachePath() {
  std::string path;
  return TryGetModuleCachePath(path, productId_, deploymentId_) ? path : std::string();
}

std::string cModuleLoader::ReadCdnOverride() {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(gamePath_ + ".vgl", bytes, kOverrideFileLimit)) return {};
  return ParseCdnOverride(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void cModuleLoader::Run() {
  const std::string moduleUrl = ModuleUrlTemplate(gameDev_);
  cdnOverride_ = ReadCdnOverride();
  bool cancelled = false;
  if (cdnOverride_.empty()) {
    DownloadModule(moduleUrl, true, cancelled);
    return;
  }
  Log(LogLevel::Info, "CDN path overridden by local config file.");
  const std::string info =
      "Downloading undeployed anti-cheat module, build id: " + BuildIdFromOverride(cdnOverride_) + ".";
  if (!launcher::CurrentSwitches().immediateExitOnError) {
    // Blocks this worker until the player dismisses it.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Vigilor Launch Info", info.c_str(), nullptr);
  }
  if (!DownloadModule(cdnOverride_, false, cancelled) && !cancelled) {
    const std::string text = Text(localization::texts::kConnectionFailed) + cdnOverride_;
    ReportStatus(LS_UndeployedDownloadFailed, text.c_str());
  }
  // A module from an override URL is never cached.
  cache_.ClearPending();
}

void cModuleLoader::ReportStatus(LoaderStatus code, const char* message) {
  if (!status_) return;
  if (message != nullptr) {
    std::string line = "[VGL Callback] Code: {0}. Message: '{1}'.";
    FormatPlaceholders(line, {std::to_string(static_cast<int>(code)), message});
    Log(LogLevel::Verbose, "%s", line.c_str());
  }
  status_(code, message);
}

bool cModuleLoader::OnTransferProgress(std::uint64_t total, std::uint64_t now, std::uint64_t, std::uint64_t) {
  if (ExitRequested() || !progress_) return true;
  return progress_(static_cast<unsigned>(now), static_cast<unsigned>(total)) == VGL_MDPR_Cancel;
}

void cModuleLoader::Shutdown() {
  Stop();
  // The module's shutdown entry comes with module mapping. The cache keeps a
  // module only once the module reported that it loaded in the game.
  if (storeModuleOnShutdown_) cache_.Store();
  cache_.ClearPending();
}

}  // namespace vigilor::acquisition
