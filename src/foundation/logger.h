// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>  // also defines __MINGW_PRINTF_FORMAT under mingw
#include <mutex>

#include "foundation/thread.h"

// printf checking; mingw's C99 printf needs its own archetype.
#if defined(__MINGW_PRINTF_FORMAT)
#define VIGILOR_PRINTF(formatIndex, firstArg) \
  __attribute__((format(__MINGW_PRINTF_FORMAT, formatIndex, firstArg)))
#else
#define VIGILOR_PRINTF(formatIndex, firstArg) __attribute__((format(printf, formatIndex, firstArg)))
#endif

namespace vigilor {

// Log levels: a smaller number is more severe.
namespace LogLevel {
inline constexpr uint32_t Error = 1;
inline constexpr uint32_t Warning = 2;
inline constexpr uint32_t Info = 3;
inline constexpr uint32_t Verbose = 4;
inline constexpr uint32_t Trace = 5;
}  // namespace LogLevel

// Receives one complete line (no line break) on the logger's worker thread,
// under the logger's lock.
using LogSink = void (*)(unsigned level, const char* line);

struct UtcTimeOfDay {
  unsigned hours = 0;
  unsigned minutes = 0;
  unsigned seconds = 0;
  unsigned milliseconds = 0;
};

// Fills the current UTC time of day; false if it cannot be read.
using UtcClock = bool (*)(UtcTimeOfDay& time);

// The system clock's UTC time of day, independent of the local time zone.
bool ReadSystemUtcTimeOfDay(UtcTimeOfDay& time);

// Label written for a level: "Err!", "Warn", "Info", "Verb" or "<invalid>".
const char* LogLevelLabel(uint32_t level);

// Longest line handed to a sink, in bytes.
inline constexpr size_t kMaxLogLineBytes = 1023;

// Formats lines on the caller's thread and delivers them to the sink on its own
// worker, so callers never wait for the sink.
//
// Log may be called from any thread at any time; until Configure installs a sink
// every line is dropped. Lines are delivered only while Worker() runs (the owner
// starts it); lines still queued when the worker stops are never delivered.
// Configure may be called from any thread, and never replaces a sink while it
// is writing a line. Destroying the logger stops its worker first.
class Logger {
 public:
  // clock: source of the time of day in each line (tests inject their own).
  explicit Logger(UtcClock clock = &ReadSystemUtcTimeOfDay);
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // Line: "[HH:MM:SS:mmm] [Windows] [VGL Bootstrapper] [label] message", cut to
  // kMaxLogLineBytes. Dropped when no sink is set, level > the maximum level,
  // or the message cannot be formatted. Outside text must be passed as an
  // argument ("%s"), never as the format.
  void Log(uint32_t level, const char* format, ...) VIGILOR_PRINTF(3, 4);
  void LogV(uint32_t level, const char* format, va_list args) VIGILOR_PRINTF(3, 0);

  // Installs the sink (null disables logging) and the highest level written.
  void Configure(LogSink sink, uint32_t maximumLevel);

  cBackgroundWorker& Worker() { return worker_; }

  // Waits up to timeoutMs until every line queued before the call has reached
  // the sink. True when they all did, or when no sink is installed. Must not
  // be called on the worker itself.
  bool Flush(uint32_t timeoutMs);

 private:
  struct Delivery;
  static bool Deliver(void* delivery);

  // Read without the lock in Log; written only under lock_.
  std::atomic<LogSink> sink_{nullptr};
  std::atomic<uint32_t> maximumLevel_{LogLevel::Info};
  std::recursive_mutex lock_;
  UtcClock clock_;
  // Last member: destroyed (stopped and joined) before anything a delivery uses.
  cBackgroundWorker worker_;
};

// The process-wide logger; null until set. Any thread may read it; the owner
// sets it before starting other threads and clears it before destroying it.
Logger* CurrentLogger();
void SetCurrentLogger(Logger* logger);

// Logs through CurrentLogger(); does nothing when there is none.
void Log(uint32_t level, const char* format, ...) VIGILOR_PRINTF(2, 3);

}  // namespace vigilor
