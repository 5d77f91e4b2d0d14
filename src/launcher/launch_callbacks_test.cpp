// SPDX-License-Identifier: MIT
// The launcher's cross-thread contract, as the game launcher's threads use it:
// progress and finished callbacks on foreign threads only record counters and
// queue tasks; the main thread runs one task per frame.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/thread.h"
#include "launcher/download_progress.h"
#include "launcher/main_thread_tasks.h"

namespace vigilor::launcher {
namespace {

TEST(LaunchCallbacks, ForeignThreadsReportWhileTheMainThreadRunsTasks) {
  MainThreadTaskQueue tasks;
  DownloadCounters counters;
  std::atomic<int> progressTasks{0};
  std::atomic<bool> finished{false};
  std::uint32_t shownPercent = 0;  // main thread only, like the progress bar

  // The loader's worker: progress reports, then the finished report.
  cBackgroundWorker loader;
  BackgroundJob transfer;
  transfer.callable = [&](void*) {
    for (std::uint32_t received = 0; received <= 1000; received += 10) {
      if (RecordProgress(counters, received, 1000, /*loading=*/true, 1)) {
        tasks.Queue([&] {
          shownPercent = counters.lastProgressPercent.load();
          ++progressTasks;
          return false;
        });
      }
    }
    counters.lastProgressPercent = 100;
    tasks.Queue([&] {
      finished = true;
      return false;
    });
    return false;
  };
  ASSERT_TRUE(loader.Start());
  loader.Post(transfer, true, 0, 0);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!finished && std::chrono::steady_clock::now() < deadline) {
    if (!tasks.RunNext()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  loader.Stop();
  ASSERT_TRUE(finished.load());
  EXPECT_EQ(progressTasks.load(), 100) << "one task per percent step";
  EXPECT_EQ(shownPercent, 100u);
  EXPECT_EQ(counters.bytesReceived.load(), 1000u);
  EXPECT_EQ(counters.downloadEndTime.load(), 1);
}

}  // namespace
}  // namespace vigilor::launcher
