// SPDX-License-Identifier: MIT
// The process-wide small fast random generator (Jenkins, 32-bit variant) and
// the GUID-shaped identifiers built from it. Not for cryptographic use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vigilor {

// The generator's four words. a starts at kRandomInitialA; b, c and d come
// from three separate time-stamp counter reads on first use.
struct RandomState {
  uint32_t a = 0;
  uint32_t b = 0;
  uint32_t c = 0;
  uint32_t d = 0;
};

inline constexpr uint32_t kRandomInitialA = 0xf1ea5eed;

// One seed word from one counter reading: (t * 214013 + 2531011) >> 16, kept
// to 32 bits.
uint32_t RandomSeedWord(uint64_t counter);

// Advances state by one step and returns the new d. Pure; the caller owns state.
uint32_t AdvanceRandomState(RandomState& state);

// Next number of the process-wide generator. Seeded exactly once even when
// several threads make the first call together; calls are serialized so the
// four words always change together. Any thread.
uint32_t NextRandom32();

// Writes a 36-character identifier and its terminator: six draws formatted as
// "%08x-%04x-%04x-%04x-%08x%04x" (lower-case hex, hyphens at 8, 13, 18, 23; no
// version or variant bits). Any thread.
inline constexpr size_t kRandomGuidBufferSize = 37;
void FormatRandomGuid(char (&buffer)[kRandomGuidBufferSize]);
std::string FormatRandomGuid();

}  // namespace vigilor
