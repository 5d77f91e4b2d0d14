// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "foundation/event.h"

namespace vigilor {

// Base of every background thread: one OS thread, an exit flag, a stop event
// and the lock that guards the thread handle.
//
// Start, Stop and RequestStop may be called from any thread, concurrently.
// A derived class must call Stop() in its own destructor when Run() touches
// the derived object, because by the time ~cThread joins, the derived part
// is already gone. Never destroy the object from its own thread.
class cThread {
 public:
  cThread();
  virtual ~cThread();
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // Creates the thread when none exists: clears the exit flag, resets the stop
  // event and runs Run() on the new thread. Returns false if a thread already
  // exists (even one whose body has returned but was not joined by Stop) or
  // the thread cannot be created.
  bool Start();

  // Stop request, then waits without a time limit for the thread to end and
  // releases it, so Start may be called again. Called on the object's own
  // thread it only makes the request (a thread cannot join itself); the join
  // happens in a later Stop from another thread or in the destructor.
  virtual void Stop();

  // Sets the exit flag and signals the stop event; returns at once.
  virtual void RequestStop();

 protected:
  // The thread body. Long-running bodies poll ExitRequested() or wait with
  // WaitForStopRequest().
  virtual void Run() = 0;

  bool ExitRequested() const { return exit_.load(); }

  // Waits until a stop is requested or timeoutMs passes (kWaitInfinite: no
  // limit); returns true if a stop was requested.
  bool WaitForStopRequest(uint32_t timeoutMs) { return stopEvent_.Wait(timeoutMs); }

 private:
  ManualResetEvent stopEvent_;
  std::atomic<bool> exit_{false};
  std::recursive_mutex lock_;  // guards thread_
  std::thread thread_;
};

// A unit of work for cBackgroundWorker. The caller fills callable, sharedState,
// userPointer and priority; Post fills the rest.
struct BackgroundJob {
  // Receives sharedState.get() when sharedState is set, otherwise userPointer.
  // Returning true asks for another run (repeating jobs only); false ends the job.
  std::function<bool(void*)> callable;
  // Kept alive while the job is queued or running; released with the job,
  // whether it ran or not.
  std::shared_ptr<void> sharedState;
  // Passed through; never owned or freed by the worker.
  void* userPointer = nullptr;
  bool oneShot = true;
  uint32_t delayMs = 0;
  uint32_t intervalMs = 0;
  // Higher runs first; equal priorities run in posting order.
  uint32_t priority = 1;
  int64_t dueTimeNs = 0;  // SteadyNowNs() time from which the job may run
};

// A thread that runs posted jobs one at a time, highest priority first, then in
// posting order, each once its delay has passed.
//
// Post may be called from any thread, also from a job running on this worker.
// Stopping lets the running job finish and leaves queued jobs queued; a later
// Start runs them. The destructor stops and joins, then destroys queued jobs
// without running them. Jobs posted while no thread runs wait in the queue.
class cBackgroundWorker : public cThread {
 public:
  cBackgroundWorker() = default;
  ~cBackgroundWorker() override;

  // Queues a copy of job, due delayMs from now. A repeating job (oneShot false)
  // that returns true is queued again, with its own priority, intervalMs after
  // its run ended. A job with an empty callable is ignored.
  void Post(const BackgroundJob& job, bool oneShot, uint32_t delayMs, uint32_t intervalMs);

  void RequestStop() override;

 protected:
  void Run() override;

 private:
  using JobQueue = std::multimap<uint32_t, BackgroundJob, std::greater<uint32_t>>;

  uint32_t MillisecondsUntilNextDueJob();
  bool TakeNextDueJob(BackgroundJob& job);
  void RunJob(BackgroundJob& job);

  // Declared in reverse of their release order: queue, queue lock, wake event.
  ManualResetEvent wakeEvent_;
  std::recursive_mutex queueLock_;
  JobQueue queue_;
};

}  // namespace vigilor
