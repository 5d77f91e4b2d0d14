// SPDX-License-Identifier: MIT
// The Windows module loader: supplies game process creation and the game
// process handle to the platform-neutral pipeline of cModuleLoader.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "acquisition/module_loader.h"

namespace vigilor::acquisition {

class cWindowsModuleLoader final : public cModuleLoader {
 public:
  explicit cWindowsModuleLoader(const std::vector<std::string>& gameArguments) : cModuleLoader(gameArguments) {}
  // Joins the worker, closes the process handle and releases the Wine gate.
  ~cWindowsModuleLoader() override;

  bool CreateGameProcess(const std::string& path, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, bool moduleLoaded) override;
  void* OpenGameProcessHandle() override;
  bool TryGetModuleCachePath(std::string& path, const std::string& productId,
                             const std::string& deploymentId) override;
  // Module mapping is not part of this build: reports 507 and answers false.
  bool LoadAndStartModule(const std::vector<std::uint8_t>& module) override;

 private:
  std::atomic<void*> gameProcess_{nullptr};
};

}  // namespace vigilor::acquisition
