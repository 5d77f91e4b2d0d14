// SPDX-License-Identifier: MIT
#include "acquisition/windows_module_loader.h"

#include <windows.h>

#include "launcher/test_hooks.h"
#include "module/game_process_win.h"
#include "wine/syscall_gate.h"

namespace vigilor::acquisition {

cWindowsModuleLoader::~cWindowsModuleLoader() {
  Stop();
  if (void* process = gameProcess_.exchange(nullptr)) CloseHandle(process);
  wine::ReleaseLinuxSyscallGate();
}

bool cWindowsModuleLoader::CreateGameProcess(const std::string& path, const std::vector<std::string>& arguments,
                                             const std::string& workingDirectory, bool moduleLoaded) {
  module::CreatedGameProcess created;
  const bool started = module::CreateGameProcess(
      path, arguments, workingDirectory, moduleLoaded, created,
      [this](LoaderStatus status, const std::string& detail) {
        ReportStatus(status, Text(localization::texts::kCreateProcess, {detail}).c_str());
      });
  if (!started) return false;
  gameProcessId_ = created.processId;
  if (void* previous = gameProcess_.exchange(created.handle.release())) CloseHandle(previous);
  return true;
}

bool cWindowsModuleLoader::TryGetModuleCachePath(std::string& path, const std::string& productId,
                                                 const std::string& deploymentId) {
  return ModuleCachePathFor(productId, deploymentId, systemName_, path);
}

bool cWindowsModuleLoader::LoadAndStartModule(const std::vector<std::uint8_t>& module) {
  // Only the test twin sets this, to see which module arrived.
  if (auto received = launcher::CurrentTestHooks().moduleReceived) received(module.data(), module.size());
  // Verification and mapping come later; never start the game as if the
  // module ran.
  ReportStatus(LS_ModuleFailure,
               "The anti-cheat module could not be started: module mapping is not available in this build.");
  return false;
}

void* cWindowsModuleLoader::OpenGameProcessHandle() {
  return module::OpenGameProcessHandle(static_cast<HANDLE>(gameProcess_.load()), gameProcessId_).release();
}

}  // namespace vigilor::acquisition
