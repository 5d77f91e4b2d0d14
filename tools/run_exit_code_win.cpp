// SPDX-License-Identifier: MIT
// run-exit-code: starts a Windows program with the given command line, waits
// for it and prints its full 32-bit exit code (Wine's own exit status keeps
// only the low 8 bits). Exits with 0 when the program ran, 2 when it did not.
//   run-exit-code.exe "C:\path\program.exe" [arguments...]
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: run-exit-code program.exe [arguments...]\n");
    return 2;
  }
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  for (int i = 2; i < argc; ++i) commandLine += L" " + std::wstring(argv[i]);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    std::fwprintf(stderr, L"run-exit-code: cannot start %ls (error %lu)\n", argv[1], GetLastError());
    return 2;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  std::printf("exit code: %lu\n", static_cast<unsigned long>(code));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return 0;
}
