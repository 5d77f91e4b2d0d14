// SPDX-License-Identifier: MIT
#include "wine/syscall_gate.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace vigilor::wine {
namespace {

std::atomic<void*> g_gate{nullptr};

void* AllocateGatePage() {
  for (int i = 0; i < kGateCandidates; ++i) {
    void* page = VirtualAlloc(reinterpret_cast<void*>(GateCandidateAddress(i)), kGatePageSize,
                              MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE);
    if (page != nullptr) return page;
  }
  return nullptr;
}

}  // namespace

bool PrepareLinuxSyscallGate() {
  if (g_gate.load() != nullptr) return true;
  void* page = AllocateGatePage();
  if (page == nullptr) return false;
  if (reinterpret_cast<std::uintptr_t>(page) < kGateLowestUsable) {
    VirtualFree(page, 0, MEM_RELEASE);
    return false;
  }
  std::memcpy(page, kGateCode.data(), kGateCode.size());
  FlushInstructionCache(GetCurrentProcess(), page, kGateCode.size());
  g_gate.store(page);
  return true;
}

void ReleaseLinuxSyscallGate() {
  void* page = g_gate.exchange(nullptr);
  if (page != nullptr) VirtualFree(page, 0, MEM_RELEASE);
}

void* LinuxSyscallGate() { return g_gate.load(); }

std::int64_t CallLinuxSyscall(std::int64_t number, std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  void* gate = g_gate.load();
  if (gate == nullptr) return -38;
  using GateFunction = std::int64_t (*)(std::int64_t, std::uint64_t, std::uint64_t, std::uint64_t);
  return reinterpret_cast<GateFunction>(gate)(number, a, b, c);
}

}  // namespace vigilor::wine
