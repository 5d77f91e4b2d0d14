// SPDX-License-Identifier: MIT
#include "foundation/unicode.h"

#include <windows.h>

namespace vigilor {

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed == 0) return kWideToUtf8Error;
  std::string out(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, out.data(), needed, nullptr, nullptr) == 0) {
    return kWideToUtf8Error;
  }
  return out;
}

std::wstring Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = static_cast<int>(utf8.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (needed == 0) return kUtf8ToWideError;
  std::wstring out(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), needed) == 0) {
    return kUtf8ToWideError;
  }
  return out;
}

bool GetEnvironmentValue(const std::wstring& name, std::wstring& value) {
  if (name.empty()) return false;
  value.clear();
  std::wstring buffer(4096, L'\0');
  DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > buffer.size()) {
    // Too small: the call reported the size it needs, terminator included.
    buffer.assign(length, L'\0');
    length = GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) return false;  // changed under us; treat as missing
  }
  if (length == 0) return false;
  value.assign(buffer.data(), length);
  return true;
}

}  // namespace vigilor
