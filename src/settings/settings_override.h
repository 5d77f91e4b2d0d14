// SPDX-License-Identifier: MIT
// The command-line argument that names another settings file:
//   -anticheat_settings=custom.json   (also --anticheat_settings=..., also quoted)
// The name is always taken inside the "Vigilor" folder beside the executable.
#pragma once

#include <string>
#include <vector>

namespace vigilor::settings {

inline constexpr char kSettingsOverridePrefix[] = "-anticheat_settings=";
inline constexpr char kDefaultSettingsFile[] = "Settings.json";

// Returns the settings file name: the value of the first accepted override
// argument, or "Settings.json" when there is none. Quotes (double, then
// single) are removed before the prefix is looked for; the prefix must start
// the argument or follow one more '-'. The accepted argument, and every
// argument spelled exactly like it, is removed from arguments so that it does
// not reach the game. The value is not checked and may be empty.
std::string ExtractSettingsOverride(std::vector<std::string>& arguments);

}  // namespace vigilor::settings
