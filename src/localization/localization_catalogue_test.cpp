// SPDX-License-Identifier: MIT
#include "localization/localization_catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace vigilor::localization {
namespace {

constexpr char kGerman[] =
    "launcher:\n{\n"
    "loading = \"LADEN\";\n"
    "error_launch = \"Startfehler\";\n"
    "}\n"
    "launcher_error:\n{\n"
    "error_game_binary_not_found = \"Spieldatei {0} fehlt ({0})\";\n"
    "}\n";

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::wstring error;
    ASSERT_TRUE(catalogue_.LoadCatalogueText(kGerman, error));
  }
  void TearDown() override { useBuiltInTexts = false; }
  LocalizationCatalogue catalogue_;
};

TEST_F(CatalogueTest, FindEntryReportsWhatIsMissing) {
  const struct {
    const char* desc;
    const char* identifier;
    bool found;
    std::string valueOrError;
  } cases[] = {
      {"present", "launcher.loading", true, "LADEN"},
      {"no dot", "launcher", false, "Identifier syntax error: expected \"<section>.<key>\""},
      {"two dots", "launcher.loading.x", false, "Identifier syntax error: expected \"<section>.<key>\""},
      {"unknown section", "window.loading", false, "Section not found 'window.loading'"},
      {"unknown key", "launcher.initializing", false, "Key not found 'launcher.initializing'"},
      {"case-sensitive", "Launcher.loading", false, "Section not found 'Launcher.loading'"},
  };
  for (const auto& c : cases) {
    std::string value = "untouched";
    std::string error;
    EXPECT_EQ(catalogue_.FindEntry(c.identifier, value, error), c.found) << c.desc;
    EXPECT_EQ(c.found ? value : error, c.valueOrError) << c.desc;
    if (!c.found) {
      EXPECT_EQ(value, "untouched") << c.desc;
    }
  }
}

TEST_F(CatalogueTest, LookupFallsBackToTheEnglishDefault) {
  const struct {
    const char* desc;
    LocalizedText text;
    std::vector<std::string> arguments;
    std::string expected;
  } cases[] = {
      {"file text", texts::kLoading, {}, "LADEN"},
      {"missing key", texts::kInitializing, {}, "INITIALIZING"},
      {"missing section, default placeholder filled", texts::kHttpResponse, {"404", "22"},
       "HTTP Response Code: 404 Curl Code: 22"},
      {"file text placeholder, first occurrence only", texts::kGameBinaryNotFound, {"C:\\g\\x.exe"},
       "Spieldatei C:\\g\\x.exe fehlt ({0})"},
      {"same key, other default", texts::kNetworkError, {}, "Startfehler"},
      {"argument without a token is ignored", texts::kLoading, {"unused"}, "LADEN"},
      {"token without an argument stays", texts::kMissingRequiredField, {"Settings.json"},
       "Settings.json is missing a required field ({1})"},
  };
  for (const auto& c : cases) EXPECT_EQ(catalogue_.Lookup(c.text, c.arguments), c.expected) << c.desc;
}

TEST_F(CatalogueTest, LookupOfAMissingKeyFillsTheDefaultPath) {
  LocalizationCatalogue empty;
  EXPECT_EQ(empty.Lookup(texts::kGameBinaryNotFound, {"D:\\Games\\Game.exe"}),
            "Could not locate the game binary: 'D:\\Games\\Game.exe'");
  EXPECT_EQ(empty.Lookup("no_dot", "fallback {0}", {"x"}), "fallback x");
}

TEST_F(CatalogueTest, BuiltInTextsOverrideTheFile) {
  useBuiltInTexts = true;
  EXPECT_EQ(catalogue_.Lookup(texts::kLoading), "LOADING");
  EXPECT_EQ(catalogue_.Lookup(texts::kLaunchError), "Launch Error");
}

TEST_F(CatalogueTest, LaterTextAddsToTheEntriesAndWinsOnTheSameKey) {
  std::wstring error;
  ASSERT_TRUE(catalogue_.LoadCatalogueText("launcher:\n{\nloading = LOADING;\n}\n", error));
  EXPECT_EQ(catalogue_.Lookup(texts::kLoading), "LOADING");
  EXPECT_EQ(catalogue_.Lookup(texts::kLaunchError), "Startfehler");
  EXPECT_FALSE(catalogue_.LoadCatalogueText("", error));
  EXPECT_EQ(error, L"Config file data empty");
  EXPECT_EQ(catalogue_.Lookup(texts::kLoading), "LOADING");
}

TEST(LocalizationCatalogue, SystemFontsNeedAllThreeNames) {
  const struct {
    const char* desc;
    const char* fontSection;
    std::map<int, std::string> expected;
  } cases[] = {
      {"all three", "regular = a.ttf;\nbold = b.ttf;\nlight = c.ttf;\n",
       {{kRegularFontSlot, "a.ttf"}, {kBoldFontSlot, "b.ttf"}, {kLightFontSlot, "c.ttf"}}},
      {"light missing", "regular = a.ttf;\nbold = b.ttf;\n", {}},
      {"regular missing", "bold = b.ttf;\nlight = c.ttf;\n", {}},
  };
  for (const auto& c : cases) {
    LocalizationCatalogue catalogue;
    std::wstring error;
    ASSERT_TRUE(catalogue.LoadCatalogueText(std::string("windows_fonts:\n{\n") + c.fontSection + "}\n", error))
        << c.desc;
    std::map<int, std::string> fonts = {{7, "stale"}};
    EXPECT_EQ(catalogue.GetSystemFonts(fonts), !c.expected.empty()) << c.desc;
    EXPECT_EQ(fonts, c.expected) << c.desc;
  }
  LocalizationCatalogue none;
  std::map<int, std::string> fonts;
  EXPECT_FALSE(none.GetSystemFonts(fonts));
}

TEST(ChooseCatalogueFile, PrefersLanguageAndCountryThenLanguageThenTheFirstListed) {
  const struct {
    const char* desc;
    std::vector<std::wstring> listed;
    std::wstring language;
    std::wstring country;
    std::wstring fileName;
    std::wstring loadedName;
  } cases[] = {
      {"pt BR with pt_br and pt_pt", {L"pt_pt.cfg", L"pt_br.cfg"}, L"pt", L"BR", L"pt_br.cfg", L"pt_br"},
      {"pt BR with only pt_pt", {L"pt_pt.cfg"}, L"pt", L"BR", L"pt_pt.cfg", L"pt_pt"},
      {"nothing listed: English", {}, L"ja", L"JP", L"en_us.cfg", L"en_us"},
      {"language file before other countries", {L"de_at.cfg", L"de.cfg"}, L"de", L"DE", L"de.cfg", L"de"},
      {"empty country asks for the language file", {L"de_de.cfg", L"de.cfg"}, L"de", L"", L"de.cfg", L"de"},
      {"upper-case language is lowered for the full name", {L"de_de.cfg"}, L"DE", L"DE", L"de_de.cfg", L"de_de"},
      {"listed names compare exactly", {L"DE_DE.cfg", L"de_ch.cfg"}, L"de", L"DE", L"DE_DE.cfg", L"DE_DE"},
      {"name up to the first .cfg", {L"de_x.cfg.cfg"}, L"de", L"DE", L"de_x.cfg.cfg", L"de_x"},
  };
  for (const auto& c : cases) {
    const CatalogueFileChoice choice = ChooseCatalogueFile(c.listed, c.language, c.country);
    EXPECT_EQ(choice.fileName, c.fileName) << c.desc;
    EXPECT_EQ(choice.loadedName, c.loadedName) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::localization
