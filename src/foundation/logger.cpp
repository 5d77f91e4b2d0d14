// SPDX-License-Identifier: MIT
#include "foundation/logger.h"

#include <chrono>
#include <memory>
#include <string>

namespace vigilor {

namespace {

std::atomic<Logger*> gCurrentLogger{nullptr};

constexpr const char kFallbackTime[] = "00:00:00:000";

// "HH:MM:SS:mmm" from the clock, or the fallback text if the clock or the
// formatter fails.
std::string FormatTimeOfDay(UtcClock clock) {
  UtcTimeOfDay time;
  if (clock == nullptr || !clock(time)) {
    return kFallbackTime;
  }
  char text[128];
  const int written = std::snprintf(text, sizeof(text), "%02u:%02u:%02u:%03u", time.hours,
                                    time.minutes, time.seconds, time.milliseconds);
  if (written <= 0) {
    return kFallbackTime;
  }
  return text;
}

// The prefix contains no percent sign, so it can lead the caller's format.
std::string BuildLineTemplate(uint32_t level, UtcClock clock, const char* format) {
  std::string line;
  line.reserve(64 + std::char_traits<char>::length(format));
  line += "[";
  line += FormatTimeOfDay(clock);
  line += "] [Windows] [VGL Bootstrapper] [";
  line += LogLevelLabel(level);
  line += "] ";
  line += format;
  return line;
}

}  // namespace

struct Logger::Delivery {
  Logger* logger;
  uint32_t level;
  std::string line;
};

bool ReadSystemUtcTimeOfDay(UtcTimeOfDay& time) {
  using namespace std::chrono;
  // System time counts UTC seconds without leap seconds, so the time of day is
  // the remainder within the day; no time-zone or calendar lookup is involved.
  const auto now = floor<milliseconds>(system_clock::now());
  const auto sinceMidnight = static_cast<unsigned>((now - floor<days>(now)).count());
  time.hours = sinceMidnight / 3600000u;
  time.minutes = sinceMidnight / 60000u % 60u;
  time.seconds = sinceMidnight / 1000u % 60u;
  time.milliseconds = sinceMidnight % 1000u;
  return true;
}

const char* LogLevelLabel(uint32_t level) {
  switch (level) {
    case LogLevel::Error:
      return "Err!";
    case LogLevel::Warning:
      return "Warn";
    case LogLevel::Info:
      return "Info";
    case LogLevel::Verbose:
    case LogLevel::Trace:
      return "Verb";
    default:
      return "<invalid>";
  }
}

Logger::Logger(UtcClock clock) : clock_(clock) {}

Logger::~Logger() {
  worker_.Stop();
}

void Logger::Log(uint32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogV(level, format, args);
  va_end(args);
}

void Logger::LogV(uint32_t level, const char* format, va_list args) {
  // Cheap rejection first: no formatting for lines nobody will see.
  if (sink_.load() == nullptr || level > maximumLevel_.load() || format == nullptr) {
    return;
  }
  const std::string lineTemplate = BuildLineTemplate(level, clock_, format);
  char buffer[kMaxLogLineBytes + 1];
  const int written = std::vsnprintf(buffer, sizeof(buffer), lineTemplate.c_str(), args);
  if (written <= 0) {
    return;
  }
  // The record lives in the job's shared state, so it is freed whether or not
  // the job ever runs.
  auto delivery = std::make_shared<Delivery>(Delivery{this, level, buffer});
  BackgroundJob job;
  job.callable = &Logger::Deliver;
  job.sharedState = std::move(delivery);
  job.priority = 1;
  worker_.Post(job, true, 0, 0);
}

bool Logger::Deliver(void* record) {
  const auto* delivery = static_cast<const Delivery*>(record);
  Logger* logger = delivery->logger;
  std::lock_guard<std::recursive_mutex> guard(logger->lock_);
  if (LogSink sink = logger->sink_.load()) {
    sink(delivery->level, delivery->line.c_str());
  }
  return false;
}

void Logger::Configure(LogSink sink, uint32_t maximumLevel) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  sink_.store(sink);
  maximumLevel_.store(maximumLevel);
}

Logger* CurrentLogger() {
  return gCurrentLogger.load();
}

void SetCurrentLogger(Logger* logger) {
  gCurrentLogger.store(logger);
}

void Log(uint32_t level, const char* format, ...) {
  Logger* logger = CurrentLogger();
  if (logger == nullptr) {
    return;
  }
  va_list args;
  va_start(args, format);
  logger->LogV(level, format, args);
  va_end(args);
}

bool Logger::Flush(uint32_t timeoutMs) {
  if (sink_.load() == nullptr) return true;  // nothing queued can reach a sink
  // Equal priority and no delay: the marker runs after every line queued so far.
  auto done = std::make_shared<ManualResetEvent>();
  BackgroundJob job;
  job.callable = [](void* event) {
    static_cast<ManualResetEvent*>(event)->Set();
    return false;
  };
  job.sharedState = done;
  worker_.Post(job, true, 0, 0);
  return done->Wait(timeoutMs);
}

}  // namespace vigilor
