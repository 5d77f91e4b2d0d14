// SPDX-License-Identifier: MIT
#include "launcher/semaphore_launch_lock_win.h"

#include <windows.h>

namespace vigilor::launcher {

bool SemaphoreLaunchLock::Acquire(std::string& error) {
  error.clear();
  if (handle_ == nullptr) {
    handle_ = CreateSemaphoreA(nullptr, 1, 1, kLaunchLockName);
    if (handle_ == nullptr) {
      error = "Failed at essential procedures, please run the system repair.";
      return false;
    }
  }
  if (WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0) {
    held_ = true;
    return true;
  }
  error = "Only a single instance of Vigilor launcher is allowed to run at any given time.";
  return false;
}

void SemaphoreLaunchLock::Release() {
  // A process that never got the lock must not hand out a count it does not own.
  if (!held_ || handle_ == nullptr) return;
  held_ = false;
  ReleaseSemaphore(handle_, 1, nullptr);
}

}  // namespace vigilor::launcher
