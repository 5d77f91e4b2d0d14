// SPDX-License-Identifier: MIT
// The launcher's download counters, written by the progress and finished
// callbacks on foreign threads and read by main-thread tasks.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

namespace vigilor::launcher {

inline constexpr std::int64_t kUnsetTime = std::numeric_limits<std::int64_t>::min();

struct DownloadCounters {
  std::atomic<std::uint32_t> lastProgressPercent{0};
  std::atomic<std::uint32_t> bytesReceived{0};
  std::atomic<std::uint32_t> bytesTotal{0};
  std::atomic<std::int64_t> downloadStartTime{kUnsetTime};
  std::atomic<std::int64_t> downloadEndTime{kUnsetTime};
};

// received * 100 / total in 64 bits, or 0 for an empty total.
std::uint32_t ProgressPercent(std::uint32_t received, std::uint32_t total);

// Records one progress report. Returns true when the caller should queue the
// progress task: the percentage grew and the launcher is still loading.
bool RecordProgress(DownloadCounters& counters, std::uint32_t received, std::uint32_t total, bool loading,
                    std::int64_t nowNs);

}  // namespace vigilor::launcher
