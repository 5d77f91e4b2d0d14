// SPDX-License-Identifier: MIT
#include "settings/launcher_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace vigilor::settings {
namespace {

using namespace std::string_literals;

TEST(IsValidIdentifier, AcceptsTwoToSixtyFourLettersDigitsAndDashes) {
  const struct {
    const char* desc;
    std::string text;
    bool expected;
  } cases[] = {
      {"empty", "", false},
      {"one character", "a", false},
      {"two characters", "ab", true},
      {"64 characters", std::string(64, 'x'), true},
      {"65 characters", std::string(65, 'x'), false},
      {"letters, digits and dashes", "Abc-123-xyz", true},
      {"only dashes", "--", true},
      {"underscore", "ab_cd", false},
      {"space", "ab cd", false},
      {"trailing space", "abcd ", false},
      {"dot", "ab.cd", false},
      {"path separator", "ab\\cd", false},
      {"byte above 0x7F (UTF-8 e-acute)", "caf\xC3\xA9", false},
      {"byte 0x80 alone", "ab\x80", false},
      {"NUL inside", "ab\0cd"s, false},
      {"NUL at the end of a valid prefix", "ab\0"s, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidIdentifier(c.text), c.expected) << c.desc;
}

struct ReadCase {
  const char* desc;
  std::string json;
  SettingsStatus status;
  std::string invalidField;
};

LauncherSettings Read(const std::string& json) {
  FlatJsonReader reader;
  reader.Scan(json);
  LauncherSettings settings;
  ReadSettingsFields(settings, reader);
  return settings;
}

constexpr char kIds[] = R"("productid":"prod-1","sandboxid":"sand-1","deploymentid":"dep-1",)";

TEST(ReadSettingsFields, ReportsTheFirstMissingOrInvalidRequiredKey) {
  const ReadCase cases[] = {
      {"all four required keys", std::string("{") + kIds + R"("executable":"Game.exe"})", Ok, ""},
      {"empty executable is accepted", std::string("{") + kIds + R"("executable":""})", Ok, ""},
      {"no file content", "", MissingRequiredField, "productid"},
      {"deploymentid missing", R"({"productid":"p1","sandboxid":"s1","executable":"g.exe"})",
       MissingRequiredField, "deploymentid"},
      {"executable missing", std::string("{") + kIds + "}", MissingRequiredField, "executable"},
      {"present but empty productid does not hide the missing sandboxid",
       R"({"productid":"","deploymentid":"d1","executable":"g.exe"})", MissingRequiredField, "sandboxid"},
      {"single-digit identifier is read as a boolean, so it is missing",
       R"({"productid":"7","sandboxid":"s1","deploymentid":"d1","executable":"g.exe"})", MissingRequiredField,
       "productid"},
      {"unquoted identifier takes the next quoted string, here a valid one",
       R"({"productid":p1,"sandboxid":"s1","deploymentid":"d1","executable":"g.exe"})", Ok, ""},
      {"unquoted identifier with no quoted string after it is missing",
       R"({"sandboxid":"s1","deploymentid":"d1","executable":"g.exe","productid":p1})", MissingRequiredField,
       "productid"},
      {"one-character productid", R"({"productid":"p","sandboxid":"s1","deploymentid":"d1","executable":"g"})",
       InvalidIdentifier, "productid"},
      {"underscore in sandboxid", R"({"productid":"p1","sandboxid":"s_1","deploymentid":"d1","executable":"g"})",
       InvalidIdentifier, "sandboxid"},
      {"space in deploymentid", R"({"productid":"p1","sandboxid":"s1","deploymentid":"d 1","executable":"g"})",
       InvalidIdentifier, "deploymentid"},
      {"two invalid identifiers name the first",
       R"({"productid":"p!","sandboxid":"s_1","deploymentid":"d1","executable":"g"})", InvalidIdentifier,
       "productid"},
  };
  for (const auto& c : cases) {
    const LauncherSettings settings = Read(c.json);
    EXPECT_EQ(settings.loadStatus, c.status) << c.desc;
    EXPECT_EQ(settings.invalidField, c.invalidField) << c.desc;
  }
}

TEST(ReadSettingsFields, KeysAfterTheMissingOneAreNotRead) {
  const LauncherSettings settings = Read(R"({"productid":"p1","sandboxid":"s1","executable":"g.exe"})");
  EXPECT_EQ(settings.productid, "p1");
  EXPECT_EQ(settings.executable, "");
}

TEST(ReadSettingsFields, OptionalKeysKeepTheirDefaultsWhenAbsentOrUnquoted) {
  const LauncherSettings absent = Read(std::string("{") + kIds + R"("executable":"g.exe"})");
  EXPECT_TRUE(absent.allow_null_client);
  EXPECT_FALSE(absent.hide_gui);
  EXPECT_FALSE(absent.wait_for_game_process_exit);
  EXPECT_EQ(absent.title, "");

  const LauncherSettings unquoted = Read(std::string("{") + kIds + R"("executable":"g.exe","hide_gui":true})");
  EXPECT_EQ(unquoted.loadStatus, Ok);
  EXPECT_FALSE(unquoted.hide_gui);
}

TEST(ReadSettingsFields, ReadsEveryOptionalKey) {
  const LauncherSettings settings = Read(std::string("{") + kIds +
                                         R"("executable":"bin\\Game.exe","title":"My Game",)"
                                         R"("requested_splash":"splash.png","environment":"GameDev",)"
                                         R"("wait_for_game_process_exit":"true","hide_gui":"1",)"
                                         R"("hide_bootstrapper":"true","allow_null_client":"false",)"
                                         R"("hide_logo_animation":"1"})");
  ASSERT_EQ(settings.loadStatus, Ok);
  EXPECT_EQ(settings.executable, "bin\\Game.exe");
  EXPECT_EQ(settings.title, "My Game");
  EXPECT_EQ(settings.requested_splash, "splash.png");
  EXPECT_EQ(settings.environment, "GameDev");  // kept as written; only "gamedev" selects GameDev
  EXPECT_TRUE(settings.wait_for_game_process_exit);
  EXPECT_TRUE(settings.hide_gui);
  EXPECT_TRUE(settings.hide_bootstrapper);
  EXPECT_FALSE(settings.allow_null_client);
  EXPECT_TRUE(settings.hide_logo_animation);
}

}  // namespace
}  // namespace vigilor::settings
