// SPDX-License-Identifier: MIT
#include "settings/settings_lint.h"

#include <gtest/gtest.h>

#include <string>

namespace vigilor::settings {
namespace {

using Kind = LintWarningKind;

// Line 1 is "{", the identifiers take lines 2 to 4, executable line 5; the
// pair under test starts on line 6.
std::string File(const std::string& extraLines, bool withExecutable = true) {
  return "{\n"
         "  \"productid\": \"demo-product\",\n"
         "  \"sandboxid\": \"demo-sandbox\",\n"
         "  \"deploymentid\": \"demo-deployment\",\n" +
         std::string(withExecutable ? "  \"executable\": \"Game.exe\",\n" : "  \"comment\": \"-\",\n") + extraLines +
         "}\n";
}

std::string Describe(const LintReport& report) {
  std::string all;
  for (const LintWarning& w : report.warnings) all += "  line " + std::to_string(w.line) + ": " + w.text + "\n";
  return all;
}

const LintWarning* FindWarning(const LintReport& report, Kind kind, int line) {
  for (const LintWarning& w : report.warnings) {
    if (w.kind == kind && w.line == line) return &w;
  }
  return nullptr;
}

TEST(SettingsLint, WarnsAboutEachMisreadOnItsLine) {
  const struct {
    const char* desc;
    std::string text;
    Kind kind;
    int line;
    std::string fragment;  // what the warning must say
  } cases[] = {
      {"unquoted true takes the next quoted string", File("  \"hide_gui\": true,\n  \"title\": \"Demo\"\n"),
       Kind::UnquotedValue, 6, "hide_gui is read as \"title\""},
      {"unquoted digit, nothing quoted after it", File("  \"hide_gui\": 1\n"), Kind::UnquotedValue, 6,
       "hide_gui is not read at all"},
      {"unquoted boolean suggests the quoted form", File("  \"hide_gui\": false\n"), Kind::UnquotedValue, 6,
       "Write \"false\"."},
      {"null", File("  \"requested_splash\": null,\n  \"title\": \"Demo\"\n"), Kind::UnquotedValue, 6,
       "the value null is not in double quotes"},
      {"number", File("  \"title\": 10\n"), Kind::UnquotedValue, 6, "the value 10"},
      {"object value, read as its first quoted string", File("  \"title\": {\"a\": \"b\"}\n"), Kind::UnquotedValue, 6,
       "title is read as \"a\""},
      {"array value on a later line", File("  \"title\":\n    [\"x\"]\n"), Kind::UnquotedValue, 7, "the value [\"x\"]"},
      {"no value at all", File("  \"title\": ,\n  \"environment\": \"prod\"\n"), Kind::UnquotedValue, 6,
       "no value is written"},
      {"unknown key", File("  \"titel\": \"Demo\"\n"), Kind::UnknownKey, 6, "unknown key \"titel\""},
      {"key in the wrong letter case", File("  \"HideGUI\": \"true\"\n"), Kind::UnknownKey, 6,
       "did you mean \"hide_gui\"?"},
      {"identifier with a space", "{\"productid\": \"demo product\",\n\"sandboxid\": \"s1\"}", Kind::InvalidIdentifier,
       1, "productid \"demo product\" breaks the identifier rule"},
      {"identifier of 65 characters",
       "{\"productid\": \"p1\",\n\"sandboxid\": \"" + std::string(65, 's') + "\",\n\"deploymentid\": \"d1\"}",
       Kind::InvalidIdentifier, 2, "it is 65 characters long"},
      {"every bad identifier is named, not just the first",
       "{\"productid\": \"a\",\n\"sandboxid\": \"s1\",\n\"deploymentid\": \"d_1\"}", Kind::InvalidIdentifier, 3,
       "it contains \"_\""},
      {"missing required key, reported where the object ends", File("", false), Kind::MissingRequiredKey, 6,
       "required key \"executable\" is missing"},
      {"required key written without quotes", File("  \"executable\": 5\n", false), Kind::MissingRequiredKey, 6,
       "\"executable\" is written but the scanner reads no text for it"},
      {"environment in another letter case", File("  \"environment\": \"GameDev\"\n"), Kind::EnvironmentLookalike, 6,
       "environment \"GameDev\" is not exactly \"gamedev\""},
      {"environment with a leading space", File("  \"environment\": \" gamedev\"\n"), Kind::EnvironmentLookalike, 6,
       "selects production"},
      {"comma inside a value", File("  \"title\": \"Hello, World\"\n"), Kind::SeparatorInValue, 6, "contains ','"},
      {"colon inside a value", File("  \"title\": \"Game: Remastered\"\n"), Kind::SeparatorInValue, 6, "contains ':'"},
      {"backslash before the closing quote", File("  \"title\": \"The \\\"Best\\\" Game\"\n"),
       Kind::BackslashBeforeQuote, 6, "\"The \\\" ends in a backslash"},
      {"switch written as another word", File("  \"hide_gui\": \"yes\"\n"), Kind::WrongValueKind, 6,
       "hide_gui keeps its default false"},
      {"switch in upper case", File("  \"allow_null_client\": \"False\"\n"), Kind::WrongValueKind, 6,
       "allow_null_client keeps its default true"},
      {"text written as a digit", File("  \"title\": \"1\"\n"), Kind::WrongValueKind, 6,
       "read as a switch, not a text"},
      {"duplicate key", File("  \"title\": \"One\",\n  \"title\": \"Two\"\n"), Kind::DuplicateKey, 7,
       "first on line 6"},
      {"pair after a comma inside a value", File("  \"title\": \"Hello, World\",\n  \"requested_splash\": \"s.png\"\n"),
       Kind::ReadDifferently, 7, "written as \"s.png\" but read as nothing"},
      {"missing comma ends the scan", File("  \"title\": \"Demo\"\n  \"hide_gui\": \"true\"\n"), Kind::ReadDifferently,
       7, "a comma is missing"},
      {"lines count inside a string that spans lines", File("  \"title\": \"two\nlines\",\n  \"hide_gui\": true\n"),
       Kind::UnquotedValue, 8, "hide_gui"},
      {"control bytes are shown escaped", File("  \"\x1b[2J\": \"x\"\n"), Kind::UnknownKey, 6,
       "unknown key \"\\x1B[2J\""},
      {"CRLF line endings", "{\r\n\"productid\": \"p1\",\r\n\"hide_gui\": 1\r\n}\r\n", Kind::UnquotedValue, 3,
       "hide_gui"},
  };
  for (const auto& c : cases) {
    const LintReport report = LintSettingsText(c.text, "Settings.json");
    const LintWarning* warning = FindWarning(report, c.kind, c.line);
    ASSERT_NE(warning, nullptr) << c.desc << "\n" << Describe(report);
    EXPECT_NE(warning->text.find(c.fragment), std::string::npos) << c.desc << "\n" << warning->text;
  }
}

TEST(SettingsLint, CorrectFilesGiveNoWarnings) {
  const struct {
    const char* desc;
    std::string text;
  } cases[] = {
      {"every key, quoted",
       File("  \"title\": \"Demo Game\",\n  \"requested_splash\": \"splash.png\",\n"
            "  \"environment\": \"gamedev\",\n  \"wait_for_game_process_exit\": \"1\",\n"
            "  \"hide_gui\": \"true\",\n  \"hide_bootstrapper\": \"0\",\n  \"allow_null_client\": \"false\",\n"
            "  \"hide_logo_animation\": \"false\"\n")},
      {"escaped backslashes in a path", File("  \"title\": \"Games\\\\Demo\\\\\"\n")},
      {"one line, no spaces", R"({"productid":"p1","sandboxid":"s1","deploymentid":"d1","executable":""})"},
      {"no braces at all", R"("productid":"p1","sandboxid":"s1","deploymentid":"d1","executable":"x")"},
  };
  for (const auto& c : cases) {
    const LintReport report = LintSettingsText(c.text, "Settings.json");
    EXPECT_TRUE(report.warnings.empty()) << c.desc << "\n" << Describe(report);
    EXPECT_EQ(report.settings.loadStatus, Ok) << c.desc;
  }
}

TEST(SettingsLint, StatusMessageAndExitCodeFollowTheBootstrapper) {
  const struct {
    const char* desc;
    LintReport report;
    SettingsStatus status;
    std::string message;
    int exitCode;
  } cases[] = {
      {"accepted", LintSettingsText(File(""), "Settings.json"), Ok, "", 0},
      {"warnings alone do not fail", LintSettingsText(File("  \"hide_gui\": true\n"), "Settings.json"), Ok, "", 0},
      {"missing required key", LintSettingsText(File("", false), "custom.json"), MissingRequiredField,
       "custom.json is missing a required field (executable)", 1},
      {"invalid identifier",
       LintSettingsText(R"({"productid":"p","sandboxid":"s1","deploymentid":"d1","executable":""})", "Settings.json"),
       InvalidIdentifier, "Settings.json contains an invalid ORX identifier: (productid)", 1},
      {"empty file", LintSettingsText("", "Settings.json"), Unreadable, "Settings.json not found", 1},
      {"file that cannot be read", LintUnreadableFile("Settings.json"), Unreadable, "Settings.json not found", 1},
      {"one character", LintSettingsText("{", "Settings.json"), MissingRequiredField,
       "Settings.json is missing a required field (productid)", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.report.settings.loadStatus, c.status) << c.desc;
    EXPECT_EQ(c.report.message, c.message) << c.desc;
    EXPECT_EQ(LintExitCode(c.report), c.exitCode) << c.desc;
  }
}

TEST(SettingsLint, ListsValuesAsTheScannerReadsThem) {
  const LintReport report =
      LintSettingsText(File("  \"hide_gui\": true,\n  \"title\": \"Demo\",\n  \"requested_splash\": \"C:\\\\s.png\",\n"
                            "  \"notes\": \"free text\",\n  \"beta\": \"1\"\n"),
                       "Settings.json");
  const std::pair<std::string, std::string> expected[] = {
      {"title", "\"Demo\""},
      {"executable", "\"Game.exe\""},
      {"productid", "\"demo-product\""},
      {"sandboxid", "\"demo-sandbox\""},
      {"deploymentid", "\"demo-deployment\""},
      {"requested_splash", "\"C:\\s.png\""},
      {"environment", "\"\" (default)"},
      {"wait_for_game_process_exit", "false (default)"},
      {"hide_gui", "false (default) [the scanner read the text \"title\", which a switch ignores]"},
      {"hide_bootstrapper", "false (default)"},
      {"allow_null_client", "true (default)"},
      {"hide_logo_animation", "false (default)"},
  };
  ASSERT_EQ(report.values.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(report.values[i].key, expected[i].first);
    EXPECT_EQ(report.values[i].shown, expected[i].second) << expected[i].first;
  }
  ASSERT_EQ(report.otherKeys.size(), 2u);
  EXPECT_EQ(report.otherKeys[0].key, "notes");
  EXPECT_EQ(report.otherKeys[0].shown, "\"free text\"");
  EXPECT_EQ(report.otherKeys[1].key, "beta");
  EXPECT_EQ(report.otherKeys[1].shown, "the switch true");
}

TEST(SettingsLint, ReportShowsStatusMessageAndNumberedWarnings) {
  const std::string out =
      FormatLintReport(LintSettingsText(File("  \"hide_gui\": true\n", false), "Settings.json"), "x/Settings.json");
  const char* expected[] = {
      "settings-lint: x/Settings.json\n",
      "\n  hide_gui                    false (default)\n",
      "\nStatus: -4 MissingRequiredField\n",
      "\nMessage: Settings.json is missing a required field (executable)\n",
      "\n  line 6: \"hide_gui\": the value true is not in double quotes",
      "\n  line 7: required key \"executable\" is missing",
      "The bootstrapper rejects this file.\n",
  };
  for (const char* fragment : expected) EXPECT_NE(out.find(fragment), std::string::npos) << fragment << "\n" << out;
}

}  // namespace
}  // namespace vigilor::settings
