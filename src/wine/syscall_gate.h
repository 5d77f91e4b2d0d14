// SPDX-License-Identifier: MIT
// The Linux system-call gate ("Wine helper buffer"): one RWX page at a fixed
// high address holding 21 bytes of code that take the Windows x64 convention
// (system call number, then up to three arguments) and issue the Linux x86-64
// system call. Only meaningful under Wine.
#pragma once

#include <array>
#include <cstdint>

namespace vigilor::wine {

inline constexpr std::uintptr_t kGateBaseAddress = 0x700100000000ull;
inline constexpr std::uintptr_t kGateAddressStep = 0x100000000ull;
inline constexpr int kGateCandidates = 10;
inline constexpr std::uintptr_t kGateLowestUsable = 0x700000000000ull;
inline constexpr std::size_t kGatePageSize = 4096;

// Linux x86-64 system call numbers used through the gate.
enum LinuxSyscall : std::int64_t {
  kSysRead = 0,
  kSysWrite = 1,
  kSysOpen = 2,
  kSysClose = 3,
  kSysGetpid = 39,
  kSysUnlink = 87,
  kSysMemfdCreate = 319,
};

// push rdi; push rsi; mov rax, rcx; mov rdi, rdx; push rdx; mov rsi, r8;
// mov rdx, r9; syscall; pop rdx; pop rsi; pop rdi; ret
inline constexpr std::array<std::uint8_t, 21> kGateCode = {
    0x57, 0x56, 0x48, 0x89, 0xC8, 0x48, 0x89, 0xD7, 0x52, 0x4C, 0x89,
    0xC6, 0x4C, 0x89, 0xCA, 0x0F, 0x05, 0x5A, 0x5E, 0x5F, 0xC3};

// Candidate addresses, in the order they are tried.
constexpr std::uintptr_t GateCandidateAddress(int index) {
  return kGateBaseAddress + static_cast<std::uintptr_t>(index) * kGateAddressStep;
}

// Places the gate (only call under Wine). True when the page exists. Called
// once by the program entry, before any other thread starts.
bool PrepareLinuxSyscallGate();

// Frees the page and clears the pointer; later calls fail as without a gate.
void ReleaseLinuxSyscallGate();

// The gate's address, or null.
void* LinuxSyscallGate();

// Issues a Linux system call through the gate. Without a gate returns -38
// (-ENOSYS), so callers see an ordinary negative error.
std::int64_t CallLinuxSyscall(std::int64_t number, std::uint64_t a = 0, std::uint64_t b = 0,
                              std::uint64_t c = 0);

}  // namespace vigilor::wine
