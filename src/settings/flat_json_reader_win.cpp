// SPDX-License-Identifier: MIT
#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/files.h"
#include "settings/flat_json_reader.h"

namespace vigilor {

bool FlatJsonReader::LoadFile(const std::wstring& path, std::string& error) {
  error.clear();
  if (path.empty()) {
    error = "Json parser provided with an empty path!";
    return false;
  }
  // ReadWholeFile also fails on an empty file, which has nothing to scan.
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) {
    error = "Could not read the .json file!";
    return false;
  }
  Scan(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return true;
}

}  // namespace vigilor
