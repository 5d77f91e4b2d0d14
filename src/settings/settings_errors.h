// SPDX-License-Identifier: MIT
// Texts that report a rejected settings file: the localized message the
// window shows, and the line the launcher logs.
#pragma once

#include <string>

#include "localization/localization_catalogue.h"
#include "settings/launcher_settings.h"

namespace vigilor::settings {

// The localized message for settings.loadStatus, with settingsPath (the file
// name as given on the command line or "Settings.json") and the failing field
// filled in; empty for any status that is not an error worth reporting
// (Ok, NotLoaded). Any thread that may use the catalogue.
std::string DescribeSettingsError(const LauncherSettings& settings, const std::string& settingsPath,
                                  const localization::LocalizationCatalogue& catalogue);

// "Failed to parse the settings file with: 0x<status as unsigned hex>."
std::string DescribeSettingsLoadFailure(SettingsStatus status);

}  // namespace vigilor::settings
