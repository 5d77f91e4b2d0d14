// SPDX-License-Identifier: MIT
#include "module/game_process_win.h"

#include "foundation/unicode.h"
#include "launcher/process_environment_win.h"

namespace vigilor::module {
namespace {

constexpr std::size_t kMaxDetailUnits = 512;

struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { LocalFree(handle); }
};

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

void CutAt(std::wstring& text, std::size_t units) {
  if (text.size() <= units) return;
  if (units > 0 && IsHighSurrogate(text[units - 1])) --units;
  text.resize(units);
}

void PrepareGameEnvironment(bool moduleLoaded) {
  if (!moduleLoaded) SetEnvironmentVariableW(L"ORX_USE_ANTICHEATCLIENTNULL", L"1");
  launcher::SetNoOverlayUIDrawing(false);
}

ScopedKernelHandle Duplicate(HANDLE source) {
  HANDLE duplicate = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), source, GetCurrentProcess(), &duplicate, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return ScopedKernelHandle();
  }
  return ScopedKernelHandle(duplicate);
}

}  // namespace

void LimitCommandLineLength(std::wstring& commandLine) { CutAt(commandLine, kMaxCommandLineUnits); }

std::string CreateProcessFailureDetail(DWORD errorCode) {
  if (errorCode != 0) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                        nullptr, errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    const ScopedHandle<LocalMemoryTraits> owner(buffer);
    if (length > 0 && buffer != nullptr) {
      std::wstring text(buffer, length);
      CutAt(text, kMaxDetailUnits);
      return WideToUtf8(text);
    }
  }
  // The code of the failed creation, not FormatMessageW's own last error.
  return CreateProcessFallbackDetail(errorCode);
}

bool CreateGameProcess(const std::string& path, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory, bool moduleLoaded, CreatedGameProcess& created,
                       const CreationFailureReport& reportFailure) {
  const std::string commandLine = BuildGameCommandLine(path, arguments);
  PrepareGameEnvironment(moduleLoaded);

  const std::wstring widePath = Utf8ToWide(path);
  std::wstring wideCommandLine = Utf8ToWide(commandLine);
  LimitCommandLineLength(wideCommandLine);
  const std::wstring wideDirectory = workingDirectory.empty() ? std::wstring() : Utf8ToWide(workingDirectory);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(widePath.c_str(), wideCommandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT | CREATE_DEFAULT_ERROR_MODE, nullptr,
                      wideDirectory.empty() ? nullptr : wideDirectory.c_str(), &startup, &info)) {
    const std::string detail = CreateProcessFailureDetail(GetLastError());
    if (reportFailure) reportFailure(acquisition::LS_InternalFailure, detail);
    return false;
  }
  const ScopedKernelHandle process(info.hProcess);
  const ScopedKernelHandle thread(info.hThread);
  if (info.dwProcessId == 0) return false;

  created.handle.reset(OpenProcess(kGameProcessAccess, FALSE, info.dwProcessId));
  created.processId = info.dwProcessId;
  AllowSetForegroundWindow(info.dwProcessId);
  return true;
}

ScopedKernelHandle OpenGameProcessHandle(HANDLE ownedHandle, std::uint32_t gameProcessId) {
  if (KernelHandleTraits::IsValid(ownedHandle)) return Duplicate(ownedHandle);
  if (gameProcessId == 0) return ScopedKernelHandle();
  return ScopedKernelHandle(OpenProcess(kGameProcessAccess, FALSE, gameProcessId));
}

ScopedKernelHandle DuplicateGameProcessHandle(HANDLE gameProcess) {
  if (!KernelHandleTraits::IsValid(gameProcess)) return ScopedKernelHandle();
  return Duplicate(gameProcess);
}

}  // namespace vigilor::module
