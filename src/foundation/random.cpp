// SPDX-License-Identifier: MIT
#include "foundation/random.h"

#include <x86intrin.h>

#include <bit>
#include <cstdio>
#include <mutex>

namespace vigilor {
namespace {

std::mutex g_randomLock;
std::once_flag g_randomSeeded;
RandomState g_randomState;  // guarded by g_randomLock after seeding

void SeedProcessGenerator() {
  // Three reads so that b, c and d differ even when the counter is coarse.
  const uint64_t first = __rdtsc();
  const uint64_t second = __rdtsc();
  const uint64_t third = __rdtsc();
  std::lock_guard<std::mutex> lock(g_randomLock);
  g_randomState.a = kRandomInitialA;
  g_randomState.b = RandomSeedWord(first);
  g_randomState.c = RandomSeedWord(second);
  g_randomState.d = RandomSeedWord(third);
}

}  // namespace

uint32_t RandomSeedWord(uint64_t counter) {
  return static_cast<uint32_t>((counter * 214013u + 2531011u) >> 16);
}

uint32_t AdvanceRandomState(RandomState& state) {
  const uint32_t e = state.a - std::rotl(state.b, 27);
  state.a = state.b ^ std::rotl(state.c, 17);
  state.b = state.c + state.d;
  state.c = state.d + e;
  state.d = e + state.a;
  return state.d;
}

uint32_t NextRandom32() {
  std::call_once(g_randomSeeded, SeedProcessGenerator);
  std::lock_guard<std::mutex> lock(g_randomLock);
  return AdvanceRandomState(g_randomState);
}

void FormatRandomGuid(char (&buffer)[kRandomGuidBufferSize]) {
  const uint32_t r1 = NextRandom32();
  const uint32_t r2 = NextRandom32();
  const uint32_t r3 = NextRandom32();
  const uint32_t r4 = NextRandom32();
  const uint32_t r5 = NextRandom32();
  const uint32_t r6 = NextRandom32();
  std::snprintf(buffer, sizeof(buffer), "%08x-%04x-%04x-%04x-%08x%04x", static_cast<unsigned>(r1),
                static_cast<unsigned>(r2 & 0xFFFF), static_cast<unsigned>(r3 & 0xFFFF),
                static_cast<unsigned>(r4 & 0xFFFF), static_cast<unsigned>(r5), static_cast<unsigned>(r6 & 0xFFFF));
}

std::string FormatRandomGuid() {
  char buffer[kRandomGuidBufferSize];
  FormatRandomGuid(buffer);
  return std::string(buffer);
}

}  // namespace vigilor
