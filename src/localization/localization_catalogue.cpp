// SPDX-License-Identifier: MIT
#include "localization/localization_catalogue.h"

#include <algorithm>

#include "foundation/text.h"

namespace vigilor::localization {

std::atomic<bool> useBuiltInTexts{false};

namespace {

constexpr wchar_t kCfgExtension[] = L".cfg";
constexpr wchar_t kDefaultLocaleFile[] = L"en_us.cfg";

std::wstring AsciiLower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

}  // namespace

bool LocalizationCatalogue::LoadCatalogueText(std::string_view content, std::wstring& error) {
  std::lock_guard<std::mutex> guard(lock_);
  data_.content.assign(content.data(), content.size());
  return ParseCatalogue(data_, error);
}

bool LocalizationCatalogue::FindEntry(std::string_view identifier, std::string& value, std::string& error) const {
  const std::vector<std::string> pieces = SplitString(identifier, ".");
  if (pieces.size() != 2) {
    error = "Identifier syntax error: expected \"<section>.<key>\"";
    return false;
  }
  std::lock_guard<std::mutex> guard(lock_);
  const auto section = data_.sections.find(pieces[0]);
  if (section == data_.sections.end()) {
    error = "Section not found '" + std::string(identifier) + "'";
    return false;
  }
  const auto entry = section->second.find(pieces[1]);
  if (entry == section->second.end()) {
    error = "Key not found '" + std::string(identifier) + "'";
    return false;
  }
  value = entry->second;
  return true;
}

std::string LocalizationCatalogue::Lookup(std::string_view key, std::string_view englishDefault,
                                          const std::vector<std::string>& arguments) const {
  std::string text;
  std::string ignored;
  if (useBuiltInTexts.load() || !FindEntry(key, text, ignored)) text.assign(englishDefault);
  FormatPlaceholders(text, arguments);
  return text;
}

std::string LocalizationCatalogue::Lookup(const LocalizedText& text, const std::vector<std::string>& arguments) const {
  return Lookup(text.key, text.englishDefault, arguments);
}

bool LocalizationCatalogue::GetSystemFonts(std::map<int, std::string>& fonts) const {
  fonts.clear();
  fonts[kRegularFontSlot] = Lookup(texts::kFontRegular);
  fonts[kBoldFontSlot] = Lookup(texts::kFontBold);
  fonts[kLightFontSlot] = Lookup(texts::kFontLight);
  for (const auto& [slot, name] : fonts) {
    if (name.empty()) {
      fonts.clear();
      return false;
    }
  }
  return true;
}

CatalogueFileChoice ChooseCatalogueFile(const std::vector<std::wstring>& listed, const std::wstring& language,
                                        const std::wstring& country) {
  CatalogueFileChoice choice;
  if (listed.empty()) {
    choice.fileName = kDefaultLocaleFile;
  } else {
    std::wstring wanted = language;
    if (!country.empty()) wanted += L"_" + country;
    wanted = AsciiLower(wanted + kCfgExtension);
    const std::wstring languageOnly = language + kCfgExtension;
    auto chosen = std::find(listed.begin(), listed.end(), wanted);
    if (chosen == listed.end()) chosen = std::find(listed.begin(), listed.end(), languageOnly);
    choice.fileName = chosen != listed.end() ? *chosen : listed.front();
  }
  choice.loadedName = choice.fileName.substr(0, choice.fileName.find(kCfgExtension));
  return choice;
}

}  // namespace vigilor::localization
