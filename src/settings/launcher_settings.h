// SPDX-License-Identifier: MIT
// The game's settings file ("Vigilor\Settings.json" beside the executable):
// its values, defaults, required keys and the identifier rule.
//
// The launcher owns one LauncherSettings, reads it once during Initialize on
// the main thread and hands it by reference to the game launcher. Nothing is
// written back to the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/flat_json_reader.h"

namespace vigilor::settings {

enum SettingsStatus : std::int32_t {
  Ok = 0,                     // read and validated
  NotLoaded = -1,             // no read has completed yet
  Unreadable = -2,            // missing, unreadable or empty file, or an empty path
  MissingRequiredField = -4,  // one of the four required keys is missing
  InvalidIdentifier = -5,     // an identifier breaks IsValidIdentifier
};

struct LauncherSettings {
  SettingsStatus loadStatus = NotLoaded;
  // The key that made the file fail: the invalid identifier (-5) or the first
  // missing required key (-4).
  std::string invalidField;
  std::string title;
  std::string executable;
  std::string productid;
  std::string sandboxid;
  std::string deploymentid;
  std::string requested_splash;
  std::string environment;
  bool wait_for_game_process_exit = false;
  bool hide_gui = false;
  bool hide_bootstrapper = false;
  bool allow_null_client = true;
  bool hide_logo_animation = false;
};

// The required keys, in the order they are read.
inline constexpr std::string_view kRequiredKeys[] = {"productid", "sandboxid", "deploymentid", "executable"};

// 2 to 64 bytes, each an ASCII letter, digit or '-'. Any other byte, a NUL
// included, makes the text invalid.
bool IsValidIdentifier(std::string_view text);

// Checks productid, sandboxid and deploymentid in that order; the first that
// fails is named in invalidField.
bool ValidateIdentifiers(LauncherSettings& settings);

// Fills settings from a scanned file, which it expects reset to defaults:
// the required keys (the first missing one ends the read with
// MissingRequiredField), the identifier check (InvalidIdentifier), then the
// optional keys. Sets loadStatus; true when it is Ok.
bool ReadSettingsFields(LauncherSettings& settings, const FlatJsonReader& reader);

// Resets settings to defaults, then reads the file at path (UTF-8) with
// ReadSettingsFields. A file that cannot be read gives Unreadable. Windows
// builds only (settings_file_win.cpp).
bool ReadSettingsFile(LauncherSettings& settings, const std::string& path);

// Logs the "Provided settings:" block at Info.
void LogProvidedSettings(const LauncherSettings& settings);

}  // namespace vigilor::settings
