// SPDX-License-Identifier: MIT
#include "wine/syscall_gate.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "wine/wine_detection.h"

namespace vigilor::wine {
namespace {

std::string ReadWindowsFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads a host file with open, read and close through the gate.
std::string ReadThroughGate(const char* path) {
  const std::int64_t fd = CallLinuxSyscall(kSysOpen, reinterpret_cast<std::uintptr_t>(path), 0, 0);
  if (fd < 0) return {};
  std::string text(4096, '\0');
  const std::int64_t got = CallLinuxSyscall(kSysRead, static_cast<std::uint64_t>(fd),
                                            reinterpret_cast<std::uintptr_t>(text.data()), text.size());
  CallLinuxSyscall(kSysClose, static_cast<std::uint64_t>(fd));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

class SyscallGate : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IsRunningUnderWine()) GTEST_SKIP() << "the gate exists only under Wine";
  }
  void TearDown() override { ReleaseLinuxSyscallGate(); }
};

TEST_F(SyscallGate, GetpidThroughTheGateIsTheLinuxPid) {
  ASSERT_TRUE(PrepareLinuxSyscallGate());
  const auto gate = reinterpret_cast<std::uintptr_t>(LinuxSyscallGate());
  bool atCandidate = false;
  for (int i = 0; i < kGateCandidates; ++i) atCandidate |= gate == GateCandidateAddress(i);
  EXPECT_TRUE(atCandidate) << std::hex << gate;
  EXPECT_EQ(std::memcmp(LinuxSyscallGate(), kGateCode.data(), kGateCode.size()), 0);

  const std::int64_t pid = CallLinuxSyscall(kSysGetpid);
  ASSERT_GT(pid, 0);
  // The kernel's view of that pid is this very program...
  const std::string procDir = "Z:\\proc\\" + std::to_string(pid) + "\\";
  EXPECT_NE(ReadWindowsFile(procDir + "cmdline").find("vigilor_win_tests"), std::string::npos);
  // ...and the kernel agrees when asked through the gate's open/read/close.
  const std::string stat = ReadThroughGate("/proc/self/stat");
  EXPECT_EQ(stat.substr(0, stat.find(' ')), std::to_string(pid));
}

TEST_F(SyscallGate, SkipsTakenAddresses) {
  void* taken[3] = {};
  for (int i = 0; i < 3; ++i) {
    taken[i] = VirtualAlloc(reinterpret_cast<void*>(GateCandidateAddress(i)), kGatePageSize,
                            MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(taken[i], nullptr) << i;
  }
  ASSERT_TRUE(PrepareLinuxSyscallGate());
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(LinuxSyscallGate()), GateCandidateAddress(3));
  EXPECT_GT(CallLinuxSyscall(kSysGetpid), 0);
  for (void* p : taken) VirtualFree(p, 0, MEM_RELEASE);
}

TEST_F(SyscallGate, FailsWhenAllCandidatesAreTaken) {
  void* taken[kGateCandidates] = {};
  for (int i = 0; i < kGateCandidates; ++i) {
    taken[i] = VirtualAlloc(reinterpret_cast<void*>(GateCandidateAddress(i)), kGatePageSize,
                            MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(taken[i], nullptr) << i;
  }
  EXPECT_FALSE(PrepareLinuxSyscallGate());
  EXPECT_EQ(LinuxSyscallGate(), nullptr);
  EXPECT_LT(CallLinuxSyscall(kSysGetpid), 0);
  for (void* p : taken) VirtualFree(p, 0, MEM_RELEASE);
}

TEST_F(SyscallGate, ReleaseMakesCallsFailAsWithoutAGate) {
  ASSERT_TRUE(PrepareLinuxSyscallGate());
  ReleaseLinuxSyscallGate();
  EXPECT_EQ(LinuxSyscallGate(), nullptr);
  EXPECT_EQ(CallLinuxSyscall(kSysGetpid), -38);
}

TEST(WineDetection, VersionIsReportedExactlyUnderWine) {
  EXPECT_EQ(IsRunningUnderWine(), !GetWineVersion().empty());
}

}  // namespace
}  // namespace vigilor::wine
