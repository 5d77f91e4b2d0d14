// SPDX-License-Identifier: MIT
// The launch lock as the per-session named semaphore "VigilorLauncherSemaphore".
#pragma once

#include "launcher/launch_lock.h"

namespace vigilor::launcher {

inline constexpr char kLaunchLockName[] = "VigilorLauncherSemaphore";

class SemaphoreLaunchLock final : public LaunchLock {
 public:
  SemaphoreLaunchLock() = default;
  SemaphoreLaunchLock(const SemaphoreLaunchLock&) = delete;
  SemaphoreLaunchLock& operator=(const SemaphoreLaunchLock&) = delete;
  // The handle is deliberately not closed: it lives until the process ends.
  ~SemaphoreLaunchLock() override = default;

  bool Acquire(std::string& error) override;  // AcquireSingleInstance
  void Release() override;

 private:
  void* handle_ = nullptr;
  bool held_ = false;
};

}  // namespace vigilor::launcher
