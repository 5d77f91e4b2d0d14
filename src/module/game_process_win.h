// SPDX-License-Identifier: MIT
// Creating the game process and handing out handles to it.
//
// The module loader keeps the handle made by CreateGameProcess (and the
// process id) until it is destroyed; the game launcher keeps its own
// duplicate; every other duplicate belongs to whoever asked for it. Handles
// made here are never inheritable, and the game inherits no handle at all.
// The game process is never terminated here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/launch_codes.h"
#include "foundation/scoped_handle_win.h"
#include "module/game_process.h"

namespace vigilor::module {

// Wait for it, read its exit code, end it; nothing more.
inline constexpr DWORD kGameProcessAccess = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE;
static_assert(kGameProcessAccess == 0x101001);

// The command line handed to the system holds at most this many UTF-16 units:
// the system's limit is 32767 including the terminating null.
inline constexpr std::size_t kMaxCommandLineUnits = 32766;

struct CreatedGameProcess {
  ScopedKernelHandle handle;  // kGameProcessAccess; empty when OpenProcess failed
  std::uint32_t processId = 0;
};

// Receives the status and detail of a failed creation.
using CreationFailureReport = std::function<void(acquisition::LoaderStatus status, const std::string& detail)>;

// Starts the game at path (UTF-8) with BuildGameCommandLine's command line, in
// workingDirectory (UTF-8; empty: this process's current directory). Before
// that it sets, in this process's environment and so for the game,
// "ORX_USE_ANTICHEATCLIENTNULL" to "1" when !moduleLoaded, and
// "SteamNoOverlayUIDrawing" to "0"; both stay set whatever the outcome.
//
// True when the game runs and its id is known: created holds the id and a
// handle opened with kGameProcessAccess (empty if that open failed, still
// true), and the game may take the foreground. False with created untouched
// when the system reported no process id (nothing is reported), or when the
// creation failed: then reportFailure is called once, before returning, with
// LS_InternalFailure and the detail: the system's text for the error (at most
// 512 UTF-16 units, as UTF-8) or CreateProcessFallbackDetail. The loader turns
// it into kCreateProcessErrorKey / kCreateProcessErrorDefault and reports it.
//
// Called on the thread that asks for the launch: the launcher's thread for a
// null-client launch requested by the environment, otherwise the thread that
// reported (the loader's worker or a module thread). It changes the process
// environment, so calls must not overlap; one run starts one game.
bool CreateGameProcess(const std::string& path, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory, bool moduleLoaded, CreatedGameProcess& created,
                       const CreationFailureReport& reportFailure);

// The loader's OpenGameProcessHandle: a duplicate of ownedHandle when there is
// one (empty if duplication fails), else a handle opened from gameProcessId
// with kGameProcessAccess when the id is not 0 (the module started the game
// and reported only its id), else empty. The caller owns the result. Any
// thread; ownedHandle must stay open during the call.
ScopedKernelHandle OpenGameProcessHandle(HANDLE ownedHandle, std::uint32_t gameProcessId);

// The game launcher's DuplicateGameProcessHandle: a duplicate of gameProcess
// with the same access, or empty when there is none or duplication fails. The
// caller owns the result. Any thread; gameProcess must stay open during the call.
ScopedKernelHandle DuplicateGameProcessHandle(HANDLE gameProcess);

// Cuts commandLine to kMaxCommandLineUnits units, one fewer when the cut would
// split a surrogate pair.
void LimitCommandLineLength(std::wstring& commandLine);

// FormatMessageW's text for errorCode (at most 512 units, no inserts), or
// CreateProcessFallbackDetail when the code is 0 or the system has no text.
std::string CreateProcessFailureDetail(DWORD errorCode);

}  // namespace vigilor::module
