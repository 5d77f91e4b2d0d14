// SPDX-License-Identifier: MIT
#include "launcher/download_progress.h"

#include <vector>

#include <gtest/gtest.h>

namespace vigilor::launcher {
namespace {

TEST(DownloadProgress, PercentIsFormedIn64Bits) {
  EXPECT_EQ(ProgressPercent(50'000'000, 100'000'000), 50u);
  EXPECT_EQ(ProgressPercent(0xFFFFFFFFu, 0xFFFFFFFFu), 100u);
  EXPECT_EQ(ProgressPercent(7, 0), 0u);
  EXPECT_EQ(ProgressPercent(1, 3), 33u);
}

TEST(DownloadProgress, QueuesOnlyWhenThePercentageGrowsWhileLoading) {
  struct Step {
    std::uint32_t received, total;
    bool loading;
    bool queues;
    std::uint32_t percentAfter;
  };
  struct Case {
    const char* desc;
    std::vector<Step> steps;
  } cases[] = {
      {"10 then 5 then 6", {{10, 100, true, true, 10}, {5, 100, true, false, 5}, {6, 100, true, true, 6}}},
      {"total 0 never queues", {{0, 0, true, false, 0}, {5, 0, true, false, 0}}},
      {"not loading never queues", {{50, 100, false, false, 50}}},
      {"complete download", {{100, 100, true, true, 100}}},
      {"same percent twice", {{20, 100, true, true, 20}, {20, 100, true, false, 20}}},
  };
  for (const auto& c : cases) {
    DownloadCounters counters;
    for (const auto& s : c.steps) {
      EXPECT_EQ(RecordProgress(counters, s.received, s.total, s.loading, 1), s.queues) << c.desc;
      EXPECT_EQ(counters.lastProgressPercent.load(), s.percentAfter) << c.desc;
    }
  }
}

TEST(DownloadProgress, EndTimeOnlyWhenEverythingArrived) {
  DownloadCounters counters;
  RecordProgress(counters, 99, 100, true, 5);
  EXPECT_EQ(counters.downloadEndTime.load(), kUnsetTime);
  RecordProgress(counters, 0, 0, true, 6);
  EXPECT_EQ(counters.downloadEndTime.load(), kUnsetTime);
  RecordProgress(counters, 100, 100, true, 7);
  EXPECT_EQ(counters.downloadEndTime.load(), 7);
  EXPECT_EQ(counters.bytesReceived.load(), 100u);
  RecordProgress(counters, 10, 50, true, 8);
  EXPECT_EQ(counters.bytesReceived.load(), 100u) << "counters keep their maximum";
  EXPECT_EQ(counters.bytesTotal.load(), 100u);
}

}  // namespace
}  // namespace vigilor::launcher
