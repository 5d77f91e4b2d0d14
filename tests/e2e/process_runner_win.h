// SPDX-License-Identifier: MIT
// Helpers for end-to-end tests: start the real bootstrapper in a scratch game
// folder, with a chosen environment, and read its full 32-bit exit code.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace vigilor::e2e {

// The bootstrapper's environment switches and the test twin's seams.
inline constexpr wchar_t kImmediateExit[] = L"ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR";
inline constexpr wchar_t kHeadless[] = L"ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE";
inline constexpr wchar_t kNullClient[] = L"ORX_USE_ANTICHEATCLIENTNULL";
inline constexpr wchar_t kSeam[] = L"VIGILOR_TEST_SEAM";
inline constexpr wchar_t kTrace[] = L"VIGILOR_TEST_TRACE";
inline constexpr wchar_t kShippedExe[] = L"VigilorBootstrapper.exe";
inline constexpr wchar_t kSeamsExe[] = L"VigilorBootstrapperTestSeams.exe";

// Variables to set (value) or remove (nullopt) for a child.
using Environment = std::map<std::wstring, std::optional<std::wstring>>;

// A fresh folder under %TEMP% holding a copy of one of the bootstrapper
// executables; removed with everything in it on destruction.
class GameFolder {
 public:
  explicit GameFolder(const wchar_t* executableName = L"VigilorBootstrapper.exe");
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  const std::wstring& path() const { return path_; }  // ends with a separator
  const std::wstring& executable() const { return executable_; }
  std::wstring File(const wchar_t* name) const { return path_ + name; }

 private:
  std::wstring path_;
  std::wstring executable_;
};

struct RunOptions {
  std::wstring arguments;  // appended after the quoted program path
  Environment environment;  // for the child only
  DWORD timeoutMs = 30000;
  // Runs while the child is still suspended, before it starts.
  std::function<void(HANDLE process)> beforeResume;
  // Runs while the child runs; return true once done watching.
  std::function<bool(HANDLE process, DWORD processId)> whileRunning;
};

struct RunResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
};

RunResult RunProgram(const std::wstring& executable, const RunOptions& options);

// The top-level window with this exact title that belongs to processId, or null.
HWND FindWindowOfProcess(DWORD processId, const wchar_t* title);

// Directory of the running test program, with a trailing separator.
std::wstring ProgramDirectory();

}  // namespace vigilor::e2e
