// SPDX-License-Identifier: MIT
// Initialize's steps that find the player's language and read the game's
// settings: locale, localization catalogue, settings override, settings file
// and the run's log file.
#include "foundation/logger.h"
#include "foundation/unicode.h"
#include "launcher/anticheat_launcher.h"
#include "localization/user_locale.h"
#include "settings/settings_errors.h"
#include "settings/settings_override.h"
#include "telemetry/analytics_identity.h"

namespace vigilor::launcher {

void AntiCheatLauncher::DetectLocale() {
  if (!localization::DetectUserLocale(language_, country_)) {
    country_ = "us";
    language_ = "en";
    Log(LogLevel::Warning, "Failed to detect the user's locale, defaulting to: '%s_%s'.", language_.c_str(),
        country_.c_str());
  }
  LoadLocalization("", "");
}

void AntiCheatLauncher::LoadLocalization(const std::string& language, const std::string& country) {
  const std::string folder = exeDirectory_ + localization::kLocalizationFolder;
  std::wstring error;
  if (catalogue_.LoadCatalogue(Utf8ToWide(folder), language.empty() ? language_ : language,
                               country.empty() ? country_ : country, loadedLocale_, error)) {
    Log(LogLevel::Info, "Localization file loaded, using '%s'.", loadedLocale_.c_str());
  } else {
    // As UTF-8: "%ls" goes through the C locale and drops lines with non-ASCII paths.
    Log(LogLevel::Info, "Failed to load localization file: '%s'.", WideToUtf8(error).c_str());
  }
}

void AntiCheatLauncher::ExtractSettingsOverride() { settingsPath_ = settings::ExtractSettingsOverride(arguments_); }

bool AntiCheatLauncher::LoadSettings(std::string& errorText) {
  const std::string path = exeDirectory_ + "Vigilor\\" + settingsPath_;
  if (!settings::ReadSettingsFile(settings, path)) {
    errorText = settings::DescribeSettingsLoadFailure(settings.loadStatus);
    return false;
  }
  settings::OpenLogFile(logFile_, settings, verbosity_);
  // The first line of the run that reaches the file.
  Log(LogLevel::Info, "Loaded the following settings .json file: '%s'", path.c_str());
  telemetry::AnalyticsORX::SetIdentifiers(settings.productid, settings.sandboxid, settings.deploymentid);
  settings::LogProvidedSettings(settings);
  return true;
}

}  // namespace vigilor::launcher
