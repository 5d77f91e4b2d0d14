// SPDX-License-Identifier: MIT
// Checks the localization files we ship (assets/Localization/*.cfg) the way
// the program reads them: with the catalogue parser, against the key table
// the program looks up. A broken shipped file does not crash anything, it
// silently shows English, so these checks are the only place it shows up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "localization/cfg_parser.h"
#include "localization/text_keys.h"

namespace vigilor {
namespace {

namespace fs = std::filesystem;

struct CatalogueKey {
  std::string section;
  std::string key;
  std::string englishDefault;
};

// Every text key the program looks up, with its built-in English text, from
// the program's own table. A key listed twice (one key, two English titles)
// counts once, with its first text; the font keys are checked on their own.
const std::vector<CatalogueKey>& TextKeys() {
  static const std::vector<CatalogueKey> keys = [] {
    std::vector<CatalogueKey> out;
    std::set<std::string_view> seen;
    for (const auto& text : localization::AllLocalizedTexts()) {
      if (!seen.insert(text.key).second) continue;
      const auto dot = text.key.find('.');
      CatalogueKey k{std::string(text.key.substr(0, dot)), std::string(text.key.substr(dot + 1)),
                     std::string(text.englishDefault)};
      if (k.section != "windows_fonts") out.push_back(std::move(k));
    }
    return out;
  }();
  return keys;
}

// The font keys default to empty, which a file cannot write (an expression
// needs a value word): a file names all three or leaves the section out.
constexpr std::string_view kFontSection = "windows_fonts";
constexpr const char* kFontKeys[] = {"regular", "bold", "light"};

// Scripts the built-in Latin family cannot draw; their files must name fonts.
constexpr std::string_view kLanguagesNeedingSystemFonts[] = {"ja", "ko", "zh"};

// A value loses its end blanks, so a text the program appends to ends in a
// no-break space instead (or a full-width colon, which carries its own gap).
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kFullWidthColon = "\xEF\xBC\x9A";

struct ShippedFile {
  std::string name;  // e.g. "de_de.cfg"
  std::string content;
  CatalogueData data;
  bool parsed = false;
  std::wstring error;
};

fs::path LocalizationFolder() { return fs::path(VIGILOR_SOURCE_DIR) / "assets" / "Localization"; }

std::vector<ShippedFile> ReadShippedFiles() {
  std::vector<ShippedFile> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(LocalizationFolder(), ec)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".cfg") continue;
    ShippedFile file;
    file.name = entry.path().filename().string();
    std::ifstream in(entry.path(), std::ios::binary);
    file.content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    file.data.content = file.content;
    file.parsed = ParseCatalogue(file.data, file.error);
    files.push_back(std::move(file));
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return files;
}

const std::vector<ShippedFile>& ShippedFiles() {
  static const std::vector<ShippedFile> files = ReadShippedFiles();
  return files;
}

const std::string* FindValue(const CatalogueData& data, std::string_view section, std::string_view key) {
  const auto s = data.sections.find(section);
  if (s == data.sections.end()) return nullptr;
  const auto k = s->second.find(key);
  return k == s->second.end() ? nullptr : &k->second;
}

std::string Language(const ShippedFile& file) { return file.name.substr(0, file.name.find('_')); }

// The "{N}" tokens of a text, sorted, duplicates kept.
std::vector<std::string> Placeholders(std::string_view text) {
  std::vector<std::string> found;
  for (std::size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
    std::size_t end = open + 1;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end > open + 1 && end < text.size() && text[end] == '}')
      found.emplace_back(text.substr(open, end - open + 1));
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string_view Trim(std::string_view line) {
  const auto first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

TEST(ShippedLocalization, FolderHoldsEnglishAndOnlyLowerCaseLocaleNames) {
  const auto& files = ShippedFiles();
  ASSERT_FALSE(files.empty()) << "no .cfg files in " << LocalizationFolder().string();
  EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](const auto& f) { return f.name == "en_us.cfg"; }));
  // The loader matches "language_country.cfg" in lower case exactly; other
  // spellings are only picked up as an arbitrary "any file of the language".
  for (const auto& file : files) {
    const std::string stem = file.name.substr(0, file.name.size() - 4);
    const auto sep = stem.find('_');
    const bool lower =
        std::all_of(stem.begin(), stem.end(), [](char c) { return c == '_' || (c >= 'a' && c <= 'z'); });
    EXPECT_TRUE(lower && sep >= 2 && sep <= 3 && stem.size() == sep + 3) << file.name;
  }
}

TEST(ShippedLocalization, EveryFileParsesWithoutDiagnostics) {
  for (const auto& file : ShippedFiles()) {
    EXPECT_TRUE(file.parsed) << file.name;
    EXPECT_EQ(file.error, L"") << file.name;
    // Text after the last LF is never read.
    EXPECT_TRUE(!file.content.empty() && file.content.back() == '\n') << file.name;
    EXPECT_FALSE(file.content.starts_with("\xEF\xBB\xBF")) << file.name << " starts with a byte order mark";
  }
}

