// SPDX-License-Identifier: MIT
#include "settings/settings_lint.h"

#include "localization/localization_catalogue.h"
#include "settings/settings_errors.h"
#include "settings/settings_lint_checks.h"

namespace vigilor::settings {
namespace {

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

std::string IgnoredReading(const std::string& reading, const char* kind) {
  return " [the scanner read " + reading + ", which a " + kind + " ignores]";
}

// The value the bootstrapper takes for one key: its table's entry, else the
// member's default. A reading in the other table is shown too, since that is
// where a misread value usually went.
LintValue DescribeSettingsValue(const SettingsKeyInfo& info, const FlatJsonReader& reader) {
  const ScannerReading reading = ReadingOf(reader, info.name);
  const LauncherSettings defaults;
  std::string shown;
  if (info.text) {
    shown = reading.text ? QuoteForDisplay(*reading.text) : QuoteForDisplay(defaults.*(info.text)) + " (default)";
    if (reading.flag) shown += IgnoredReading(std::string("the switch ") + TrueFalse(*reading.flag), "text");
  } else {
    shown = reading.flag ? TrueFalse(*reading.flag) : TrueFalse(defaults.*(info.flag)) + std::string(" (default)");
    if (reading.text) shown += IgnoredReading("the text " + QuoteForDisplay(*reading.text), "switch");
  }
  return {std::string(info.name), std::move(shown)};
}

std::vector<LintValue> ListOtherKeys(const FlatJsonReader& reader) {
  std::vector<LintValue> others;
  for (const auto& [key, text] : reader.Strings()) {
    if (!FindSettingsKey(key)) others.push_back({key, QuoteForDisplay(text)});
  }
  for (const auto& [key, flag] : reader.Bools()) {
    if (!FindSettingsKey(key)) others.push_back({key, std::string("the switch ") + TrueFalse(flag)});
  }
  return others;
}

void AppendValueLines(std::string& out, const std::vector<LintValue>& values) {
  constexpr std::size_t kKeyColumn = 28;
  for (const LintValue& value : values) {
    const std::string key = PrintableText(value.key);
    out += "  " + key;
    out += key.size() < kKeyColumn ? std::string(kKeyColumn - key.size(), ' ') : std::string(" ");
    out += value.shown + "\n";
  }
}

LintReport StartReport(const std::string& settingsPath) {
  LintReport report;
  report.settingsPath = settingsPath;
  return report;
}

void Describe(LintReport& report) {
  const localization::LocalizationCatalogue english;  // no file: every lookup gives the English text
  report.message = DescribeSettingsError(report.settings, report.settingsPath, english);
}

}  // namespace

LintReport LintSettingsText(std::string_view text, const std::string& settingsPath) {
  FlatJsonReader reader;
  // Scan refuses only an empty text, which is the empty file the bootstrapper
  // cannot read.
  if (!reader.Scan(text)) return LintUnreadableFile(settingsPath);
  LintReport report = StartReport(settingsPath);
  ReadSettingsFields(report.settings, reader);
  Describe(report);
  for (const SettingsKeyInfo& info : SettingsKeys()) report.values.push_back(DescribeSettingsValue(info, reader));
  report.otherKeys = ListOtherKeys(reader);
  report.warnings = FindLintWarnings(text, reader);
  return report;
}

LintReport LintUnreadableFile(const std::string& settingsPath) {
  LintReport report = StartReport(settingsPath);
  report.settings.loadStatus = Unreadable;
  Describe(report);
  return report;
}

std::string FormatLintReport(const LintReport& report, std::string_view shownPath) {
  std::string out = "settings-lint: " + std::string(shownPath) + "\n";
  if (!report.values.empty()) {
    out += "\nValues as the bootstrapper reads them (it uses them only when the status is 0):\n";
    AppendValueLines(out, report.values);
  }
  if (!report.otherKeys.empty()) {
    out += "Other keys read (ignored by the bootstrapper):\n";
    AppendValueLines(out, report.otherKeys);
  }
  const SettingsStatus status = report.settings.loadStatus;
  out += "\nStatus: " + std::to_string(status) + " " + SettingsStatusName(status) + "\n";
  out += "Message: " + (report.message.empty() ? std::string("(none)") : report.message) + "\n";
  if (!report.warnings.empty()) {
    out += "\nWarnings:\n";
    for (const LintWarning& warning : report.warnings) {
      out += "  line " + std::to_string(warning.line) + ": " + warning.text + "\n";
    }
  }
  const std::size_t count = report.warnings.size();
  out += "\n" + std::to_string(count) + (count == 1 ? " warning. " : " warnings. ");
  out += LintExitCode(report) != 0 ? "The bootstrapper rejects this file.\n" : "The bootstrapper accepts this file.\n";
  return out;
}

int LintExitCode(const LintReport& report) { return report.settings.loadStatus < 0 ? 1 : 0; }

const char* SettingsStatusName(SettingsStatus status) {
  switch (status) {
    case Ok: return "Ok";
    case NotLoaded: return "NotLoaded";
    case Unreadable: return "Unreadable";
    case MissingRequiredField: return "MissingRequiredField";
    case InvalidIdentifier: return "InvalidIdentifier";
  }
  return "Unknown";
}

}  // namespace vigilor::settings
