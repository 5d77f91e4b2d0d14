// SPDX-License-Identifier: MIT
// settings-lint: checks a game's Settings.json the way the bootstrapper reads
// it. The values, the status and the message come from the bootstrapper's own
// code (FlatJsonReader::Scan, ReadSettingsFields, DescribeSettingsError with
// the English texts); the warnings come from comparing that reading with the
// pairs as the file's author wrote them (settings_lint_pairs.h), line by line.
//
// Pure functions over text, any thread. The file itself is read by the tool.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/launcher_settings.h"

namespace vigilor::settings {

enum class LintWarningKind {
  UnquotedValue,         // true, 1, null, a number, an object or an array
  UnknownKey,            // not one of the settings keys
  InvalidIdentifier,     // productid, sandboxid or deploymentid breaks the rule
  MissingRequiredKey,    // the scanner finds no text for a required key
  EnvironmentLookalike,  // "GameDev", " gamedev", ...: selects production
  SeparatorInValue,      // ',' or ':' inside a quoted value
  BackslashBeforeQuote,  // "...\": the backslash does not protect the quote
  WrongValueKind,        // "hide_gui": "yes" (a text) or "title": "1" (a switch)
  DuplicateKey,          // the scanner keeps the first occurrence
  ReadDifferently,       // an earlier pair threw the scan out of step
};

struct LintWarning {
  LintWarningKind kind;
  int line;  // in the file, from 1
  std::string key;
  std::string text;  // one sentence for the studio, without the line number
};

// One settings key and the value the bootstrapper reads for it.
struct LintValue {
  std::string key;
  std::string shown;  // "\"Game.exe\"", "true", "false (default)", ...
};

struct LintReport {
  std::string settingsPath;           // the name used in the message, as the bootstrapper shows it
  LauncherSettings settings;          // as ReadSettingsFields leaves it; loadStatus is the verdict
  std::string message;                // DescribeSettingsError in English; empty when accepted
  std::vector<LintValue> values;      // the settings keys, in the order of LauncherSettings
  std::vector<LintValue> otherKeys;   // every other key the scanner read
  std::vector<LintWarning> warnings;  // sorted by line
};

// Lints the bytes of a settings file. settingsPath is the file name the
// bootstrapper puts in its messages ("Settings.json" unless overridden). An
// empty text is rejected as Unreadable, as the bootstrapper rejects an empty
// file.
LintReport LintSettingsText(std::string_view text, const std::string& settingsPath);

// The report for a file that could not be opened or read (status Unreadable).
LintReport LintUnreadableFile(const std::string& settingsPath);

// The printed report: values, other keys, status and message, warnings with
// their line numbers. shownPath is the path the user gave.
std::string FormatLintReport(const LintReport& report, std::string_view shownPath);

// 1 when the bootstrapper rejects the file (negative status), else 0;
// warnings alone never fail.
int LintExitCode(const LintReport& report);

// "Ok", "NotLoaded", "Unreadable", "MissingRequiredField",
// "InvalidIdentifier", or "Unknown".
const char* SettingsStatusName(SettingsStatus status);

}  // namespace vigilor::settings
