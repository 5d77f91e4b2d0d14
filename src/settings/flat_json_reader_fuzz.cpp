// SPDX-License-Identifier: MIT
// Scans arbitrary bytes, looks every stored pair up again, and compares the
// tables with a literal transcription of the scan (naive searches, removal
// loop for backslashes) on inputs small enough for its quadratic cost.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "settings/flat_json_reader.h"

namespace {

using vigilor::FlatJsonReader;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string ReferenceCollapse(std::string value) {
  for (std::size_t pair = value.find("\\\\"); pair != std::string::npos; pair = value.find("\\\\")) {
    value.erase(pair, 1);
  }
  return value;
}

struct ReferenceTables {
  std::map<std::string, bool, std::less<>> bools;
  std::map<std::string, std::string, std::less<>> strings;
};

void ReferenceStore(ReferenceTables& tables, const std::string& key, const std::string& value) {
  if (value == "true" || value == "false") {
    tables.bools.emplace(key, value == "true");
  } else if (value.size() == 1 && value[0] >= '0' && value[0] <= '9') {
    tables.bools.emplace(key, value[0] != '0');
  } else {
    tables.strings.emplace(key, ReferenceCollapse(value));
  }
}

ReferenceTables ReferenceScan(std::string_view text) {
  ReferenceTables tables;
  if (text.size() <= 1) return tables;
  std::size_t pos = 0;
  for (;;) {
    std::string key;
    if (!FlatJsonReader::ExtractQuoted(text, pos, key)) break;
    const std::size_t from = pos + key.size() + 1;
    const std::size_t colon = from >= text.size() ? std::string_view::npos : text.find(':', from);
    std::string value;
    if (colon == std::string_view::npos || !FlatJsonReader::ExtractQuoted(text, colon, value)) break;
    ReferenceStore(tables, key, value);
    const std::size_t comma = text.find(',', colon + 1);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
    if (pos >= text.size() - 1) break;
  }
  return tables;
}

void CheckLookups(const FlatJsonReader& reader) {
  for (const auto& [key, value] : reader.Strings()) {
    std::string found;
    Check(reader.GetString(key, found) && found == value);
    Check(key.find('"') == std::string::npos && value.find('"') == std::string::npos);
    Check(value.find("\\\\") == std::string::npos);
  }
  for (const auto& [key, value] : reader.Bools()) {
    bool found = !value;
    Check(reader.GetBool(key, found) && found == value);
  }
  for (const char* key : {"productid", "sandboxid", "deploymentid", "executable", "title", "hide_gui",
                          "allow_null_client", ""}) {
    std::string text = "untouched";
    if (!reader.GetString(key, text)) Check(text == "untouched");
    bool flag = true;
    if (!reader.GetBool(key, flag)) Check(flag);
  }
}

void CheckEscape(std::string_view text) {
  const std::string escaped = vigilor::EscapeJsonString(text);
  Check(escaped.size() >= text.size());
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    Check(static_cast<unsigned char>(escaped[i]) >= 0x20);
    // Every quote in the output is escaped by an odd run of backslashes.
    if (escaped[i] == '"') {
      std::size_t run = 0;
      while (run < i && escaped[i - 1 - run] == '\\') ++run;
      Check(run % 2 == 1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  FlatJsonReader reader;
  Check(reader.Scan(text) == !text.empty());
  CheckLookups(reader);
  if (size <= 4096) {
    const ReferenceTables expected = ReferenceScan(text);
    Check(expected.bools == reader.Bools());
    Check(expected.strings == reader.Strings());
    CheckEscape(text);
  }
  return 0;
}
