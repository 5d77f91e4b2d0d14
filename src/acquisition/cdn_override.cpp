// SPDX-License-Identifier: MIT
#include "acquisition/cdn_override.h"

namespace vigilor::acquisition {
namespace {

bool StartsWithCdnKey(std::string_view line) {
  static constexpr std::string_view kKey = "cdn=";
  if (line.size() <= kKey.size()) return false;
  for (size_t i = 0; i < kKey.size(); ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kKey[i]) return false;
  }
  return true;
}

}  // namespace

std::string ParseCdnOverride(std::string_view fileText) {
  size_t start = 0;
  while (start < fileText.size()) {
    size_t end = fileText.find('\n', start);
    if (end == std::string_view::npos) end = fileText.size();
    const std::string_view line = fileText.substr(start, end - start);
    if (StartsWithCdnKey(line)) return std::string(line.substr(4));
    start = end + 1;
  }
  return {};
}

std::string BuildIdFromOverride(std::string_view url) {
  static constexpr std::string_view kMarker = "/builds/";
  const size_t marker = url.find(kMarker);
  if (marker == std::string_view::npos) return "N/A";
  const size_t idStart = marker + kMarker.size();
  const size_t idEnd = url.find('/', idStart);
  if (idStart >= url.size() || idEnd == std::string_view::npos) return "N/A";
  return std::string(url.substr(idStart, idEnd - idStart));
}

}  // namespace vigilor::acquisition
