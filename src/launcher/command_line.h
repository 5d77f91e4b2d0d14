// SPDX-License-Identifier: MIT
// Splitting of the process command line into the argument list.
#pragma once

#include <string>
#include <vector>

namespace vigilor::launcher {

// Splits the whole UTF-8 command line, program name excluded. Quotes and
// backslashes stay inside the arguments as typed: only an unquoted space or
// tab separates, and a quote preceded by an odd number of backslashes does not
// open or close a quoted section. Empty arguments are never produced.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace vigilor::launcher
