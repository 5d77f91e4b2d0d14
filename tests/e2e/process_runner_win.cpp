// SPDX-License-Identifier: MIT
#include "process_runner_win.h"

#include <shellapi.h>

#include <vector>

namespace vigilor::e2e {
namespace {

// Applies the child's variables to this process and puts them back afterwards,
// so the child inherits exactly the requested environment.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::map<std::wstring, std::optional<std::wstring>>& changes) {
    for (const auto& [name, value] : changes) {
      std::vector<wchar_t> buffer(32768);
      const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
      saved_[name] = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND
                         ? std::optional<std::wstring>(std::wstring(buffer.data(), length))
                         : std::nullopt;
      SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
  }

 private:
  std::map<std::wstring, std::optional<std::wstring>> saved_;
};

struct FindContext {
  DWORD processId;
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* context = reinterpret_cast<FindContext*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != context->processId) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (wcscmp(text, context->title) != 0) return TRUE;
  context->found = window;
  return FALSE;
}

}  // namespace

std::wstring ProgramDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path);
  return text.substr(0, text.find_last_of(L"\\/") + 1);
}

GameFolder::GameFolder(const wchar_t* executableName) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  wchar_t unique[64] = {};
  swprintf(unique, 64, L"vigilor-e2e-%lu-%lu\\", GetCurrentProcessId(), GetTickCount());
  static unsigned counter = 0;
  path_ = std::wstring(temp) + unique + std::to_wstring(++counter) + L"\\";
  CreateDirectoryW((std::wstring(temp) + unique).c_str(), nullptr);
  CreateDirectoryW(path_.c_str(), nullptr);
  executable_ = path_ + L"VigilorBootstrapper.exe";
  CopyFileW((ProgramDirectory() + executableName).c_str(), executable_.c_str(), FALSE);
}

GameFolder::~GameFolder() {
  std::wstring from = path_.substr(0, path_.size() - 1);
  from.push_back(L'\0');  // double-terminated list for the shell
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

HWND FindWindowOfProcess(DWORD processId, const wchar_t* title) {
  FindContext context{processId, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&context));
  return context.found;
}

RunResult RunProgram(const std::wstring& executable, const RunOptions& options) {
  RunResult result;
  ScopedEnvironment environment(options.environment);
  std::wstring commandLine = L"\"" + executable + L"\"";
  if (!options.arguments.empty()) commandLine += L" " + options.arguments;
  const std::wstring directory = executable.substr(0, executable.find_last_of(L"\\/") + 1);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, nullptr, directory.c_str(), &startup, &info)) {
    return result;
  }
  result.started = true;
  if (options.beforeResume) options.beforeResume(info.hProcess);
  ResumeThread(info.hThread);

  const DWORD start = GetTickCount();
  bool watching = static_cast<bool>(options.whileRunning);
  for (;;) {
    if (WaitForSingleObject(info.hProcess, watching ? 50 : 200) == WAIT_OBJECT_0) break;
    if (watching && options.whileRunning(info.hProcess, info.dwProcessId)) watching = false;
    if (GetTickCount() - start > options.timeoutMs) {
      result.timedOut = true;
      TerminateProcess(info.hProcess, 0xDEAD);
      WaitForSingleObject(info.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(info.hProcess, &result.exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

}  // namespace vigilor::e2e
