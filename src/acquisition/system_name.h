// SPDX-License-Identifier: MIT
// The system name of a game executable: which build of the module fits it.
// "win64" for a 64-bit game, "win64_wow64" for a 32-bit one; under Wine
// "linux64" and "linux64_32"; "N/A" when the bitness cannot be told.
//
// The bitness comes from the image headers for managed executables (whose
// process bitness the binary-type query gets wrong), otherwise from the
// system's binary-type query. The header reading is portable and treats the
// file as untrusted: every read is bounds-checked against the bytes given.
//
// Pure functions; reentrant, any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vigilor::acquisition {

enum class ExecutableBitness { Unknown, Bits32, Bits64 };

enum class SystemFamily { Windows, Wine };

inline constexpr char kUnknownSystemName[] = "N/A";

// Only this many leading bytes of the executable are read. Image headers and
// the managed runtime header sit near the start of the file; a header beyond
// the limit leaves the decision to the binary-type query.
inline constexpr std::uint64_t kSystemNameReadLimit = 16u * 1024u * 1024u;

// Bits64 when the bytes are a managed (runtime-header carrying) image that
// runs as a 64-bit process:
//  - PE32+: runtime flags non-zero and without "32-bit required" (0x2);
//  - PE32: runtime flags with "IL only" (0x1) and without "32-bit required".
// Unknown for everything else, including native images, malformed or
// truncated headers and headers that lie outside the bytes: the caller then
// asks the system's binary-type query.
ExecutableBitness BitnessFromImageHeaders(std::span<const std::uint8_t> image);

// The system name for a bitness; kUnknownSystemName for Unknown.
std::string SystemNameFor(ExecutableBitness bitness, SystemFamily family);

// Windows only (system_name_win.cpp). Reads at most kSystemNameReadLimit bytes
// of the file at executablePath (UTF-8), decides by BitnessFromImageHeaders and
// else by GetBinaryTypeW: SCS_32BIT_BINARY is Bits32, SCS_64BIT_BINARY is
// Bits64; any other type, an unreadable file or a failed query is Unknown.
ExecutableBitness DetermineExecutableBitness(const std::string& executablePath);

// Windows only. DetermineExecutableBitness named for the running system
// (Wine when IsRunningUnderWine holds).
std::string DetermineSystemName(const std::string& executablePath);

}  // namespace vigilor::acquisition
