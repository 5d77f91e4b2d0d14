// SPDX-License-Identifier: MIT
#include "launcher/main_thread_tasks.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vigilor::launcher {
namespace {

TEST(MainThreadTaskQueue, RunsOneTaskPerCallInArrivalOrder) {
  MainThreadTaskQueue queue;
  std::string trace;
  queue.Queue([&] { trace += 'a'; return false; });
  queue.Queue([&] { trace += 'b'; return false; });
  EXPECT_TRUE(queue.RunNext());
  EXPECT_EQ(trace, "a");
  EXPECT_TRUE(queue.RunNext());
  EXPECT_EQ(trace, "ab");
  EXPECT_FALSE(queue.RunNext());
  EXPECT_TRUE(queue.Empty());
}

TEST(MainThreadTaskQueue, TaskAnsweringTrueRunsAgainAfterLaterTasks) {
  MainThreadTaskQueue queue;
  std::string trace;
  int repeats = 0;
  queue.Queue([&] { trace += 'r'; return ++repeats < 2; });
  queue.Queue([&] { trace += 'x'; return false; });
  while (queue.RunNext()) {
  }
  EXPECT_EQ(trace, "rxr");
}

TEST(MainThreadTaskQueue, TaskMayQueueWhileRunning) {
  MainThreadTaskQueue queue;
  std::string trace;
  queue.Queue([&] {
    queue.Queue([&] { trace += 'n'; return false; });
    trace += 'f';
    return false;
  });
  while (queue.RunNext()) {
  }
  EXPECT_EQ(trace, "fn");
}

TEST(MainThreadTaskQueue, TasksFromOtherThreadsAllRun) {
  MainThreadTaskQueue queue;
  std::atomic<int> ran{0};
  std::vector<std::thread> producers;
  for (int t = 0; t < 4; ++t) {
    producers.emplace_back([&] {
      for (int i = 0; i < 250; ++i) queue.Queue([&] { ++ran; return false; });
    });
  }
  int runs = 0;
  while (runs < 1000) {
    if (queue.RunNext()) ++runs;
  }
  for (auto& p : producers) p.join();
  EXPECT_EQ(ran.load(), 1000);
  EXPECT_TRUE(queue.Empty());
}

}  // namespace
}  // namespace vigilor::launcher
