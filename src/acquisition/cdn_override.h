// SPDX-License-Identifier: MIT
// The local CDN override: a text file named after the game executable with
// ".vgl" appended, whose first "cdn=" line (any ASCII case) names the URL to
// download an undeployed module from.
#pragma once

#include <string>
#include <string_view>

namespace vigilor::acquisition {

// The override URL in the file's text, or empty. Lines end at "\n"; a "\r"
// before it belongs to the line. A line must be longer than "cdn=" itself.
std::string ParseCdnOverride(std::string_view fileText);

// The id after the first "/builds/" up to the next "/", or "N/A".
std::string BuildIdFromOverride(std::string_view url);

}  // namespace vigilor::acquisition
