// SPDX-License-Identifier: MIT
#include "settings/settings_lint_checks.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "settings/settings_lint_pairs.h"

namespace vigilor::settings {
namespace {

constexpr SettingsKeyInfo kSettingsKeys[] = {
    {"title", &LauncherSettings::title},
    {"executable", &LauncherSettings::executable},
    {"productid", &LauncherSettings::productid},
    {"sandboxid", &LauncherSettings::sandboxid},
    {"deploymentid", &LauncherSettings::deploymentid},
    {"requested_splash", &LauncherSettings::requested_splash},
    {"environment", &LauncherSettings::environment},
    {"wait_for_game_process_exit", nullptr, &LauncherSettings::wait_for_game_process_exit},
    {"hide_gui", nullptr, &LauncherSettings::hide_gui},
    {"hide_bootstrapper", nullptr, &LauncherSettings::hide_bootstrapper},
    {"allow_null_client", nullptr, &LauncherSettings::allow_null_client},
    {"hide_logo_animation", nullptr, &LauncherSettings::hide_logo_animation},
};

constexpr std::string_view kIdentifierKeys[] = {"productid", "sandboxid", "deploymentid"};

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

// How the scanner files this quoted value when the scan is in step: the real
// scanner run over the value alone. The value holds no double quote (the
// written pairs end a string at the first one, as the scanner does).
ScannerReading ReadAlone(std::string_view value) {
  FlatJsonReader alone;
  alone.Scan("\"v\":\"" + std::string(value) + "\"");
  return ReadingOf(alone, "v");
}

std::string DescribeReading(const ScannerReading& reading) {
  if (reading.text && reading.flag) {
    return QuoteForDisplay(*reading.text) + " and the switch " + TrueFalse(*reading.flag);
  }
  if (reading.text) return QuoteForDisplay(*reading.text);
  if (reading.flag) return std::string("the switch ") + TrueFalse(*reading.flag);
  return "nothing";
}

// Objects can span lines: show their start only.
std::string ShortenForDisplay(std::string_view value) {
  constexpr std::size_t kMax = 40;
  const std::size_t cut = std::min(value.find('\n'), kMax);
  return cut < value.size() ? PrintableText(value.substr(0, cut)) + "..." : PrintableText(value);
}

std::string LowerAlphanumerics(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out.push_back(c);
    if (c >= 'A' && c <= 'Z') out.push_back(static_cast<char>(c - 'A' + 'a'));
  }
  return out;
}

std::string IdentifierFault(std::string_view value) {
  if (value.size() < 2 || value.size() > 64) return "it is " + std::to_string(value.size()) + " characters long";
  // Each byte doubled is a text of legal length, so the bootstrapper's own
  // rule judges the byte.
  for (const char c : value) {
    if (!IsValidIdentifier(std::string(2, c))) return "it contains " + QuoteForDisplay(std::string_view(&c, 1));
  }
  return "it breaks the rule";
}

class WarningList {
 public:
  WarningList(const FlatJsonReader& reader, const WrittenSettings& written) : reader_(reader), written_(written) {}

  void CheckPairs() {
    std::map<std::string, int> firstLines;
    for (const WrittenPair& pair : written_.pairs) {
      const auto [first, isFirst] = firstLines.emplace(pair.key, pair.keyLine);
      if (!isFirst) {
        Add(LintWarningKind::DuplicateKey, pair.keyLine, pair.key,
            QuoteForDisplay(pair.key) + " appears again (first on line " + std::to_string(first->second) +
                "); the scanner keeps the first occurrence.");
      }
      CheckKeyName(pair);
      if (pair.form != WrittenValueForm::Quoted) {
        CheckUnquoted(pair, isFirst);
      } else {
        CheckQuotedValue(pair);
        if (isFirst) CheckReading(pair);
      }
    }
  }

  void CheckRequiredKeys() {
    for (const std::string_view key : kRequiredKeys) {
      std::string value;
      if (reader_.GetString(key, value)) continue;
      const WrittenPair* pair = FirstPair(key);
      Add(LintWarningKind::MissingRequiredKey, pair ? pair->keyLine : written_.endLine, key,
          "required key " + QuoteForDisplay(key) +
              (pair ? " is written but the scanner reads no text for it" : " is missing") +
              "; the bootstrapper rejects the file.");
    }
  }

  void CheckIdentifiers() {
    for (const std::string_view key : kIdentifierKeys) {
      std::string value;
      if (!reader_.GetString(key, value) || IsValidIdentifier(value)) continue;
      Add(LintWarningKind::InvalidIdentifier, LineOf(key), key,
          std::string(key) + " " + QuoteForDisplay(value) +
              " breaks the identifier rule (2 to 64 ASCII letters, digits or '-'): " + IdentifierFault(value) + ".");
    }
  }

  void CheckEnvironment() {
    std::string value;
    if (!reader_.GetString("environment", value) || value == "gamedev") return;
    if (LowerAlphanumerics(value) != "gamedev") return;
    Add(LintWarningKind::EnvironmentLookalike, LineOf("environment"), "environment",
        "environment " + QuoteForDisplay(value) +
            " is not exactly \"gamedev\" (letter case and spaces count), so the bootstrapper selects production.");
  }

  std::vector<LintWarning> Take() {
    std::stable_sort(warnings_.begin(), warnings_.end(),
                     [](const LintWarning& a, const LintWarning& b) { return a.line < b.line; });
    return std::move(warnings_);
  }

 private:
  void Add(LintWarningKind kind, int line, std::string_view key, std::string text) {
    warnings_.push_back({kind, line, std::string(key), std::move(text)});
  }

  const WrittenPair* FirstPair(std::string_view key) const {
    for (const WrittenPair& pair : written_.pairs) {
      if (pair.key == key) return &pair;
    }
    return nullptr;
  }

