// SPDX-License-Identifier: MIT
// UTF-8 <-> UTF-16 at the Windows boundary, and environment reads.
// Narrow strings hold UTF-8 everywhere else. Conversions never fail loudly:
// they return the marker texts below, which callers treat as ordinary text.
#pragma once

#include <string>

namespace vigilor {

inline constexpr char kWideToUtf8Error[] = "W2U8_ERROR";
inline constexpr wchar_t kUtf8ToWideError[] = L"U82W_ERROR";

// Empty input gives empty output. Invalid UTF-16 (an unpaired surrogate) is
// replaced by the system converter, not reported.
std::string WideToUtf8(const std::wstring& wide);
std::wstring Utf8ToWide(const std::string& utf8);

// True when the variable exists with a non-empty value; values of any length
// are read whole. An empty name gives false. Any thread.
bool GetEnvironmentValue(const std::wstring& name, std::wstring& value);

}  // namespace vigilor
