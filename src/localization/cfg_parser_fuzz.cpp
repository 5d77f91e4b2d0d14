// SPDX-License-Identifier: MIT
// Parses arbitrary bytes as a .cfg file, then checks what any stored entry
// must look like and looks every entry up again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "localization/cfg_parser.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool HasAny(std::string_view text, std::string_view bytes) {
  return text.find_first_of(bytes) != std::string_view::npos;
}

void CheckEntry(const std::string& key, const std::string& value) {
  // Keys and values are words of the expression, joined by single spaces.
  Check(!key.empty() && !HasAny(key, " ;\""));
  Check(!value.empty() && !HasAny(value, ";\""));
  Check(value.front() != ' ' && value.back() != ' ');
  Check(value.find("  ") == std::string::npos);
}

void CheckSections(const vigilor::CatalogueData& data) {
  for (const auto& [name, entries] : data.sections) {
    // Entries only ever land in an open section, whose name is never empty.
    Check(!name.empty());
    const auto section = data.sections.find(std::string_view(name));
    Check(section != data.sections.end());
    for (const auto& [key, value] : entries) {
      CheckEntry(key, value);
      const auto entry = section->second.find(std::string_view(key));
      Check(entry != section->second.end() && entry->second == value);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vigilor::CatalogueData catalogue;
  catalogue.content.assign(reinterpret_cast<const char*>(data), size);
  std::wstring error = L"stale";
  const bool parsed = vigilor::ParseCatalogue(catalogue, error);
  if (size == 0) {
    Check(!parsed && error == L"Config file data empty");
  } else {
    Check(parsed ? error.empty() : error == L"Config parsing error");
  }
  CheckSections(catalogue);

  // A second file adds to the first: parsing the same bytes again keeps every
  // key and gives the same result.
  const auto before = catalogue.sections;
  std::wstring again;
  Check(vigilor::ParseCatalogue(catalogue, again) == parsed);
  Check(catalogue.sections == before);
  return 0;
}
