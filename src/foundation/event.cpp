// SPDX-License-Identifier: MIT
#include "foundation/event.h"

#include <chrono>

namespace vigilor {

ManualResetEvent::ManualResetEvent(bool initiallySignalled) : signalled_(initiallySignalled) {}

void ManualResetEvent::Set() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (signalled_) {
      return;  // nobody can be waiting; spares bursts of posts a wake-up each
    }
    signalled_ = true;
  }
  changed_.notify_all();
}

void ManualResetEvent::Reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  signalled_ = false;
}

bool ManualResetEvent::IsSet() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return signalled_;
}

bool ManualResetEvent::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (timeoutMs == 0 || signalled_) {
    // A timed wait with an expired deadline can still sleep for a scheduler
    // tick on some hosts; the worker polls with zero timeouts while busy.
    return signalled_;
  }
  if (timeoutMs == kWaitInfinite) {
    changed_.wait(lock, [this] { return signalled_; });
    return true;
  }
  // An absolute deadline keeps spurious wake-ups from stretching the wait.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  return changed_.wait_until(lock, deadline, [this] { return signalled_; });
}

}  // namespace vigilor
