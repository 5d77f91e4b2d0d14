// SPDX-License-Identifier: MIT
// Starting the game process: the parts that need no system calls. The
// creation itself is in game_process_win.h.
// Pure functions; reentrant, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vigilor::module {

// Catalogue key and English default of the creation failure (reported as
// LS_InternalFailure, 502); {0} is the detail.
inline constexpr char kCreateProcessErrorKey[] = "launcher_error.error_create_process";
inline constexpr char kCreateProcessErrorDefault[] = "Failed to create the game process: {0}";

// The game's command line (UTF-8): the path between double quotes, then for
// each argument one space and the argument as it is. Arguments are neither
// quoted nor escaped, so an argument holding a space reaches the game as two.
std::string BuildGameCommandLine(const std::string& path, const std::vector<std::string>& arguments);

// The failure detail when the system has no text for the error:
// "CreateProcess failed with <code in decimal>."
std::string CreateProcessFallbackDetail(std::uint32_t errorCode);

}  // namespace vigilor::module
