// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/clock.h"
#include "foundation/thread.h"

namespace vigilor {
namespace {

constexpr auto kGenerousTimeout = std::chrono::seconds(10);
constexpr int64_t kNsPerMs = 1000000;

// What jobs did, in the order they did it; the test thread waits on it.
class Journal {
 public:
  void Add(int entry) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      entries_.push_back(entry);
    }
    changed_.notify_all();
  }

  bool WaitForCount(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kGenerousTimeout, [&] { return entries_.size() >= count; });
  }

  std::vector<int> Entries() {
    std::lock_guard<std::mutex> guard(mutex_);
    return entries_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> entries_;
};

BackgroundJob MakeJob(std::function<bool(void*)> callable, uint32_t priority = 1) {
  BackgroundJob job;
  job.callable = std::move(callable);
  job.priority = priority;
  return job;
}

BackgroundJob Recording(Journal& journal, int entry, uint32_t priority = 1) {
  return MakeJob(
      [&journal, entry](void*) {
        journal.Add(entry);
        return false;
      },
      priority);
}

// Shared state that counts its destructions.
struct Counted {
  explicit Counted(std::atomic<int>& destroyed) : destroyed(destroyed) {}
  ~Counted() { ++destroyed; }
  std::atomic<int>& destroyed;
};

TEST(BackgroundWorker, PostsToIdleWorkerRunInPostingOrder) {
  Journal journal;
  cBackgroundWorker worker;
  ASSERT_TRUE(worker.Start());
  worker.Post(Recording(journal, -1), true, 0, 0);
  ASSERT_TRUE(journal.WaitForCount(1));
  // Let the worker fall into its unbounded wait: only the posts can wake it.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (int i = 0; i < 10; ++i) {
    worker.Post(Recording(journal, i), true, 0, 0);
  }
  ASSERT_TRUE(journal.WaitForCount(11));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(BackgroundWorker, HigherPriorityRunsFirstThenPostingOrder) {
  struct Case {
    const char* desc;
    std::vector<uint32_t> priorities;  // job i records i
    std::vector<int> expectedOrder;
  };
  const Case cases[] = {
      {"descending", {3, 2, 1}, {0, 1, 2}},
      {"ascending", {1, 2, 3}, {2, 1, 0}},
      {"ties keep posting order", {1, 3, 2, 3, 1}, {1, 3, 2, 0, 4}},
      {"zero is lowest", {0, 1, 0}, {1, 0, 2}},
  };
  for (const Case& c : cases) {
    Journal journal;
    cBackgroundWorker worker;
    // Queued before the thread exists, so the first pick sees all of them.
    for (size_t i = 0; i < c.priorities.size(); ++i) {
      worker.Post(Recording(journal, static_cast<int>(i), c.priorities[i]), true, 0, 0);
    }
    ASSERT_TRUE(worker.Start()) << c.desc;
    ASSERT_TRUE(journal.WaitForCount(c.priorities.size())) << c.desc;
    EXPECT_EQ(journal.Entries(), c.expectedOrder) << c.desc;
  }
}

TEST(BackgroundWorker, DelayedJobWaitsItsDelayWhileLaterJobsRunFirst) {
  Journal journal;
  std::atomic<int64_t> delayedRanAt{0};
  cBackgroundWorker worker;
  ASSERT_TRUE(worker.Start());

  const int64_t postedAt = SteadyNowNs();
  worker.Post(MakeJob([&](void*) {
                delayedRanAt = SteadyNowNs();
                journal.Add(99);
                return false;
              }),
              true, 300, 0);
  for (int i = 0; i < 3; ++i) {
    worker.Post(Recording(journal, i), true, 0, 0);
  }
  ASSERT_TRUE(journal.WaitForCount(4));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{0, 1, 2, 99}));
  EXPECT_GE(delayedRanAt.load() - postedAt, 300 * kNsPerMs);
}

TEST(BackgroundWorker, RepeatingJobRunsAgainAfterIntervalUntilItReturnsFalse) {
  constexpr uint32_t kIntervalMs = 30;
  std::mutex timesMutex;
  std::vector<std::pair<int64_t, int64_t>> runs;  // start, end
  Journal journal;
  cBackgroundWorker worker;
  ASSERT_TRUE(worker.Start());

  worker.Post(MakeJob([&](void*) {
                const int64_t start = SteadyNowNs();
                std::lock_guard<std::mutex> guard(timesMutex);
                runs.emplace_back(start, SteadyNowNs());
                journal.Add(static_cast<int>(runs.size()));
                return runs.size() < 3;  // asks for a third run, then ends
              }),
              false, 0, kIntervalMs);
  ASSERT_TRUE(journal.WaitForCount(3));

  // Several intervals later, a marker proves the job did not come back.
  worker.Post(Recording(journal, -1), true, 5 * kIntervalMs, 0);
  ASSERT_TRUE(journal.WaitForCount(4));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{1, 2, 3, -1}));

  std::lock_guard<std::mutex> guard(timesMutex);
  for (size_t i = 1; i < runs.size(); ++i) {
    EXPECT_GE(runs[i].first - runs[i - 1].second, kIntervalMs * kNsPerMs)
        << "the interval counts from the end of run " << i;
  }
}

TEST(BackgroundWorker, OneShotJobIsNotRunAgainEvenIfItAsksTo) {
  Journal journal;
  cBackgroundWorker worker;
  ASSERT_TRUE(worker.Start());
  worker.Post(MakeJob([&](void*) {
                journal.Add(1);
                return true;
              }),
              true, 0, 0);
  worker.Post(Recording(journal, -1), true, 100, 0);
  ASSERT_TRUE(journal.WaitForCount(2));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{1, -1}));
}

