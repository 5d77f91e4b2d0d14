// SPDX-License-Identifier: MIT
#include "settings/launcher_settings.h"

#include <iterator>
#include <utility>

#include "foundation/logger.h"

namespace vigilor::settings {
namespace {

bool IsIdentifierByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

const char* OrNotAvailable(const std::string& value) { return value.empty() ? "N/A" : value.c_str(); }

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

}  // namespace

bool IsValidIdentifier(std::string_view text) {
  // The identifiers end up in folder names and URLs; a NUL inside would cut
  // them short there, so it fails here instead of ending the text.
  if (text.size() < 2 || text.size() > 64) return false;
  for (const char c : text) {
    if (!IsIdentifierByte(c)) return false;
  }
  return true;
}

bool ValidateIdentifiers(LauncherSettings& settings) {
  const std::pair<const char*, const std::string*> identifiers[] = {
      {"productid", &settings.productid},
      {"sandboxid", &settings.sandboxid},
      {"deploymentid", &settings.deploymentid},
  };
  for (const auto& [name, value] : identifiers) {
    if (!IsValidIdentifier(*value)) {
      settings.invalidField = name;
      return false;
    }
  }
  return true;
}

bool ReadSettingsFields(LauncherSettings& settings, const FlatJsonReader& reader) {
  std::string* required[] = {&settings.productid, &settings.sandboxid, &settings.deploymentid,
                             &settings.executable};
  for (size_t i = 0; i < std::size(kRequiredKeys); ++i) {
    if (!reader.GetString(kRequiredKeys[i], *required[i])) {
      settings.invalidField = kRequiredKeys[i];
      settings.loadStatus = MissingRequiredField;
      return false;
    }
  }
  if (!ValidateIdentifiers(settings)) {
    settings.loadStatus = InvalidIdentifier;
    return false;
  }
  reader.GetString("requested_splash", settings.requested_splash);
  reader.GetBool("wait_for_game_process_exit", settings.wait_for_game_process_exit);
  reader.GetString("title", settings.title);
  reader.GetString("environment", settings.environment);
  reader.GetBool("hide_gui", settings.hide_gui);
  reader.GetBool("hide_bootstrapper", settings.hide_bootstrapper);
  reader.GetBool("allow_null_client", settings.allow_null_client);
  reader.GetBool("hide_logo_animation", settings.hide_logo_animation);
  settings.loadStatus = Ok;
  return true;
}

void LogProvidedSettings(const LauncherSettings& settings) {
  Log(LogLevel::Info, "Provided settings:");
  Log(LogLevel::Info, " - ProcessTitle: %s.", OrNotAvailable(settings.title));
  Log(LogLevel::Info, " - ExecutablePath: %s.", OrNotAvailable(settings.executable));
  Log(LogLevel::Info, " - ProductId: %s.", OrNotAvailable(settings.productid));
  Log(LogLevel::Info, " - SandboxId: %s.", OrNotAvailable(settings.sandboxid));
  Log(LogLevel::Info, " - DeploymentId: %s.", OrNotAvailable(settings.deploymentid));
  Log(LogLevel::Info, " - RequestedSplashScreen: %s.", OrNotAvailable(settings.requested_splash));
  Log(LogLevel::Info, " - WaitForGameProcessExit: %s.", TrueFalse(settings.wait_for_game_process_exit));
  Log(LogLevel::Info, " - HideGUI: %s.", TrueFalse(settings.hide_gui));
  Log(LogLevel::Info, " - HideBootstrapper: %s.", TrueFalse(settings.hide_bootstrapper));
}

}  // namespace vigilor::settings
