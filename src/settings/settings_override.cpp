// SPDX-License-Identifier: MIT
#include "settings/settings_override.h"

#include <algorithm>
#include <string_view>

namespace vigilor::settings {
namespace {

std::string WithoutQuotes(std::string text) {
  std::erase(text, '"');
  std::erase(text, '\'');
  return text;
}

// The value of an accepted override argument, or false.
bool OverrideValue(const std::string& argument, std::string& value) {
  const std::string_view prefix = kSettingsOverridePrefix;
  if (argument.size() < prefix.size() || argument.find(prefix) == std::string::npos) return false;
  const std::string copy = WithoutQuotes(argument);
  const size_t at = copy.find(prefix);
  if (at == std::string::npos) return false;
  if (at != 0 && !(at == 1 && copy[0] == '-')) return false;
  value = copy.substr(at + prefix.size());
  return true;
}

}  // namespace

std::string ExtractSettingsOverride(std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    std::string value;
    if (!OverrideValue(argument, value)) continue;
    const std::string accepted = argument;  // erase invalidates the reference
    std::erase(arguments, accepted);
    return value;
  }
  return kDefaultSettingsFile;
}

}  // namespace vigilor::settings
