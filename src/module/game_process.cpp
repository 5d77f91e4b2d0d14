// SPDX-License-Identifier: MIT
#include "module/game_process.h"

#include "foundation/text.h"

namespace vigilor::module {

std::string BuildGameCommandLine(const std::string& path, const std::vector<std::string>& arguments) {
  std::string line = "\"" + path + "\"";
  for (const std::string& argument : arguments) {
    line += ' ';
    line += argument;
  }
  return line;
}

std::string CreateProcessFallbackDetail(std::uint32_t errorCode) {
  std::string detail = "CreateProcess failed with {0}.";
  FormatPlaceholders(detail, {std::to_string(errorCode)});
  return detail;
}

}  // namespace vigilor::module
