// SPDX-License-Identifier: MIT
// The log file's place and wide paths, under Wine.
#include "settings/log_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <chrono>

#include "foundation/logger.h"
#include "foundation/random.h"
#include "foundation/unicode.h"

namespace vigilor::settings {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(LogFileWin, OpensAPathThatIsNotAscii) {
  const fs::path dir = fs::temp_directory_path() / (L"vigilor_log_\u00e9\u65e5_" + Utf8ToWide(FormatRandomGuid()));
  fs::create_directories(dir);
  {
    LogFile file;
    ASSERT_TRUE(file.Open(dir / kLogFileName));
    file.Write(LogLevel::Info, "line");
  }
  EXPECT_EQ(ReadAll(dir / kLogFileName), "line\n");
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

TEST(LogFileWin, OpenLogFileUsesTheProductCacheDirectoryAndInstallsTheSink) {
  std::wstring appData;
  ASSERT_TRUE(GetEnvironmentValue(L"APPDATA", appData));
  LauncherSettings settings;
  settings.productid = "test-" + FormatRandomGuid().substr(0, 8);
  settings.deploymentid = "dep-1";
  const fs::path product = fs::path(appData) / L"Vigilor" / Utf8ToWide(settings.productid);
  const fs::path expected = product / L"dep-1" / kLogFileName;

  Logger logger;
  ASSERT_TRUE(logger.Worker().Start());
  SetCurrentLogger(&logger);
  LogFile file;
  OpenLogFile(file, settings, LogLevel::Info);
  EXPECT_TRUE(file.IsOpen());
  EXPECT_TRUE(fs::exists(expected));
  Log(LogLevel::Info, "through the sink");
  Log(LogLevel::Verbose, "above the verbosity");
  for (int i = 0; i < 1000 && ReadAll(expected).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  logger.Worker().Stop();
  logger.Configure(nullptr, LogLevel::Info);
  SetCurrentLogFile(nullptr);
  SetCurrentLogger(nullptr);
  file.Close();

  const std::string text = ReadAll(expected);
  EXPECT_NE(text.find("[Info] through the sink\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("above the verbosity"), std::string::npos) << text;
  std::error_code ignored;
  fs::remove_all(product, ignored);
}

TEST(LogFileWin, NoCacheDirectoryMeansNoFile) {
  LauncherSettings settings;
  settings.productid = "..";  // never a folder name
  settings.deploymentid = "dep-1";
  Logger logger;
  SetCurrentLogger(&logger);
  LogFile file;
  OpenLogFile(file, settings, LogLevel::Trace);
  EXPECT_FALSE(file.IsOpen());
  logger.Configure(nullptr, LogLevel::Info);
  SetCurrentLogFile(nullptr);
  SetCurrentLogger(nullptr);
}

}  // namespace
}  // namespace vigilor::settings
