// SPDX-License-Identifier: MIT
#include <windows.h>

#include "foundation/files.h"
#include "foundation/scoped_handle_win.h"
#include "foundation/unicode.h"
#include "localization/localization_catalogue.h"
#include "localization/user_locale.h"

namespace vigilor::localization {
namespace {

// The files (not folders, not dot files) matching pattern, in the order the
// system lists them.
std::vector<std::wstring> ListFiles(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  ScopedFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
  if (!find) return names;
  do {
    if (entry.cFileName[0] == L'.' || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    names.emplace_back(entry.cFileName);
  } while (FindNextFileW(find.get(), &entry));
  return names;
}

}  // namespace

bool LocalizationCatalogue::LoadCatalogueFile(const std::wstring& path, std::wstring& error) {
  return vigilor::LoadCatalogueFile(path, data_, lock_, error);
}

bool LocalizationCatalogue::LoadCatalogue(const std::wstring& folder, const std::string& language,
                                          const std::string& country, std::string& loadedName,
                                          std::wstring& error) {
  loadedName.clear();
  error.clear();
  if (folder.empty()) {
    error = L"No localization directory specified";
    return false;
  }
  const std::wstring wideLanguage = Utf8ToWide(language.empty() ? std::string("en") : language);
  const std::wstring wideCountry = Utf8ToWide(country);
  std::wstring directory = folder;
  if (directory.back() != L'\\' && directory.back() != L'/') directory += L'\\';

  const CatalogueFileChoice choice =
      ChooseCatalogueFile(ListFiles(directory + wideLanguage + L"*.cfg"), wideLanguage, wideCountry);
  loadedName = WideToUtf8(choice.loadedName);
  return LoadCatalogueFile(directory + choice.fileName, error);
}

bool LocalizationCatalogue::LoadDefaultCatalogue(std::wstring& error) {
  std::string language;
  std::string country;
  if (!DetectUserLocale(language, country)) {
    language = "en";
    country = "us";
  }
  std::string directory;
  if (GetExecutableDirectory(directory) != ExecutableDirectoryResult::Success) {
    error = L"Error getting current executable path.";
    return false;
  }
  std::string loadedName;
  return LoadCatalogue(Utf8ToWide(directory + kLocalizationFolder), language, country, loadedName, error);
}

}  // namespace vigilor::localization
