// SPDX-License-Identifier: MIT
#include "settings/settings_errors.h"

#include <gtest/gtest.h>

#include <string>

namespace vigilor::settings {
namespace {

LauncherSettings WithStatus(SettingsStatus status, const std::string& field = "") {
  LauncherSettings settings;
  settings.loadStatus = status;
  settings.invalidField = field;
  return settings;
}

TEST(DescribeSettingsError, BuildsTheEnglishMessageOfEachStatus) {
  const localization::LocalizationCatalogue empty;
  const struct {
    const char* desc;
    LauncherSettings settings;
    std::string settingsPath;
    std::string expected;
  } cases[] = {
      {"invalid identifier", WithStatus(InvalidIdentifier, "productid"), "Settings.json",
       "Settings.json contains an invalid ORX identifier: (productid)"},
      {"missing required field", WithStatus(MissingRequiredField, "deploymentid"), "Settings.json",
       "Settings.json is missing a required field (deploymentid)"},
      {"unreadable file, overridden name", WithStatus(Unreadable), "custom.json", "custom.json not found"},
      {"ok: nothing to report", WithStatus(Ok), "Settings.json", ""},
      {"not loaded: nothing to report", WithStatus(NotLoaded), "Settings.json", ""},
      {"unknown status: nothing to report", WithStatus(static_cast<SettingsStatus>(-3)), "Settings.json", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeSettingsError(c.settings, c.settingsPath, empty), c.expected) << c.desc;
  }
}

TEST(DescribeSettingsError, UsesTheCatalogueText) {
  localization::LocalizationCatalogue catalogue;
  std::wstring error;
  ASSERT_TRUE(catalogue.LoadCatalogueText("launcher:\n{\nerror_no_settings_file = \"{0} fehlt\";\n}\n", error));
  EXPECT_EQ(DescribeSettingsError(WithStatus(Unreadable), "Settings.json", catalogue), "Settings.json fehlt");
}

TEST(DescribeSettingsLoadFailure, ShowsTheStatusAsUnsignedHex) {
  EXPECT_EQ(DescribeSettingsLoadFailure(Unreadable), "Failed to parse the settings file with: 0xFFFFFFFE.");
  EXPECT_EQ(DescribeSettingsLoadFailure(MissingRequiredField), "Failed to parse the settings file with: 0xFFFFFFFC.");
  EXPECT_EQ(DescribeSettingsLoadFailure(InvalidIdentifier), "Failed to parse the settings file with: 0xFFFFFFFB.");
}

}  // namespace
}  // namespace vigilor::settings
