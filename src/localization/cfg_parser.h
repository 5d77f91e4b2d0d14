// SPDX-License-Identifier: MIT
// Reader of the .cfg localization files: named sections, each a brace block
// of "key = text;" expressions, one per LF-terminated line.
//
//   launcher:
//   {
//       loading = "LOADING";
//   }
//
// Strict about structure (the first bad line stops the parse), loose about
// values: quotes and semicolons only separate words. Bytes are stored as they
// are in the file; keys and section names compare byte for byte. Any input is
// safe, NUL bytes, binary garbage and very large files included.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace vigilor {

using CatalogueEntries = std::map<std::string, std::string, std::less<>>;
using CatalogueSections = std::map<std::string, CatalogueEntries, std::less<>>;

// What a catalogue keeps from the files it read. Sections only grow: a later
// file or section adds to them, and a key given again takes the later value.
// Not synchronized; the owning catalogue guards it with its lock.
struct CatalogueData {
  std::string content;              // bytes of the last file read
  std::string currentSection;       // the parser's open section, empty outside
  std::int64_t bracePosition = -1;  // offset of the section's "{" line, -1 before it
  CatalogueSections sections;
};

// Reads the whole file at path and parses it into data while holding lock, so
// a reader that takes the same lock sees either none or all of this file.
// A missing or unreadable file fails with "File not found '<path>'" and
// leaves data unchanged; an existing empty file reaches the parser and fails
// with "Config file data empty". Otherwise the result of ParseCatalogue.
// Any thread. Windows builds only (cfg_parser_win.cpp).
bool LoadCatalogueFile(const std::wstring& path, CatalogueData& data, std::mutex& lock,
                       std::wstring& error);

// Parses data.content line by line; text after the last LF is not read.
// Resets the parser state first and clears error. An empty content fails with
// "Config file data empty"; the first bad line stops the parse with "Config
// parsing error", keeping what the earlier lines added.
bool ParseCatalogue(CatalogueData& data, std::wstring& error);

// Parses one line (without its LF) that starts at byte offset in the file.
// On a bad line, error holds "Expected '{' at position N", "Expected an
// expression at position N" or "Expected '=' at position N", N being the
// offset of the line's first non-blank byte.
bool ParseCatalogueLine(CatalogueData& data, std::string_view line, std::int64_t offset,
                        std::wstring& error);

}  // namespace vigilor
