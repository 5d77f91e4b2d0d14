// SPDX-License-Identifier: MIT
#include "foundation/thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace vigilor {
namespace {

// A body that counts its runs and sleeps on the stop event until asked to stop.
class WaitingThread : public cThread {
 public:
  ~WaitingThread() override { Stop(); }

  std::atomic<int> runs{0};
  std::atomic<bool> exitFlagAtEntry{false};
  std::atomic<bool> stopEventAtEntry{false};
  std::atomic<bool> sawExitFlag{false};
  ManualResetEvent started;

 protected:
  void Run() override {
    ++runs;
    exitFlagAtEntry = ExitRequested();
    stopEventAtEntry = WaitForStopRequest(0);
    started.Set();
    WaitForStopRequest(kWaitInfinite);
    sawExitFlag = ExitRequested();
  }
};

TEST(Thread, StartOnRunningThreadReturnsFalseAndKeepsTheBody) {
  WaitingThread thread;
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.started.Wait(5000));
  EXPECT_FALSE(thread.Start());
  thread.Stop();
  EXPECT_EQ(thread.runs.load(), 1);
}

TEST(Thread, StopWakesBodyWaitingOnStopEventAndAllowsRestart) {
  WaitingThread thread;
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.started.Wait(5000));
  thread.Stop();  // would hang here if the stop event were not signalled
  EXPECT_TRUE(thread.sawExitFlag.load());

  thread.started.Reset();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.started.Wait(5000));
  EXPECT_FALSE(thread.exitFlagAtEntry.load()) << "Start must clear the exit flag";
  EXPECT_FALSE(thread.stopEventAtEntry.load()) << "Start must reset the stop event";
  thread.Stop();
  EXPECT_EQ(thread.runs.load(), 2);
}

TEST(Thread, StopWithoutThreadOnlyRaisesFlagWhichStartClears) {
  WaitingThread thread;
  thread.Stop();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.started.Wait(5000));
  EXPECT_FALSE(thread.exitFlagAtEntry.load());
  EXPECT_FALSE(thread.stopEventAtEntry.load());
  thread.Stop();
  EXPECT_TRUE(thread.sawExitFlag.load());
}

}  // namespace
}  // namespace vigilor
