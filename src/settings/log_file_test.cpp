// SPDX-License-Identifier: MIT
#include "settings/log_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>
#include <string>
#include <system_error>
#include <thread>

#include "foundation/logger.h"

namespace vigilor::settings {
namespace {

namespace fs = std::filesystem;

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vigilor_log_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    path_ = dir_ / kLogFileName;
  }
  void TearDown() override {
    SetCurrentLogFile(nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path dir_;
  fs::path path_;
};

TEST_F(LogFileTest, WritesOneLinePerCallUpToTheVerbosity) {
  const struct {
    const char* desc;
    std::uint32_t verbosity;
    std::string expected;
  } cases[] = {
      {"default verbosity keeps Error to Info", LogLevel::Info, "L1\nL2\nL3\nL0\n"},
      {"verbose keeps Verbose and Trace too", LogLevel::Trace, "L1\nL2\nL3\nL4\nL5\nL0\n"},
  };
  for (const auto& c : cases) {
    LogFile file;
    ASSERT_TRUE(file.Open(path_)) << c.desc;
    file.SetVerbosity(c.verbosity);
    for (unsigned level = 1; level <= 6; ++level) file.Write(level, ("L" + std::to_string(level)).c_str());
    file.Write(0, "L0");  // level 0 passes any threshold
    file.Close();
    EXPECT_EQ(Contents(), c.expected) << c.desc;
  }
}

TEST_F(LogFileTest, EachLineIsOnDiskBeforeTheNextCall) {
  LogFile file;
  ASSERT_TRUE(file.Open(path_));
  file.Write(LogLevel::Info, "first line");
  EXPECT_EQ(Contents(), "first line\n");
  file.Write(LogLevel::Error, "utf-8 \xC3\xA9 bytes unchanged\r");
  EXPECT_EQ(Contents(), "first line\nutf-8 \xC3\xA9 bytes unchanged\r\n");
}

TEST_F(LogFileTest, OpeningAgainStartsAFreshFile) {
  {
    LogFile first;
    ASSERT_TRUE(first.Open(path_));
    first.Write(LogLevel::Info, "run one, a rather long line");
  }
  LogFile second;
  ASSERT_TRUE(second.Open(path_));
  EXPECT_EQ(Contents(), "");
  second.Write(LogLevel::Info, "run two");
  EXPECT_EQ(Contents(), "run two\n");
}

TEST_F(LogFileTest, ClosedOrUnopenableFileWritesNothing) {
  LogFile never;
  never.Write(LogLevel::Error, "dropped");
  EXPECT_FALSE(never.IsOpen());

  LogFile folder;
  EXPECT_FALSE(folder.Open(dir_));  // a folder cannot be opened as a file
  EXPECT_FALSE(folder.IsOpen());

  LogFile closed;
  ASSERT_TRUE(closed.Open(path_));
  closed.Close();
  closed.Write(LogLevel::Error, "dropped");
  EXPECT_EQ(Contents(), "");
}

TEST_F(LogFileTest, SinkWritesToTheCurrentFileOnly) {
  LogFile file;
  ASSERT_TRUE(file.Open(path_));
  LogFileSink(LogLevel::Info, "before");
  SetCurrentLogFile(&file);
  LogFileSink(LogLevel::Info, "during");
  SetCurrentLogFile(nullptr);
  LogFileSink(LogLevel::Info, "after");
  EXPECT_EQ(Contents(), "during\n");
}

// The real path: lines logged on this thread reach the file on the logger's
// worker, in order, one per line.
TEST_F(LogFileTest, LoggerDeliversLinesThroughTheSink) {
  LogFile file;
  ASSERT_TRUE(file.Open(path_));
  file.SetVerbosity(LogLevel::Info);
  SetCurrentLogFile(&file);
  Logger logger([](UtcTimeOfDay& time) {
    time = UtcTimeOfDay{7, 5, 9, 42};
    return true;
  });
  ASSERT_TRUE(logger.Worker().Start());
  logger.Configure(&LogFileSink, LogLevel::Info);
  logger.Log(LogLevel::Info, "Loaded the following settings .json file: '%s'", "C:\\g\\Vigilor\\Settings.json");
  logger.Log(LogLevel::Verbose, "not written");
  logger.Log(LogLevel::Error, "last");

  const std::string expected =
      "[07:05:09:042] [Windows] [VGL Bootstrapper] [Info] Loaded the following settings .json file: "
      "'C:\\g\\Vigilor\\Settings.json'\n"
      "[07:05:09:042] [Windows] [VGL Bootstrapper] [Err!] last\n";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Contents() != expected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  logger.Configure(nullptr, LogLevel::Info);
  EXPECT_EQ(Contents(), expected);
}

}  // namespace
}  // namespace vigilor::settings
