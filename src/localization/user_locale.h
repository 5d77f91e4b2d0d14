// SPDX-License-Identifier: MIT
// The user's language and country as the system reports them.
#pragma once

#include <string>

namespace vigilor::localization {

// ISO 639 language ("de") and ISO 3166 country ("DE", upper case) of the
// user's default locale, in UTF-8. False, with both cleared, unless both can
// be read. Any thread. Windows builds only (user_locale_win.cpp).
bool DetectUserLocale(std::string& language, std::string& country);

}  // namespace vigilor::localization
