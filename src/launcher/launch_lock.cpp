// SPDX-License-Identifier: MIT
#include "launcher/launch_lock.h"

namespace vigilor::launcher {
namespace {
LaunchLock* g_launchLock = nullptr;
}

LaunchLock* CurrentLaunchLock() { return g_launchLock; }
void SetCurrentLaunchLock(LaunchLock* lock) { g_launchLock = lock; }

void ReleaseLaunchLock() {
  if (g_launchLock != nullptr) g_launchLock->Release();
}

}  // namespace vigilor::launcher
