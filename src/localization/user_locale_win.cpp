// SPDX-License-Identifier: MIT
#include "localization/user_locale.h"

#include <windows.h>

#include "foundation/unicode.h"

namespace vigilor::localization {
namespace {

// ISO codes are a few letters; 16 units hold any of them with the terminator.
bool ReadLocaleText(LCTYPE type, std::string& text) {
  wchar_t buffer[16] = {};
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 16);
  if (length <= 0) return false;
  text = WideToUtf8(buffer);
  return true;
}

}  // namespace

bool DetectUserLocale(std::string& language, std::string& country) {
  if (ReadLocaleText(LOCALE_SISO639LANGNAME, language) && ReadLocaleText(LOCALE_SISO3166CTRYNAME, country)) {
    return true;
  }
  language.clear();
  country.clear();
  return false;
}

}  // namespace vigilor::localization
