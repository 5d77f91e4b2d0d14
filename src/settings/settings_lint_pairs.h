// SPDX-License-Identifier: MIT
// The key/value pairs of a settings file as its author wrote them, found by a
// lenient walk over the raw text that keeps line numbers. settings-lint uses
// this view only to point at the lines where the bootstrapper's scanner
// (FlatJsonReader) reads something else; values the bootstrapper uses always
// come from the scanner itself.
//
// Quotes pair up the way the scanner pairs them: the first double quote after
// an opening one closes the string, a backslash does not protect it. Any input
// is safe; malformed text yields fewer pairs. Pure functions, any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vigilor::settings {

enum class WrittenValueForm {
  Quoted,   // "text"
  Bare,     // an unquoted word: true, false, null, 1, 3.5, ...
  Object,   // { ... }
  Array,    // [ ... ]
  Nothing,  // the colon is followed by a comma, a closing brace or the end
};

struct WrittenPair {
  std::string key;
  int keyLine = 0;  // lines count from 1
  WrittenValueForm form = WrittenValueForm::Nothing;
  // Quoted: the bytes between the quotes; Bare: the word; Object and Array:
  // the text from the opening to the matching closing bracket.
  std::string value;
  int valueLine = 0;
};

struct WrittenSettings {
  std::vector<WrittenPair> pairs;  // the top-level pairs, in file order
  // Line of the brace that closes the top-level object, else the last line:
  // where a missing key would have to be added.
  int endLine = 1;
};

// Walks text and returns its top-level pairs (those of the outermost object,
// or of a file written without braces). Pairs nested in object or array
// values are part of that value, not listed.
WrittenSettings FindWrittenPairs(std::string_view text);

}  // namespace vigilor::settings