TEST(BackgroundWorker, CallableReceivesSharedStateElseUserPointer) {
  struct Case {
    const char* desc;
    bool withSharedState;
    bool withUserPointer;
  };
  const Case cases[] = {
      {"shared state wins", true, true},
      {"shared state alone", true, false},
      {"user pointer alone", false, true},
      {"neither", false, false},
  };
  for (const Case& c : cases) {
    int userData = 0;
    auto shared = std::make_shared<int>(0);
    BackgroundJob job;
    std::atomic<void*> received{&job};  // anything the worker cannot pass
    ManualResetEvent ran;
    job.callable = [&](void* argument) {
      received = argument;
      ran.Set();
      return false;
    };
    if (c.withSharedState) job.sharedState = shared;
    if (c.withUserPointer) job.userPointer = &userData;
    void* expected = c.withSharedState ? static_cast<void*>(shared.get())
                                       : (c.withUserPointer ? &userData : nullptr);

    cBackgroundWorker worker;
    worker.Post(job, true, 0, 0);
    ASSERT_TRUE(worker.Start()) << c.desc;
    ASSERT_TRUE(ran.Wait(10000)) << c.desc;
    EXPECT_EQ(received.load(), expected) << c.desc;
  }
}

TEST(BackgroundWorker, StopWaitsForRunningJobAndKeepsQueuedJobsForNextStart) {
  Journal journal;
  ManualResetEvent blockerEntered;
  ManualResetEvent releaseBlocker;
  std::atomic<bool> blockerFinished{false};
  cBackgroundWorker worker;
  worker.Post(MakeJob([&](void*) {
                blockerEntered.Set();
                releaseBlocker.Wait(kWaitInfinite);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                blockerFinished = true;
                return false;
              }),
              true, 0, 0);
  worker.Post(Recording(journal, 1), true, 0, 0);
  worker.Post(Recording(journal, 2), true, 0, 0);
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(blockerEntered.Wait(10000));

  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    releaseBlocker.Set();
  });
  worker.Stop();
  EXPECT_TRUE(blockerFinished.load()) << "Stop returned while the job was still running";
  releaser.join();
  EXPECT_TRUE(journal.Entries().empty()) << "queued jobs ran after the stop";

  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(journal.WaitForCount(2));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{1, 2}));
}

TEST(BackgroundWorker, JobMayStopItsOwnWorker) {
  Journal journal;
  cBackgroundWorker worker;
  worker.Post(MakeJob([&](void*) {
                worker.Stop();  // must neither deadlock nor try to join itself
                journal.Add(0);
                return false;
              }),
              true, 0, 0);
  worker.Post(Recording(journal, 1), true, 0, 0);
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(journal.WaitForCount(1));
  worker.Stop();
  EXPECT_EQ(journal.Entries(), (std::vector<int>{0}));

  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(journal.WaitForCount(2));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{0, 1}));
}

TEST(BackgroundWorker, IgnoresJobWithoutCallable) {
  std::atomic<int> destroyed{0};
  cBackgroundWorker worker;
  {
    BackgroundJob job;
    job.sharedState = std::make_shared<Counted>(destroyed);
    worker.Post(job, true, 0, 0);
  }
  EXPECT_EQ(destroyed.load(), 1) << "the queue kept a job that has nothing to run";
}

TEST(BackgroundWorker, DestructionDestroysQueuedJobsWithoutRunningThem) {
  struct Case {
    const char* desc;
    bool started;
  };
  const Case cases[] = {{"never started", false}, {"started, jobs not yet due", true}};
  for (const Case& c : cases) {
    std::atomic<int> destroyed{0};
    std::atomic<int> ran{0};
    {
      cBackgroundWorker worker;
      if (c.started) {
        ASSERT_TRUE(worker.Start()) << c.desc;
      }
      for (int i = 0; i < 3; ++i) {
        BackgroundJob job = MakeJob([&](void*) {
          ++ran;
          return false;
        });
        job.sharedState = std::make_shared<Counted>(destroyed);
        worker.Post(job, true, 60000, 0);
      }
      EXPECT_EQ(destroyed.load(), 0) << c.desc;
    }
    EXPECT_EQ(destroyed.load(), 3) << c.desc;
    EXPECT_EQ(ran.load(), 0) << c.desc;
  }
}

TEST(BackgroundWorker, JobMayPostToItsOwnWorker) {
  Journal journal;
  cBackgroundWorker worker;
  ASSERT_TRUE(worker.Start());
  worker.Post(MakeJob([&](void*) {
                journal.Add(0);
                worker.Post(Recording(journal, 1), true, 0, 0);
                return false;
              }),
              true, 0, 0);
  ASSERT_TRUE(journal.WaitForCount(2));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{0, 1}));
}

TEST(BackgroundWorker, NoPostFromConcurrentThreadsIsLost) {
  constexpr int kThreads = 4;
  constexpr int kPostsPerThread = 200;
  Journal journal;
  cBackgroundWorker worker;
  ASSERT_TRUE(worker.Start());
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kPostsPerThread; ++i) {
        worker.Post(Recording(journal, t * kPostsPerThread + i), true, 0, 0);
      }
    });
  }
  for (std::thread& poster : posters) poster.join();
  ASSERT_TRUE(journal.WaitForCount(kThreads * kPostsPerThread));

  // Each poster's jobs ran in its own posting order.
  std::vector<int> lastSeen(kThreads, -1);
  for (int entry : journal.Entries()) {
    const int thread = entry / kPostsPerThread;
    EXPECT_GT(entry, lastSeen[thread]);
    lastSeen[thread] = entry;
  }
}

}  // namespace
}  // namespace vigilor
