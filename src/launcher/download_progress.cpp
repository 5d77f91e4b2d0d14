// SPDX-License-Identifier: MIT
#include "launcher/download_progress.h"

namespace vigilor::launcher {
namespace {

void StoreMax(std::atomic<std::uint32_t>& field, std::uint32_t value) {
  std::uint32_t current = field.load();
  while (value > current && !field.compare_exchange_weak(current, value)) {
  }
}

}  // namespace

std::uint32_t ProgressPercent(std::uint32_t received, std::uint32_t total) {
  if (total == 0) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(received) * 100u / total);
}

bool RecordProgress(DownloadCounters& counters, std::uint32_t received, std::uint32_t total, bool loading,
                    std::int64_t nowNs) {
  const std::uint32_t percent = ProgressPercent(received, total);
  StoreMax(counters.bytesReceived, received);
  StoreMax(counters.bytesTotal, total);
  if (received != 0 && received == total) counters.downloadEndTime = nowNs;
  const bool queue = percent > counters.lastProgressPercent.load() && loading;
  counters.lastProgressPercent = percent;
  return queue;
}

}  // namespace vigilor::launcher
