// SPDX-License-Identifier: MIT
// The checks behind settings-lint's warnings, and the table of settings keys
// they share with the report. Internal to settings_lint.cpp and its tests.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/flat_json_reader.h"
#include "settings/launcher_settings.h"
#include "settings/settings_lint.h"

namespace vigilor::settings {

// One key of the file and the LauncherSettings member it fills: a text
// (GetString) or a switch (GetBool).
struct SettingsKeyInfo {
  std::string_view name;
  std::string LauncherSettings::*text = nullptr;
  bool LauncherSettings::*flag = nullptr;
};

// Every settings key, in the order of the LauncherSettings members.
std::span<const SettingsKeyInfo> SettingsKeys();

// nullptr when name is not a settings key (the comparison is case-sensitive,
// as the bootstrapper's lookups are).
const SettingsKeyInfo* FindSettingsKey(std::string_view name);

// What the scanner holds for one key: a text, a switch, both or neither.
struct ScannerReading {
  std::optional<std::string> text;
  std::optional<bool> flag;
  bool operator==(const ScannerReading&) const = default;
};
ScannerReading ReadingOf(const FlatJsonReader& reader, std::string_view key);

// value with control bytes shown as \xNN, so a file cannot drive the
// terminal; QuoteForDisplay also puts it in double quotes.
std::string PrintableText(std::string_view value);
std::string QuoteForDisplay(std::string_view value);

// The warnings for text, which reader has scanned; sorted by line.
std::vector<LintWarning> FindLintWarnings(std::string_view text, const FlatJsonReader& reader);

}  // namespace vigilor::settings
