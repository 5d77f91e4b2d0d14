// SPDX-License-Identifier: MIT
#include "foundation/logger.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vigilor {
namespace {

constexpr auto kGenerousTimeout = std::chrono::seconds(10);
const std::string kFixedPrefix = "[07:05:09:042] [Windows] [VGL Bootstrapper] ";

struct SinkLine {
  unsigned level;
  std::string text;
};

// Lines a sink received; sinks are plain functions, so collectors are globals.
class Collector {
 public:
  void Add(unsigned level, const char* line) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      lines_.push_back({level, line});
    }
    changed_.notify_all();
  }

  void Clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    lines_.clear();
  }

  // Waits until a line ends with suffix; returns everything received so far.
  std::vector<SinkLine> WaitForLineEndingWith(const std::string& suffix) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, kGenerousTimeout, [&] {
      for (const SinkLine& line : lines_) {
        if (line.text.size() >= suffix.size() &&
            line.text.compare(line.text.size() - suffix.size(), suffix.size(), suffix) == 0) {
          return true;
        }
      }
      return false;
    });
    return lines_;
  }

  bool WaitForCount(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kGenerousTimeout, [&] { return lines_.size() >= count; });
  }

  std::vector<SinkLine> Lines() {
    std::lock_guard<std::mutex> guard(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SinkLine> lines_;
};

Collector gSinkA;
Collector gSinkB;
ManualResetEvent gBlockingSinkEntered;
ManualResetEvent gBlockingSinkRelease;

void SinkA(unsigned level, const char* line) { gSinkA.Add(level, line); }
void SinkB(unsigned level, const char* line) { gSinkB.Add(level, line); }
void BlockingSink(unsigned level, const char* line) {
  gBlockingSinkEntered.Set();
  gBlockingSinkRelease.Wait(kWaitInfinite);
  gSinkA.Add(level, line);
}

bool FixedClock(UtcTimeOfDay& time) {
  time = {7, 5, 9, 42};
  return true;
}

bool BrokenClock(UtcTimeOfDay&) { return false; }

std::vector<std::string> Texts(const std::vector<SinkLine>& lines) {
  std::vector<std::string> texts;
  for (const SinkLine& line : lines) texts.push_back(line.text);
  return texts;
}

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSinkA.Clear();
    gSinkB.Clear();
    ASSERT_TRUE(logger_.Worker().Start());
  }

  Logger logger_{&FixedClock};
};

TEST_F(LoggerTest, WritesTimePlatformTagLabelThenMessage) {
  logger_.Configure(&SinkA, LogLevel::Info);
  logger_.Log(LogLevel::Info, "Current progress: %i (%i/%i).", 50, 1, 2);
  const auto lines = gSinkA.WaitForLineEndingWith("(1/2).");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, kFixedPrefix + "[Info] Current progress: 50 (1/2).");
  EXPECT_EQ(lines[0].level, LogLevel::Info);
}

TEST_F(LoggerTest, FiltersByMaximumLevelAndLabelsEachLevel) {
  struct Case {
    const char* desc;
    uint32_t maximumLevel;
    uint32_t level;
    const char* label;  // null: the line is not written
  };
  const Case cases[] = {
      {"level 0 passes with an unknown label", 5, 0, "<invalid>"},
      {"error", 5, LogLevel::Error, "Err!"},
      {"warning", 5, LogLevel::Warning, "Warn"},
      {"info", 5, LogLevel::Info, "Info"},
      {"verbose", 5, LogLevel::Verbose, "Verb"},
      {"trace shares the verbose label", 5, LogLevel::Trace, "Verb"},
      {"level 6 is above any maximum", 5, 6, nullptr},
      {"largest level", 5, 0xFFFFFFFFu, nullptr},
      {"info at the default maximum", 3, LogLevel::Info, "Info"},
      {"verbose above the default maximum", 3, LogLevel::Verbose, nullptr},
      {"trace above the default maximum", 3, LogLevel::Trace, nullptr},
  };
  for (const Case& c : cases) {
    gSinkA.Clear();
    logger_.Configure(&SinkA, c.maximumLevel);
    logger_.Log(c.level, "case %s", c.desc);
    logger_.Log(LogLevel::Error, "end of case");
    const auto lines = gSinkA.WaitForLineEndingWith("end of case");
    if (c.label == nullptr) {
      EXPECT_EQ(lines.size(), 1u) << c.desc;
      continue;
    }
    ASSERT_EQ(lines.size(), 2u) << c.desc;
    EXPECT_EQ(lines[0].text, kFixedPrefix + "[" + c.label + "] case " + c.desc) << c.desc;
    EXPECT_EQ(lines[0].level, c.level) << c.desc;
  }
}

