// SPDX-License-Identifier: MIT
// Path text helpers: pure string work, no file-system access. Reentrant, any
// thread. Both "\" and "/" count as separators where noted.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace vigilor {

// nameCopy receives name unchanged. extension receives the text from the last
// "." of the whole name to its end, dot included, or is empty when there is no
// dot or the dot is the last character. Separators do not stop the search, so
// "a.d\\b" has the extension ".d\\b"; callers rely on that reading.
void SplitFileExtension(std::string_view name, std::string& nameCopy, std::string& extension);

// The path up to and including its last "\" or "/". Empty when the path has no
// separator or nothing follows the last one.
std::string DirectoryPartOfPath(std::string_view path);

// True when name can stand as one folder or file name below another folder:
// not empty, not "." or "..", and free of "\", "/", ":" and NUL, so that
// joining it to a folder can never leave that folder.
bool IsSinglePathComponent(std::string_view name);

// Turns an absolute, normalized path into its extended-length ("\\?\") form:
//   C:\dir\f           -> \\?\C:\dir\f
//   \\server\share\f   -> \\?\UNC\server\share\f
// Paths already in the "\\?\" or "\??\" form, device paths ("\\.\") and empty
// paths come back unchanged. Relative paths must be made absolute first: the
// prefix turns off the system's own normalization.
std::wstring AddExtendedLengthPrefix(std::wstring_view fullPath);

// Runs read(buffer, capacity) with a growing buffer until the answer fits.
// read follows the GetModuleFileNameW convention: it returns 0 on failure,
// capacity when the answer was cut, otherwise the length it wrote. The buffer
// starts at initialCapacity units and doubles up to maxCapacity. False on
// failure or when even maxCapacity is too small; out is set only on success.
template <typename Read>
bool ReadUncutText(std::wstring& out, size_t initialCapacity, size_t maxCapacity, Read read) {
  std::wstring buffer(std::max<size_t>(initialCapacity, 1), L'\0');
  for (;;) {
    const size_t capacity = buffer.size();
    const size_t length = read(buffer.data(), capacity);
    if (length == 0) return false;
    if (length < capacity) {
      buffer.resize(length);
      out = std::move(buffer);
      return true;
    }
    if (capacity >= maxCapacity) return false;
    buffer.resize(std::min(capacity * 2, maxCapacity));
  }
}

}  // namespace vigilor
