// SPDX-License-Identifier: MIT
// ReadSettingsFile on real files, under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "foundation/unicode.h"
#include "settings/launcher_settings.h"

namespace vigilor::settings {
namespace {

namespace fs = std::filesystem;

constexpr char kValid[] =
    R"({"productid":"prod-1","sandboxid":"sand-1","deploymentid":"dep-1","executable":"Game.exe","title":"T"})";

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vigilor_settings_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Write(const std::wstring& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return WideToUtf8((dir_ / name).wstring());
  }
  fs::path dir_;
};

TEST_F(SettingsFile, ReadsAValidFileAndResetsAnEarlierRead) {
  LauncherSettings settings;
  settings.hide_gui = true;
  settings.invalidField = "stale";
  ASSERT_TRUE(ReadSettingsFile(settings, Write(L"Settings.json", kValid)));
  EXPECT_EQ(settings.loadStatus, Ok);
  EXPECT_EQ(settings.productid, "prod-1");
  EXPECT_EQ(settings.title, "T");
  EXPECT_FALSE(settings.hide_gui);
  EXPECT_EQ(settings.invalidField, "");
}

TEST_F(SettingsFile, ReadsAPathThatIsNotAscii) {
  LauncherSettings settings;
  EXPECT_TRUE(ReadSettingsFile(settings, Write(L"Einstellungen-\u00e4\u65e5.json", kValid)));
  EXPECT_EQ(settings.loadStatus, Ok);
}

TEST_F(SettingsFile, UnreadableFilesAreReportedAsSuch) {
  const struct {
    const char* desc;
    std::string path;
  } cases[] = {
      {"missing file", WideToUtf8((dir_ / L"missing.json").wstring())},
      {"empty file", Write(L"empty.json", "")},
      {"a folder", WideToUtf8(dir_.wstring())},
      {"empty path", ""},
  };
  for (const auto& c : cases) {
    LauncherSettings settings;
    settings.productid = "stale";
    EXPECT_FALSE(ReadSettingsFile(settings, c.path)) << c.desc;
    EXPECT_EQ(settings.loadStatus, Unreadable) << c.desc;
    EXPECT_EQ(settings.productid, "") << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::settings
