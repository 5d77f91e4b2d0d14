// SPDX-License-Identifier: MIT
// The catalogue's file choice on real folders, under Wine.
#include "localization/localization_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace vigilor::localization {
namespace {

namespace fs = std::filesystem;

std::string CfgWithLoading(const std::string& text) { return "launcher:\n{\nloading = \"" + text + "\";\n}\n"; }

class CatalogueFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vigilor_l10n_" + std::to_string(std::random_device{}())) / "Localization";
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_.parent_path(), ignored);
  }
  void Write(const std::wstring& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::wstring Folder() const { return dir_.wstring() + L"\\"; }
  fs::path dir_;
};

TEST_F(CatalogueFolder, ChoosesTheFileForLanguageAndCountry) {
  const struct {
    const char* desc;
    std::vector<std::wstring> files;
    std::string language;
    std::string country;
    std::string loadedName;
    std::string loading;
  } cases[] = {
      {"pt BR with pt_br and pt_pt", {L"pt_pt.cfg", L"pt_br.cfg", L"en_us.cfg"}, "pt", "BR", "pt_br", "pt_br.cfg"},
      {"pt BR with only pt_pt", {L"pt_pt.cfg", L"en_us.cfg"}, "pt", "BR", "pt_pt", "pt_pt.cfg"},
      {"ja without a ja file", {L"de_de.cfg", L"en_us.cfg"}, "ja", "JP", "en_us", "en_us.cfg"},
      {"de DE prefers de_de over de", {L"de.cfg", L"de_de.cfg"}, "de", "DE", "de_de", "de_de.cfg"},
      {"de CH falls back to de", {L"de.cfg", L"de_de.cfg"}, "de", "CH", "de", "de.cfg"},
      {"empty language means en", {L"en_us.cfg", L"en_gb.cfg"}, "", "GB", "en_gb", "en_gb.cfg"},
  };
  for (const auto& c : cases) {
    SetUp();
    for (const auto& name : c.files) Write(name, CfgWithLoading(fs::path(name).string()));
    LocalizationCatalogue catalogue;
    std::string loadedName;
    std::wstring error;
    EXPECT_TRUE(catalogue.LoadCatalogue(Folder(), c.language, c.country, loadedName, error)) << c.desc;
    EXPECT_EQ(error, L"") << c.desc;
    EXPECT_EQ(loadedName, c.loadedName) << c.desc;
    EXPECT_EQ(catalogue.Lookup(texts::kLoading), c.loading) << c.desc;
    TearDown();
  }
}

TEST_F(CatalogueFolder, FoldersAndDotFilesAreNotCandidates) {
  fs::create_directories(dir_ / "ja_jp.cfg");
  Write(L".ja_hidden.cfg", CfgWithLoading("hidden"));
  Write(L"en_us.cfg", CfgWithLoading("english"));
  LocalizationCatalogue catalogue;
  std::string loadedName;
  std::wstring error;
  // Without the trailing separator too: the catalogue adds it.
  EXPECT_TRUE(catalogue.LoadCatalogue(dir_.wstring(), "ja", "JP", loadedName, error));
  EXPECT_EQ(loadedName, "en_us");
  EXPECT_EQ(catalogue.Lookup(texts::kLoading), "english");
}

TEST_F(CatalogueFolder, MissingFilesReportTheEnglishPath) {
  LocalizationCatalogue catalogue;
  std::string loadedName;
  std::wstring error;
  EXPECT_FALSE(catalogue.LoadCatalogue(Folder(), "ja", "JP", loadedName, error));
  EXPECT_EQ(error, L"File not found '" + Folder() + L"en_us.cfg'");
  EXPECT_EQ(loadedName, "en_us");
  EXPECT_EQ(catalogue.Lookup(texts::kLoading), "LOADING");

  EXPECT_FALSE(catalogue.LoadCatalogue(L"", "ja", "JP", loadedName, error));
  EXPECT_EQ(error, L"No localization directory specified");
  EXPECT_EQ(loadedName, "");
}

TEST_F(CatalogueFolder, ABrokenFileKeepsItsLinesBeforeTheError) {
  Write(L"de_de.cfg", "launcher:\n{\nloading = LADEN;\nbroken line;\nbtn_exit = Beenden;\n}\n");
  LocalizationCatalogue catalogue;
  std::string loadedName;
  std::wstring error;
  EXPECT_FALSE(catalogue.LoadCatalogue(Folder(), "de", "DE", loadedName, error));
  EXPECT_EQ(error, L"Config parsing error");
  EXPECT_EQ(catalogue.Lookup(texts::kLoading), "LADEN");
  EXPECT_EQ(catalogue.Lookup(texts::kExitButton), "Exit");
}

}  // namespace
}  // namespace vigilor::localization
