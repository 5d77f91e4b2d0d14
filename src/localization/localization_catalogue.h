// SPDX-License-Identifier: MIT
// The catalogue of player-visible texts: entries read from one localization
// file ("<language>_<country>.cfg") chosen by the user's locale, looked up by
// "section.key" with the built-in English text as the fallback.
//
// Each catalogue belongs to one object (the launcher, the game launcher, the
// module loader). Loading and lookups take the catalogue's lock, so a lookup
// on another thread during a load sees either the old or the new entries.
// Entries are never removed: a later file adds to the earlier ones and wins on
// the same key. A failed load keeps what was there (plus the lines of the
// failing file before its first bad line).
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "localization/cfg_parser.h"
#include "localization/text_keys.h"

namespace vigilor::localization {

// When set, every Lookup answers its English default. Set once by the font
// fallback on the main thread, before worker threads read it.
extern std::atomic<bool> useBuiltInTexts;

// The folder below the executable's directory that holds the .cfg files.
inline constexpr char kLocalizationFolder[] = "Vigilor\\Localization\\";

// Font slots filled by GetSystemFonts.
inline constexpr int kRegularFontSlot = 0;
inline constexpr int kBoldFontSlot = 1;
inline constexpr int kLightFontSlot = 2;

class LocalizationCatalogue {
 public:
  LocalizationCatalogue() = default;
  LocalizationCatalogue(const LocalizationCatalogue&) = delete;
  LocalizationCatalogue& operator=(const LocalizationCatalogue&) = delete;

  // Loads the file of folder that fits language and country best: exactly
  // "<language>_<country>.cfg" (lower case), else "<language>.cfg", else the
  // first "<language>*.cfg" the folder lists, else "en_us.cfg". An empty
  // language means "en"; an empty country is left out. loadedName receives
  // the chosen file's name without ".cfg" (set even when the load fails).
  // Errors: "No localization directory specified", "File not found '<path>'",
  // "Config file data empty", "Config parsing error". Windows builds only.
  bool LoadCatalogue(const std::wstring& folder, const std::string& language, const std::string& country,
                     std::string& loadedName, std::wstring& error);

  // LoadCatalogue on the executable's "Vigilor\Localization\" folder with the
  // user's locale (en, us when it cannot be detected). Fails with "Error
  // getting current executable path." when the executable's folder is
  // unknown. Windows builds only.
  bool LoadDefaultCatalogue(std::wstring& error);

  // Reads and parses one file into the catalogue. Windows builds only.
  bool LoadCatalogueFile(const std::wstring& path, std::wstring& error);

  // Parses content as the bytes of a file would be parsed, under the lock.
  bool LoadCatalogueText(std::string_view content, std::wstring& error);

  // identifier is "<section>.<key>". Errors: "Identifier syntax error:
  // expected "<section>.<key>"", "Section not found '<identifier>'", "Key not
  // found '<identifier>'".
  bool FindEntry(std::string_view identifier, std::string& value, std::string& error) const;

  // The stored text of key, or englishDefault when it has none or
  // useBuiltInTexts is set; then "{0}", "{1}", ... are filled from arguments
  // (first occurrence of each). Never logs. Any thread.
  std::string Lookup(std::string_view key, std::string_view englishDefault,
                     const std::vector<std::string>& arguments) const;
  std::string Lookup(const LocalizedText& text, const std::vector<std::string>& arguments = {}) const;

  // The three system font file names (slots 0 regular, 1 bold, 2 light) when
  // the catalogue names all three; otherwise false with fonts empty.
  bool GetSystemFonts(std::map<int, std::string>& fonts) const;

 private:
  mutable std::mutex lock_;
  CatalogueData data_;
};

// The choice LoadCatalogue makes among the names a folder listed for
// "<language>*.cfg", in listing order (dot files and folders already left
// out). fileName is what to open inside the folder, loadedName the file name
// up to its first ".cfg".
struct CatalogueFileChoice {
  std::wstring fileName;
  std::wstring loadedName;
};
CatalogueFileChoice ChooseCatalogueFile(const std::vector<std::wstring>& listed, const std::wstring& language,
                                        const std::wstring& country);

}  // namespace vigilor::localization
