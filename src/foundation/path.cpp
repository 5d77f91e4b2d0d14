// SPDX-License-Identifier: MIT
#include "foundation/path.h"

namespace vigilor {

void SplitFileExtension(std::string_view name, std::string& nameCopy, std::string& extension) {
  nameCopy.assign(name);
  extension.clear();
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return;
  extension.assign(name.substr(dot));
}

std::string DirectoryPartOfPath(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos || separator + 1 == path.size()) return {};
  return std::string(path.substr(0, separator + 1));
}

bool IsSinglePathComponent(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("\\/:\0", 4)) == std::string_view::npos;
}

std::wstring AddExtendedLengthPrefix(std::wstring_view fullPath) {
  constexpr std::wstring_view kExtended = L"\\\\?\\";
  constexpr std::wstring_view kNtObject = L"\\??\\";
  constexpr std::wstring_view kDevice = L"\\\\.\\";
  constexpr std::wstring_view kUnc = L"\\\\";
  if (fullPath.empty() || fullPath.starts_with(kExtended) || fullPath.starts_with(kNtObject) ||
      fullPath.starts_with(kDevice)) {
    return std::wstring(fullPath);
  }
  // "\\?\\\server\share" names nothing; UNC paths take the "UNC\" form.
  if (fullPath.starts_with(kUnc)) {
    return std::wstring(L"\\\\?\\UNC\\").append(fullPath.substr(kUnc.size()));
  }
  return std::wstring(kExtended).append(fullPath);
}

}  // namespace vigilor
