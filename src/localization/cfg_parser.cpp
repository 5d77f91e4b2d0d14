// SPDX-License-Identifier: MIT
#include "localization/cfg_parser.h"

#include <string>
#include <utility>
#include <vector>

#include "foundation/text.h"

namespace vigilor {
namespace {

// Blank bytes: a CR before the LF is blank, so CRLF files read like LF files.
constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kLineBreaks = "\r\n";
// Quotes and semicolons are word separators, not string delimiters.
constexpr std::string_view kWordSeparators = " ;\"";

std::wstring Diagnostic(const wchar_t* text, std::int64_t position) {
  return text + std::to_wstring(position);
}

bool IsComment(std::string_view line, std::size_t first) {
  if (line[first] == '#') return true;
  return line[first] == '/' && first + 1 < line.size() && line[first + 1] == '/';
}

// "key = word word ...": the value is the words after "=" joined by one space.
bool ParseExpression(CatalogueData& data, std::string_view expression, std::int64_t position,
                     std::wstring& error) {
  const std::vector<std::string> words = SplitString(expression, kWordSeparators);
  if (words.size() < 3) {
    error = Diagnostic(L"Expected an expression at position ", position);
    return false;
  }
  if (words[1] != "=") {
    error = Diagnostic(L"Expected '=' at position ", position);
    return false;
  }
  std::string value = words[2];
  for (std::size_t i = 3; i < words.size(); ++i) {
    value += ' ';
    value += words[i];
  }
  data.sections[data.currentSection].insert_or_assign(words[0], std::move(value));
  return true;
}

}  // namespace

bool ParseCatalogueLine(CatalogueData& data, std::string_view line, std::int64_t offset,
                        std::wstring& error) {
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return true;
  if (IsComment(line, first)) return true;
  const std::size_t last = line.find_last_not_of(kBlanks);
  const std::int64_t position = offset + static_cast<std::int64_t>(first);

  if (data.currentSection.empty()) {
    // Outside a section only headers count; anything else is ignored.
    if (line[last] == ':') data.currentSection.assign(line.substr(first, last - first));
    return true;
  }
  if (data.bracePosition == -1) {
    data.bracePosition = position;
    if (line[first] == '{') return true;
    error = Diagnostic(L"Expected '{' at position ", position);
    return false;
  }
  if (line[first] == '}') {
    data.currentSection.clear();
    data.bracePosition = -1;
    return true;
  }
  // The last non-blank byte is the terminator (normally ';') and is dropped.
  return ParseExpression(data, line.substr(first, last - first), position, error);
}

bool ParseCatalogue(CatalogueData& data, std::wstring& error) {
  error.clear();
  data.currentSection.clear();
  data.bracePosition = -1;
  if (data.content.empty()) {
    error = L"Config file data empty";
    return false;
  }
  const std::string_view content = data.content;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lineFeed = content.find('\n', start);
    if (lineFeed == std::string_view::npos) return true;  // text after the last LF is not read
    const std::string_view line = content.substr(start, lineFeed - start);
    if (!ParseCatalogueLine(data, line, static_cast<std::int64_t>(start), error)) {
      error = L"Config parsing error";
      return false;
    }
    start = content.find_first_not_of(kLineBreaks, lineFeed + 1);
    if (start == std::string_view::npos) return true;
  }
}

}  // namespace vigilor