TEST_F(LoggerTest, CutsLongLineTo1023Bytes) {
  logger_.Configure(&SinkA, LogLevel::Info);
  const std::string message(2000, 'x');
  logger_.Log(LogLevel::Info, "%s", message.c_str());
  ASSERT_TRUE(gSinkA.WaitForCount(1));
  const std::string line = gSinkA.Lines()[0].text;
  EXPECT_EQ(line.size(), 1023u);
  const std::string prefix = kFixedPrefix + "[Info] ";
  EXPECT_EQ(line, prefix + message.substr(0, 1023 - prefix.size()));
}

TEST_F(LoggerTest, PercentSignsInArgumentsAreWrittenLiterally) {
  logger_.Configure(&SinkA, LogLevel::Info);
  const char* outsideText = "100% of %s at %n%d";
  logger_.Log(LogLevel::Info, "Server said: %s", outsideText);
  ASSERT_TRUE(gSinkA.WaitForCount(1));
  EXPECT_EQ(gSinkA.Lines()[0].text, kFixedPrefix + "[Info] Server said: 100% of %s at %n%d");
}

TEST_F(LoggerTest, DropsLinesWhileNoSinkIsInstalled) {
  logger_.Log(LogLevel::Error, "before any sink");
  logger_.Configure(&SinkA, LogLevel::Trace);
  logger_.Log(LogLevel::Info, "first");
  logger_.Configure(nullptr, LogLevel::Trace);
  logger_.Log(LogLevel::Error, "while disabled");
  logger_.Configure(&SinkA, LogLevel::Trace);
  logger_.Log(LogLevel::Info, "last");
  const auto lines = gSinkA.WaitForLineEndingWith("last");
  EXPECT_EQ(Texts(lines),
            (std::vector<std::string>{kFixedPrefix + "[Info] first", kFixedPrefix + "[Info] last"}));
}

