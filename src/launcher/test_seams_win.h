// SPDX-License-Identifier: MIT
// Failure seams for the end-to-end tests. They exist only in the test twin of
// the executable (VIGILOR_TEST_SEAMS); in the shipped program every function
// here is a constant no-op that the compiler removes.
//   VIGILOR_TEST_SEAM=fail-dependencies   the graphics libraries "fail" to start
//   VIGILOR_TEST_SEAM=throw               an exception escapes the launcher phase
//   VIGILOR_TEST_TRACE=<file>             start-up milestones are appended to file
#pragma once

#if defined(VIGILOR_TEST_SEAMS)
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "foundation/unicode.h"
#endif

namespace vigilor::launcher::test_seams {

#if defined(VIGILOR_TEST_SEAMS)
inline bool SeamIs(const wchar_t* name) {
  std::wstring value;
  return GetEnvironmentValue(L"VIGILOR_TEST_SEAM", value) && value == name;
}
inline bool FailDependencies() { return SeamIs(L"fail-dependencies"); }
inline void MaybeThrow() {
  if (SeamIs(L"throw")) throw std::runtime_error("test seam");
}
inline void Trace(const char* milestone) {
  std::wstring path;
  if (!GetEnvironmentValue(L"VIGILOR_TEST_TRACE", path)) return;
  if (FILE* f = _wfopen(path.c_str(), L"ab")) {
    std::fprintf(f, "%s\n", milestone);
    std::fclose(f);
  }
}
#else
constexpr bool FailDependencies() { return false; }
constexpr void MaybeThrow() {}
constexpr void Trace(const char*) {}
#endif

}  // namespace vigilor::launcher::test_seams
