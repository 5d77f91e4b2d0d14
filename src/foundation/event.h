// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vigilor {

// Timeout value for ManualResetEvent::Wait that never expires.
inline constexpr uint32_t kWaitInfinite = 0xFFFFFFFFu;

// A manual-reset event: once Set, it stays signalled (and releases every waiter)
// until Reset. All operations are thread-safe and may be called from any thread.
class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool initiallySignalled = false);
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;

  // Waits until the event is signalled or timeoutMs has passed (kWaitInfinite:
  // no limit). Returns whether the event was signalled when the wait ended.
  // A zero timeout only samples the state.
  bool Wait(uint32_t timeoutMs);

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_;
};

}  // namespace vigilor