  int LineOf(std::string_view key) const {
    const WrittenPair* pair = FirstPair(key);
    return pair ? pair->keyLine : written_.endLine;
  }

  void CheckKeyName(const WrittenPair& pair) {
    if (FindSettingsKey(pair.key)) return;
    std::string text = "unknown key " + QuoteForDisplay(pair.key) + ": the bootstrapper ignores it.";
    const std::string folded = LowerAlphanumerics(pair.key);
    for (const SettingsKeyInfo& known : kSettingsKeys) {
      if (LowerAlphanumerics(known.name) == folded) {
        text += " Keys are case-sensitive: did you mean " + QuoteForDisplay(known.name) + "?";
        break;
      }
    }
    Add(LintWarningKind::UnknownKey, pair.keyLine, pair.key, std::move(text));
  }

  void CheckUnquoted(const WrittenPair& pair, bool isFirst) {
    std::string text = QuoteForDisplay(pair.key) + ": ";
    text += pair.form == WrittenValueForm::Nothing
                ? "no value is written"
                : "the value " + ShortenForDisplay(pair.value) + " is not in double quotes";
    text += ", so the scanner takes the next quoted string as its value";
    if (isFirst) {
      const ScannerReading reading = ReadingOf(reader_, pair.key);
      const std::string key = PrintableText(pair.key);
      text += reading == ScannerReading{} ? "; there is none, so " + key + " is not read at all"
                                          : ": " + key + " is read as " + DescribeReading(reading);
    }
    text += ".";
    if (pair.form == WrittenValueForm::Bare && ReadAlone(pair.value).flag) text += " Write \"" + pair.value + "\".";
    Add(LintWarningKind::UnquotedValue, pair.valueLine, pair.key, std::move(text));
  }

  void CheckQuotedValue(const WrittenPair& pair) {
    const std::string shown = QuoteForDisplay(pair.key) + ": the value " + QuoteForDisplay(pair.value);
    if (pair.value.find(',') != std::string::npos) {
      Add(LintWarningKind::SeparatorInValue, pair.valueLine, pair.key,
          shown + " contains ','; the scanner ends the pair there and misreads the pairs after it.");
    }
    if (pair.value.find(':') != std::string::npos) {
      Add(LintWarningKind::SeparatorInValue, pair.valueLine, pair.key,
          shown + " contains ':'; the scanner takes it for a key's colon whenever the scan is out of step.");
    }
    const std::size_t kept = pair.value.find_last_not_of('\\');
    const std::size_t trailing = pair.value.size() - (kept == std::string::npos ? 0 : kept + 1);
    if (trailing % 2 == 1) {
      Add(LintWarningKind::BackslashBeforeQuote, pair.valueLine, pair.key,
          shown + " ends in a backslash, which does not escape the quote after it: the value ends there.");
    }
  }

  // The value as written against the value the scanner read for the key.
  void CheckReading(const WrittenPair& pair) {
    const ScannerReading expected = ReadAlone(pair.value);
    const ScannerReading actual = ReadingOf(reader_, pair.key);
    if (expected != actual) {
      Add(LintWarningKind::ReadDifferently, pair.valueLine, pair.key,
          QuoteForDisplay(pair.key) + ": written as " + QuoteForDisplay(pair.value) + " but read as " +
              DescribeReading(actual) + "; a pair before it is misread or a comma is missing.");
      return;
    }
    const SettingsKeyInfo* info = FindSettingsKey(pair.key);
    if (!info) return;
    if (info->flag && !expected.flag) {
      const bool fallback = LauncherSettings{}.*(info->flag);
      Add(LintWarningKind::WrongValueKind, pair.valueLine, pair.key,
          QuoteForDisplay(pair.key) + ": " + QuoteForDisplay(pair.value) +
              " is not a switch value (\"true\", \"false\" or one digit), so " + PrintableText(pair.key) +
              " keeps its default " + TrueFalse(fallback) + ".");
    } else if (info->text && !expected.text) {
      Add(LintWarningKind::WrongValueKind, pair.valueLine, pair.key,
          QuoteForDisplay(pair.key) + ": " + QuoteForDisplay(pair.value) + " is read as a switch, not a text, so the " +
              "bootstrapper finds no " + PrintableText(pair.key) + ".");
    }
  }

  const FlatJsonReader& reader_;
  const WrittenSettings& written_;
  std::vector<LintWarning> warnings_;
};

}  // namespace

std::span<const SettingsKeyInfo> SettingsKeys() { return kSettingsKeys; }

const SettingsKeyInfo* FindSettingsKey(std::string_view name) {
  for (const SettingsKeyInfo& info : kSettingsKeys) {
    if (info.name == name) return &info;
  }
  return nullptr;
}

ScannerReading ReadingOf(const FlatJsonReader& reader, std::string_view key) {
  ScannerReading reading;
  std::string text;
  bool flag = false;
  if (reader.GetString(key, text)) reading.text = std::move(text);
  if (reader.GetBool(key, flag)) reading.flag = flag;
  return reading;
}

std::string PrintableText(std::string_view value) {
  std::string out;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(byte));
      out += hex;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string QuoteForDisplay(std::string_view value) { return "\"" + PrintableText(value) + "\""; }

std::vector<LintWarning> FindLintWarnings(std::string_view text, const FlatJsonReader& reader) {
  const WrittenSettings written = FindWrittenPairs(text);
  WarningList warnings(reader, written);
  warnings.CheckPairs();
  warnings.CheckRequiredKeys();
  warnings.CheckIdentifiers();
  warnings.CheckEnvironment();
  return warnings.Take();
}

}  // namespace vigilor::settings
