// SPDX-License-Identifier: MIT
// Failure seams for the end-to-end tests. They exist only in the test twin of
// the executable (VIGILOR_TEST_SEAMS); in the shipped program every function
// here is a constant no-op that the compiler removes.
//   VIGILOR_TEST_SEAM=fail-dependencies   the graphics libraries "fail" to start
//   VIGILOR_TEST_SEAM=throw               an exception escapes the launcher phase
//   VIGILOR_TEST_SEAM=fail-game-launcher  Start cannot create the game launcher
//   VIGILOR_TEST_TRACE=<file>             start-up milestones are appended to file
//   VIGILOR_TEST_WATCH_UNDER_WINE=1       watch the game window under Wine too
//   VIGILOR_TEST_WATCH_CLOCK_SKIP_MS=N    the window watch's clock jumps N ms after its first read
//   VIGILOR_TEST_MODULE_SINK=<file>       the plain module bytes handed to the module start are
//                                         written to file (replacing it)
#pragma once

#if defined(VIGILOR_TEST_SEAMS)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "foundation/clock.h"
#include "foundation/unicode.h"
#include "launcher/test_hooks.h"
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
inline std::int64_t g_watchClockSkipNs = 0;
inline std::int64_t SkippingWatchClock() {
  static bool first = true;
  const std::int64_t now = SteadyNowNs();
  if (first) {
    first = false;
    return now;
  }
  return now + g_watchClockSkipNs;
}
inline std::wstring g_moduleSinkPath;
inline void WriteModuleSink(const std::uint8_t* data, std::size_t size) {
  if (FILE* f = _wfopen(g_moduleSinkPath.c_str(), L"wb")) {
    if (size != 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}
inline void InstallHooks() {
  std::wstring value;
  TestHooks& hooks = CurrentTestHooks();
  hooks.failGameLauncherCreation = SeamIs(L"fail-game-launcher");
  hooks.watchWindowsUnderWine = GetEnvironmentValue(L"VIGILOR_TEST_WATCH_UNDER_WINE", value) && value == L"1";
  if (GetEnvironmentValue(L"VIGILOR_TEST_WATCH_CLOCK_SKIP_MS", value)) {
    g_watchClockSkipNs = static_cast<std::int64_t>(std::wcstoll(value.c_str(), nullptr, 10)) * 1'000'000;
    hooks.watchClock = &SkippingWatchClock;
  }
  if (GetEnvironmentValue(L"VIGILOR_TEST_MODULE_SINK", g_moduleSinkPath) && !g_moduleSinkPath.empty()) {
    hooks.moduleReceived = &WriteModuleSink;
  }
}
#else
constexpr void InstallHooks() {}
constexpr bool FailDependencies() { return false; }
constexpr void MaybeThrow() {}
constexpr void Trace(const char*) {}
#endif

}  // namespace vigilor::launcher::test_seams
