// SPDX-License-Identifier: MIT
#include "foundation/text.h"

namespace vigilor {

void FormatPlaceholders(std::string& text, const std::vector<std::string>& arguments) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string token(1, '{');
    token += std::to_string(i);
    token += '}';
    ReplaceFirst(text, token, arguments[i]);
  }
}

bool ReplaceFirst(std::string& text, std::string_view token, std::string_view replacement) {
  // find("") matches at 0, which would insert the replacement at the front.
  if (token.empty()) return false;
  const size_t at = text.find(token);
  if (at == std::string::npos) return false;
  text.replace(at, token.size(), replacement);
  return true;
}

std::vector<std::string> SplitString(std::string_view text, std::string_view delimiters) {
  std::vector<std::string> pieces;
  size_t start = text.find_first_not_of(delimiters);
  while (start != std::string_view::npos) {
    const size_t end = text.find_first_of(delimiters, start);
    pieces.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = text.find_first_not_of(delimiters, end);
  }
  return pieces;
}

}  // namespace vigilor
