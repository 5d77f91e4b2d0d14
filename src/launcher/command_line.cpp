// SPDX-License-Identifier: MIT
#include "launcher/command_line.h"

namespace vigilor::launcher {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipProgramName(const std::string& line) {
  if (line.empty()) return 0;
  if (line[0] == '"') {
    const size_t close = line.find('"', 1);
    return close == std::string::npos ? line.size() : close + 1;
  }
  size_t i = 0;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  size_t i = SkipProgramName(commandLine);
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;

  std::string current;
  bool inQuotes = false;
  unsigned backslashes = 0;
  for (; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (!inQuotes && IsBlank(c)) {
      if (!current.empty()) arguments.push_back(std::move(current));
      current.clear();
      backslashes = 0;
      continue;
    }
    current.push_back(c);
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"' && backslashes % 2 == 0) inQuotes = !inQuotes;
    backslashes = 0;
  }
  if (!current.empty()) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace vigilor::launcher