TEST_F(LoggerTest, LinesOfEachThreadArriveInCallOrder) {
  constexpr int kThreads = 3;
  constexpr int kLinesPerThread = 100;
  logger_.Configure(&SinkA, LogLevel::Info);
  std::vector<std::thread> callers;
  for (int t = 0; t < kThreads; ++t) {
    callers.emplace_back([this, t] {
      for (int i = 0; i < kLinesPerThread; ++i) {
        logger_.Log(LogLevel::Info, "%d %d", t, i);
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  ASSERT_TRUE(gSinkA.WaitForCount(kThreads * kLinesPerThread));

  std::vector<int> next(kThreads, 0);
  const size_t messageStart = kFixedPrefix.size() + std::string("[Info] ").size();
  for (const SinkLine& line : gSinkA.Lines()) {
    int thread = -1;
    int index = -1;
    ASSERT_EQ(std::sscanf(line.text.c_str() + messageStart, "%d %d", &thread, &index), 2);
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line.text;
    EXPECT_EQ(index, next[thread]) << line.text;
    next[thread] = index + 1;
  }
  EXPECT_EQ(next, std::vector<int>(kThreads, kLinesPerThread));
}

TEST_F(LoggerTest, ConfigureWaitsForTheLineBeingWrittenThenSwitchesSink) {
  gBlockingSinkEntered.Reset();
  gBlockingSinkRelease.Reset();
  logger_.Configure(&BlockingSink, LogLevel::Info);
  logger_.Log(LogLevel::Info, "old sink");
  ASSERT_TRUE(gBlockingSinkEntered.Wait(10000));

  std::atomic<bool> configured{false};
  std::thread reconfigure([&] {
    logger_.Configure(&SinkB, LogLevel::Info);
    configured = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(configured.load()) << "the sink was replaced in the middle of a line";
  gBlockingSinkRelease.Set();
  reconfigure.join();

  logger_.Log(LogLevel::Info, "new sink");
  const auto newLines = gSinkB.WaitForLineEndingWith("new sink");
  EXPECT_EQ(Texts(newLines), (std::vector<std::string>{kFixedPrefix + "[Info] new sink"}));
  EXPECT_EQ(Texts(gSinkA.Lines()), (std::vector<std::string>{kFixedPrefix + "[Info] old sink"}));
}

TEST(Logger, BrokenClockWritesZeroTime) {
  gSinkA.Clear();
  Logger logger(&BrokenClock);
  ASSERT_TRUE(logger.Worker().Start());
  logger.Configure(&SinkA, LogLevel::Info);
  logger.Log(LogLevel::Warning, "still written");
  ASSERT_TRUE(gSinkA.WaitForCount(1));
  EXPECT_EQ(gSinkA.Lines()[0].text,
            "[00:00:00:000] [Windows] [VGL Bootstrapper] [Warn] still written");
}

TEST(Logger, FreeLogForwardsToCurrentLoggerOnly) {
  gSinkA.Clear();
  Log(LogLevel::Error, "no current logger");  // must simply do nothing

  Logger logger(&FixedClock);
  ASSERT_TRUE(logger.Worker().Start());
  logger.Configure(&SinkA, LogLevel::Info);
  SetCurrentLogger(&logger);
  Log(LogLevel::Info, "through the current logger: %d", 7);
  SetCurrentLogger(nullptr);
  ASSERT_TRUE(gSinkA.WaitForCount(1));
  EXPECT_EQ(Texts(gSinkA.Lines()),
            (std::vector<std::string>{kFixedPrefix + "[Info] through the current logger: 7"}));
}

// Leak checkers report the queued records if destruction does not free them.
TEST(Logger, DestroyingLoggerFreesUndeliveredLines) {
  gSinkA.Clear();
  {
    Logger logger(&FixedClock);
    logger.Configure(&SinkA, LogLevel::Info);
    for (int i = 0; i < 10; ++i) logger.Log(LogLevel::Info, "never delivered %d", i);
  }
  EXPECT_TRUE(gSinkA.Lines().empty());
}

// Sets TZ for the test's duration.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old, hadValue_ = true;
    Set(zone);
  }
  ~ScopedTimeZone() { Set(hadValue_ ? saved_.c_str() : ""); }

 private:
  static void Set(const char* zone) {
#if defined(_WIN32)
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
  }
  std::string saved_;
  bool hadValue_ = false;
};

int HourNow(bool utc) {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#if defined(_WIN32)
  utc ? gmtime_s(&parts, &now) : localtime_s(&parts, &now);
#else
  utc ? gmtime_r(&now, &parts) : localtime_r(&now, &parts);
#endif
  return parts.tm_hour;
}

TEST(Logger, SystemClockWritesUtcTimeOfDayWhateverTheLocalZone) {
  ScopedTimeZone zone("IST-5:30");
  ASSERT_NE(HourNow(false), HourNow(true)) << "the test zone did not take effect";

  gSinkA.Clear();
  Logger logger;
  ASSERT_TRUE(logger.Worker().Start());
  logger.Configure(&SinkA, LogLevel::Info);
  const int hourBefore = HourNow(true);
  logger.Log(LogLevel::Info, "now");
  const int hourAfter = HourNow(true);
  ASSERT_TRUE(gSinkA.WaitForCount(1));

  const std::string line = gSinkA.Lines()[0].text;
  unsigned hour = 99, minute = 99, second = 99, millisecond = 9999;
  char tail[8] = {};
  ASSERT_EQ(std::sscanf(line.c_str(), "[%2u:%2u:%2u:%3u%2c", &hour, &minute, &second,
                        &millisecond, tail),
            5)
      << line;
  EXPECT_EQ(std::string(tail), "] ") << line;
  EXPECT_TRUE(static_cast<int>(hour) == hourBefore || static_cast<int>(hour) == hourAfter)
      << line << " UTC hour " << hourBefore;
  EXPECT_LT(minute, 60u);
  EXPECT_LT(second, 60u);
  EXPECT_LT(millisecond, 1000u);
}

}  // namespace
}  // namespace vigilor

namespace vigilor {
namespace {

TEST(Logger, FlushDeliversEveryQueuedLineBeforeStop) {
  gSinkA.Clear();
  Logger logger;
  logger.Configure(&SinkA, LogLevel::Info);
  for (int i = 0; i < 200; ++i) logger.Log(LogLevel::Info, "line %i", i);
  logger.Log(LogLevel::Info, "Terminating with: %i.", 0);
  ASSERT_TRUE(logger.Worker().Start());
  EXPECT_TRUE(logger.Flush(10000));
  logger.Worker().Stop();
  const auto lines = gSinkA.Lines();
  ASSERT_EQ(lines.size(), 201u);
  EXPECT_NE(lines.back().text.find("Terminating with: 0."), std::string::npos);
}

TEST(Logger, FlushWithoutSinkReturnsAtOnce) {
  Logger logger;  // worker never started: nothing could deliver a marker
  EXPECT_TRUE(logger.Flush(60000));
}

}  // namespace
}  // namespace vigilor
