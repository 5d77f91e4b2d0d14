// SPDX-License-Identifier: MIT
#include "foundation/event.h"

#include <gtest/gtest.h>

#include <thread>

#include "foundation/clock.h"

namespace vigilor {
namespace {

TEST(ManualResetEvent, StaysSignalledUntilReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0)) << "a wait must not consume the signal";
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(ManualResetEvent, TimedWaitOnUnsignalledEventTimesOutAfterTimeout) {
  ManualResetEvent event;
  const int64_t start = SteadyNowNs();
  EXPECT_FALSE(event.Wait(50));
  EXPECT_GE(SteadyNowNs() - start, 50 * 1000000LL);
}

TEST(ManualResetEvent, SetFromAnotherThreadReleasesInfiniteWait) {
  ManualResetEvent event;
  std::thread setter([&event] { event.Set(); });
  EXPECT_TRUE(event.Wait(kWaitInfinite));
  setter.join();
}

}  // namespace
}  // namespace vigilor
