// SPDX-License-Identifier: MIT
// The single-instance launch lock. The program entry installs the platform's
// lock; the launcher releases it through ReleaseLaunchLock as soon as a launch
// has finished, so a second bootstrapper can start while the first waits.
#pragma once

#include <string>

namespace vigilor::launcher {

class LaunchLock {
 public:
  virtual ~LaunchLock() = default;
  // Takes the lock without waiting. On false, error holds the player-visible reason.
  virtual bool Acquire(std::string& error) = 0;
  // Gives the lock back at most once, and only if this process acquired it.
  virtual void Release() = 0;
};

// Process-wide lock, set by the program entry; null in tools and tests that
// do not install one. Main thread only.
LaunchLock* CurrentLaunchLock();
void SetCurrentLaunchLock(LaunchLock* lock);

// Releases the current lock, if any. Safe to call any number of times.
void ReleaseLaunchLock();

}  // namespace vigilor::launcher