TEST(ShippedLocalization, EveryEntryLineEndsWithQuoteAndTerminator) {
  // The parser drops the last byte of an entry line whatever it is, so an
  // entry without its terminator would silently lose the text's last letter.
  for (const auto& file : ShippedFiles()) {
    std::string_view rest = file.content;
    while (!rest.empty()) {
      const auto lf = rest.find('\n');
      const std::string_view line = Trim(rest.substr(0, lf));
      rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
      if (line.empty() || line.starts_with('#') || line.starts_with("//") || line.ends_with(':') ||
          line == "{" || line == "}") {
        continue;
      }
      EXPECT_TRUE(line.ends_with("\";")) << file.name << ": " << line;
    }
  }
}

TEST(ShippedLocalization, EveryFileHasEveryTextKeyAndNoUnknownOne) {
  std::set<std::pair<std::string, std::string>> known;
  for (const auto& k : TextKeys()) known.emplace(k.section, k.key);
  for (const char* key : kFontKeys) known.emplace(kFontSection, key);
  for (const auto& file : ShippedFiles()) {
    for (const auto& k : TextKeys()) {
      const std::string* value = FindValue(file.data, k.section, k.key);
      EXPECT_TRUE(value != nullptr && !value->empty()) << file.name << ": " << k.section << "." << k.key;
    }
    // A misspelt key is never looked up: the player would get English.
    for (const auto& [section, entries] : file.data.sections) {
      for (const auto& [key, value] : entries) {
        EXPECT_TRUE(known.contains({section, key})) << file.name << ": unknown key " << section << "." << key;
      }
    }
  }
}

TEST(ShippedLocalization, EnglishFileHoldsTheBuiltInTexts) {
  const auto& files = ShippedFiles();
  const auto english =
      std::find_if(files.begin(), files.end(), [](const auto& f) { return f.name == "en_us.cfg"; });
  ASSERT_NE(english, files.end());
  for (const auto& k : TextKeys()) {
    std::string expected = k.englishDefault;
    if (expected.ends_with(' ')) expected.replace(expected.size() - 1, 1, kNoBreakSpace);
    const std::string* value = FindValue(english->data, k.section, k.key);
    EXPECT_EQ(value ? *value : "<missing>", expected) << k.section << "." << k.key;
  }
}

TEST(ShippedLocalization, TranslationsKeepThePlaceholdersOfTheEnglishText) {
  // Only the first "{N}" of each number is filled in; a dropped one loses the
  // detail (a path, an error code), a doubled one shows up raw.
  for (const auto& file : ShippedFiles()) {
    for (const auto& k : TextKeys()) {
      const std::string* value = FindValue(file.data, k.section, k.key);
      if (value == nullptr) continue;  // reported by EveryFileHasEveryTextKeyAndNoUnknownOne
      EXPECT_EQ(Placeholders(*value), Placeholders(k.englishDefault))
          << file.name << ": " << k.section << "." << k.key << " = " << *value;
    }
  }
}

TEST(ShippedLocalization, TextsTheProgramAppendsToKeepTheirSeparator) {
  // "Connection failed: " is followed directly by the URL; a plain trailing
  // space would be lost in the file and glue the URL to the colon.
  for (const auto& file : ShippedFiles()) {
    for (const auto& k : TextKeys()) {
      const std::string* value = FindValue(file.data, k.section, k.key);
      if (value == nullptr || !std::string_view(k.englishDefault).ends_with(' ')) continue;
      EXPECT_TRUE(value->ends_with(kNoBreakSpace) || value->ends_with(kFullWidthColon))
          << file.name << ": " << k.section << "." << k.key << " = " << *value;
    }
  }
}

TEST(ShippedLocalization, NoTextTurnsIntoTheDottedAnimation) {
  // A text with "[" before "]" is drawn as growing prefixes of the bracket
  // contents, and everything after "]" is dropped.
  for (const auto& file : ShippedFiles()) {
    for (const auto& [section, entries] : file.data.sections) {
      for (const auto& [key, value] : entries) {
        EXPECT_EQ(value.find_first_of("[]"), std::string::npos) << file.name << ": " << section << "." << key;
      }
    }
  }
}

TEST(ShippedLocalization, SystemFontsAreAllThreeOrNoneAndNamedWhereTheScriptNeedsThem) {
  for (const auto& file : ShippedFiles()) {
    int named = 0;
    for (const char* key : kFontKeys) {
      const std::string* value = FindValue(file.data, kFontSection, key);
      if (value == nullptr) continue;
      ++named;
      // A bare file name inside the system font folder.
      const bool fontFile = value->ends_with(".ttf") || value->ends_with(".ttc");
      EXPECT_TRUE(fontFile && value->find_first_of("/\\: ") == std::string::npos)
          << file.name << ": windows_fonts." << key << " = " << *value;
    }
    const std::string language = Language(file);
    const bool needsFonts =
        std::find(std::begin(kLanguagesNeedingSystemFonts), std::end(kLanguagesNeedingSystemFonts),
                  language) != std::end(kLanguagesNeedingSystemFonts);
    // Naming fonts elsewhere would make Latin texts depend on system files,
    // and a missing one turns the whole window English.
    EXPECT_EQ(named, needsFonts ? 3 : 0) << file.name;
  }
}

}  // namespace
}  // namespace vigilor
