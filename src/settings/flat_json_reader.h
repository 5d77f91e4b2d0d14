// SPDX-License-Identifier: MIT
// The scanner behind Settings.json. It is not a JSON parser: it collects pairs
// of a quoted key, a colon and a quoted value into two flat tables, without
// nesting, numbers or escapes. Studios' settings files depend on its exact
// quirks (an unquoted value takes the next quoted string; a comma or colon
// inside a value ends the pair early), so they are kept on purpose.
//
// Any input is safe: binary bytes, NUL bytes and files of any size scan in
// O(n log n) time and never read outside the text.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace vigilor {

class FlatJsonReader {
 public:
  // Byte-wise ordered; lookups accept string views.
  using BoolMap = std::map<std::string, bool, std::less<>>;
  using StringMap = std::map<std::string, std::string, std::less<>>;

  // Reads the whole file and scans it. Fails with "Json parser provided with an
  // empty path!" or "Could not read the .json file!" (missing, unreadable or
  // empty file); error is cleared first. Windows builds only (the file access
  // lives in flat_json_reader_win.cpp).
  //
  // A reader is not synchronized: one thread at a time.
  bool LoadFile(const std::wstring& path, std::string& error);

  // Adds the pairs found in text. An empty text returns false; every other
  // text returns true, malformed input only yields fewer or odd pairs. Within
  // each table the first occurrence of a key wins, also across several calls.
  bool Scan(std::string_view text);

  // True and the value when present; the out parameter is untouched otherwise.
  bool GetString(std::string_view key, std::string& value) const;
  bool GetBool(std::string_view key, bool& value) const;

  const StringMap& Strings() const { return strings_; }
  const BoolMap& Bools() const { return bools_; }

  // The scanning primitive: the bytes between the first double quote at or
  // after start and the next double quote. A backslash does not protect a
  // quote. False (out untouched) when there is no such pair.
  static bool ExtractQuoted(std::string_view text, std::size_t start, std::string& out);

 private:
  void Store(std::string_view key, std::string_view value);

  BoolMap bools_;
  StringMap strings_;
};

// Escapes text for a JSON string literal: \b \t \n \f \r \" \\, other bytes
// below 0x20 as \u00XX (upper-case hex); everything else, 0x7F and UTF-8
// sequences included, is copied as is. The slash is not escaped.
std::string EscapeJsonString(std::string_view text);

// Every run of two or more backslashes becomes one backslash; a single
// backslash and all other bytes stay. Applied to string values by Scan.
std::string CollapseBackslashRuns(std::string_view value);

}  // namespace vigilor
