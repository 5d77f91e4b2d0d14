// SPDX-License-Identifier: MIT
// The module loader: a worker thread that fetches, verifies, maps and starts
// the protection module, and reports every outcome as a LoaderStatus through
// the status callback. The platform operations are supplied by a subclass.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/launch_codes.h"
#include "acquisition/module_cache.h"
#include "foundation/thread.h"
#include "localization/localization_catalogue.h"

namespace vigilor::acquisition {

using ProgressCallback = std::function<VGL_ModuleDownloadProgressResult(unsigned, unsigned)>;
using StatusCallback = std::function<void(LoaderStatus, const char*)>;

inline constexpr char kNullClientVariable[] = "ORX_USE_ANTICHEATCLIENTNULL";

// True exactly when ORX_USE_ANTICHEATCLIENTNULL is "1".
bool IsNullClientRequested();

class cModuleLoader : public vigilor::cThread {
 public:
  explicit cModuleLoader(const std::vector<std::string>& gameArguments);
  ~cModuleLoader() override;

  // Caller's thread, once: checks the game paths and starts the worker (or
  // reports the null-client request). Every failure is reported, then false.
  virtual bool Initialize(ProgressCallback progress, StatusCallback status, const std::string& gamePath,
                          const std::string& workingDirectory, const std::string& systemName,
                          const std::string& productId, const std::string& sandboxId,
                          const std::string& deploymentId, bool gameDev);

  // Creates the game process; reports 502 itself on failure.
  virtual bool CreateGameProcess(const std::string& path, const std::vector<std::string>& arguments,
                                 const std::string& workingDirectory, bool moduleLoaded) = 0;
  virtual std::uint32_t GetGameProcessId() const { return gameProcessId_; }
  // A new handle to the game process that the caller owns, or null.
  virtual void* OpenGameProcessHandle() { return nullptr; }
  // The override URL from "<game>.vgl" beside the game, or empty.
  virtual std::string ReadCdnOverride();
  // The cache's module file path (TryGetModuleCachePath), or empty.
  virtual std::string ModuleCachePath();
  // Transfer progress hook: true to abort the transfer.
  virtual bool OnTransferProgress(std::uint64_t total, std::uint64_t now, std::uint64_t uploadTotal,
                                  std::uint64_t uploadNow);
  // The product's cache directory + the module file name of systemName_.
  // path is cleared first; false when an id is empty or the directory cannot
  // be made.
  virtual bool TryGetModuleCachePath(std::string& path, const std::string& productId,
                                     const std::string& deploymentId) = 0;

  // Worker thread. One conditional GET of url (a template or an override,
  // expanded here) that must lie on the environment's CDN host. A module is
  // descrambled, kept as the cache's pending module and handed to
  // LoadAndStartModule from there; a 304
  // hands over the cached module. With notify, a failure falls back to the
  // cache and is reported only when that fails too (at once when the backend
  // disabled the service). A cancelled transfer sets cancelled and reports
  // nothing. True when a module was handed to LoadAndStartModule.
  bool DownloadModule(const std::string& url, bool notify, bool& cancelled);

  // Worker thread: hands the cached module's plain bytes to
  // LoadAndStartModule; false when the cache holds no usable module.
  bool LoadCachedModule();

  // Worker thread: verifies, maps and initializes the plain module bytes and
  // reports the outcome itself. The bytes are the cache's pending module: they
  // stay as they are and live until shutdown. Returns true when the module
  // was started.
  virtual bool LoadAndStartModule(const std::vector<std::uint8_t>& module) = 0;

  // Stops and joins the worker, then lets the module go (its shutdown entry).
  void Shutdown();

  // Language for the loader's own texts; see cGameLauncher::SetLocalization.
  void SetLocalization(const std::string& directory, const std::string& language, const std::string& country);

  // Without a language: the user's locale in the executable's localization folder.
  void SetDefaultLocalization();

  // A text from the loader's catalogue, English default as fallback.
  std::string Text(const localization::LocalizedText& text, const std::vector<std::string>& arguments = {}) const;

  // Any thread (a module thread reports 1002); read at shutdown.
  void MarkStoreModuleOnShutdown() { storeModuleOnShutdown_ = true; }
  bool storeModuleOnShutdown() const { return storeModuleOnShutdown_; }

 protected:
  void Run() override;
  void ReportStatus(LoaderStatus code, const char* message);
  bool ValidateGamePaths();

  ProgressCallback progress_;
  StatusCallback status_;
  std::string gamePath_;
  std::string workingDirectory_;
  std::string systemName_;
  std::string productId_;
  std::string sandboxId_;
  std::string deploymentId_;
  bool gameDev_ = false;
  std::string language_;
  std::string country_;
  std::vector<std::string> gameArguments_;
  std::atomic<std::uint32_t> gameProcessId_{0};
  std::string cdnOverride_;
  vigilor::localization::LocalizationCatalogue catalogue_;
  ModuleCache cache_;
  std::atomic<bool> storeModuleOnShutdown_{false};
};

}  // namespace vigilor::acquisition
