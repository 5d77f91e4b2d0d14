// SPDX-License-Identifier: MIT
#include "foundation/thread.h"

#include <algorithm>
#include <system_error>

#include "foundation/clock.h"

namespace vigilor {

namespace {

constexpr int64_t kNsPerMs = 1000000;

// The cThread whose body runs on this OS thread, if any.
thread_local const cThread* tlsCurrentThread = nullptr;

}  // namespace

cThread::cThread() = default;

cThread::~cThread() {
  // Only joins here; derived bodies must already have been stopped by the
  // derived destructor.
  cThread::Stop();
}

bool cThread::Start() {
  if (tlsCurrentThread == this) {
    return false;  // our own thread exists by definition
  }
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (thread_.joinable()) {
    return false;
  }
  exit_.exchange(false);
  stopEvent_.Reset();
  try {
    thread_ = std::thread([this] {
      tlsCurrentThread = this;
      Run();
    });
  } catch (const std::system_error&) {
    // The only way std::thread reports that the OS refused a thread.
    return false;
  }
  return true;
}

void cThread::Stop() {
  RequestStop();
  // Checked before taking the lock: another thread may hold it while joining us.
  if (tlsCurrentThread == this) {
    return;
  }
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!thread_.joinable()) {
    return;
  }
  thread_.join();
  thread_ = std::thread();
}

void cThread::RequestStop() {
  exit_.exchange(true);
  stopEvent_.Set();
}

cBackgroundWorker::~cBackgroundWorker() {
  // Join while Run and the queue still exist; queued jobs die with queue_.
  Stop();
}

void cBackgroundWorker::Post(const BackgroundJob& job, bool oneShot, uint32_t delayMs,
                             uint32_t intervalMs) {
  if (!job.callable) {
    return;
  }
  BackgroundJob entry;
  entry.callable = job.callable;
  entry.sharedState = job.sharedState;
  entry.userPointer = job.userPointer;
  entry.priority = job.priority;
  entry.oneShot = oneShot;
  entry.delayMs = delayMs;
  entry.intervalMs = intervalMs;
  entry.dueTimeNs = SteadyNowNs() + static_cast<int64_t>(delayMs) * kNsPerMs;

  std::lock_guard<std::recursive_mutex> guard(queueLock_);
  // multimap inserts after existing equal keys, which keeps posting order.
  queue_.emplace(entry.priority, std::move(entry));
  wakeEvent_.Set();
}

void cBackgroundWorker::RequestStop() {
  cThread::RequestStop();
  wakeEvent_.Set();
}

void cBackgroundWorker::Run() {
  while (!ExitRequested()) {
    wakeEvent_.Wait(MillisecondsUntilNextDueJob());
    // Reset before looking at the queue: a post after this point sets the
    // event again, so the next wait returns at once and nothing is missed.
    wakeEvent_.Reset();
    BackgroundJob job;
    if (!TakeNextDueJob(job)) {
      continue;
    }
    if (ExitRequested()) {
      return;  // the taken job is dropped; the queue keeps the rest
    }
    RunJob(job);
  }
}

uint32_t cBackgroundWorker::MillisecondsUntilNextDueJob() {
  std::lock_guard<std::recursive_mutex> guard(queueLock_);
  if (queue_.empty()) {
    return kWaitInfinite;
  }
  const int64_t now = SteadyNowNs();
  int64_t earliest = queue_.begin()->second.dueTimeNs;
  for (const auto& [priority, job] : queue_) {
    earliest = std::min(earliest, job.dueTimeNs);
    if (earliest <= now) {
      return 0;  // stop early: a long backlog of due jobs must not cost a full scan each
    }
  }
  // Truncated: a job due in under a millisecond is waited for with zero-length
  // waits rather than overslept.
  const int64_t waitMs = (earliest - now) / kNsPerMs;
  if (waitMs <= 0) {
    return 0;
  }
  return waitMs >= kWaitInfinite ? kWaitInfinite - 1 : static_cast<uint32_t>(waitMs);
}

bool cBackgroundWorker::TakeNextDueJob(BackgroundJob& job) {
  std::lock_guard<std::recursive_mutex> guard(queueLock_);
  const int64_t now = SteadyNowNs();
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (it->second.dueTimeNs <= now) {
      job = std::move(it->second);
      queue_.erase(it);
      return true;
    }
  }
  return false;
}

void cBackgroundWorker::RunJob(BackgroundJob& job) {
  void* argument = job.sharedState ? job.sharedState.get() : job.userPointer;
  const bool runAgain = job.callable(argument);
  if (runAgain && !job.oneShot) {
    // The interval counts from the end of this run.
    Post(job, false, job.intervalMs, job.intervalMs);
  }
}

}  // namespace vigilor
