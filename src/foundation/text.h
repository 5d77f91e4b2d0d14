// SPDX-License-Identifier: MIT
// Text helpers shared by every subsystem: the "{0}" placeholder formatter of
// player-visible messages, first-occurrence replacement and splitting.
// Pure functions on UTF-8 bytes; reentrant, any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vigilor {

// Replaces, for i = 0 .. arguments.size() - 1 in order, the first occurrence of
// "{i}" in the current text by arguments[i]. No escapes; percent signs and
// braces that form no token stay as they are. Later occurrences of a token stay,
// a token with no argument stays, an argument with no token is ignored. Because
// every search runs over the current text, "{1}" brought in by argument 0 is
// replaced by argument 1.
void FormatPlaceholders(std::string& text, const std::vector<std::string>& arguments);

// Replaces the first occurrence of token by replacement. False (text unchanged)
// when token does not occur; an empty token never occurs.
bool ReplaceFirst(std::string& text, std::string_view token, std::string_view replacement);

// The maximal runs of characters not in delimiters, in order. Leading, trailing
// and repeated delimiters give no empty pieces; an empty text or one made only
// of delimiters gives an empty list.
std::vector<std::string> SplitString(std::string_view text, std::string_view delimiters);

}  // namespace vigilor
