// SPDX-License-Identifier: MIT
#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/files.h"
#include "foundation/unicode.h"
#include "localization/cfg_parser.h"

namespace vigilor {

bool LoadCatalogueFile(const std::wstring& path, CatalogueData& data, std::mutex& lock,
                       std::wstring& error) {
  std::vector<std::uint8_t> bytes;
  // ReadWholeFile fails on an empty file too; an existing empty file goes on
  // to the parser so that it is reported as empty, not as missing.
  if (!ReadWholeFile(path, bytes) && QueryFileSize(WideToUtf8(path)) != 0) {
    error = L"File not found '" + path + L"'";
    return false;
  }
  std::lock_guard<std::mutex> guard(lock);
  data.content.assign(bytes.begin(), bytes.end());
  return ParseCatalogue(data, error);
}

}  // namespace vigilor
