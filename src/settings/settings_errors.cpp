// SPDX-License-Identifier: MIT
#include "settings/settings_errors.h"

#include <cstdint>
#include <cstdio>

namespace vigilor::settings {

std::string DescribeSettingsError(const LauncherSettings& settings, const std::string& settingsPath,
                                  const localization::LocalizationCatalogue& catalogue) {
  namespace texts = localization::texts;
  switch (settings.loadStatus) {
    case InvalidIdentifier:
      return catalogue.Lookup(texts::kInvalidOrxIdentifier, {settingsPath, settings.invalidField});
    case MissingRequiredField:
      // invalidField names the key that was missing; a required key that is
      // present but empty is not the one to blame.
      return catalogue.Lookup(texts::kMissingRequiredField, {settingsPath, settings.invalidField});
    case Unreadable:
      return catalogue.Lookup(texts::kNoSettingsFile, {settingsPath});
    default:
      return {};
  }
}

std::string DescribeSettingsLoadFailure(SettingsStatus status) {
  char text[64];
  std::snprintf(text, sizeof(text), "Failed to parse the settings file with: 0x%X.",
                static_cast<unsigned>(static_cast<std::uint32_t>(status)));
  return text;
}

}  // namespace vigilor::settings
