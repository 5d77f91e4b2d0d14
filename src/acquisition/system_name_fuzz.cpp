// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the image header reader. Besides the sanitizers'
// bounds checks it asserts two properties: the reader never claims a 32-bit
// image (that answer belongs to the system query), and a decision made on a
// prefix holds for the whole input (no byte past the end can have mattered).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "acquisition/system_name.h"

namespace {

using vigilor::acquisition::BitnessFromImageHeaders;
using vigilor::acquisition::ExecutableBitness;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> whole(data, size);
  const ExecutableBitness answer = BitnessFromImageHeaders(whole);
  Check(answer != ExecutableBitness::Bits32);
  if (size > 0 && BitnessFromImageHeaders(whole.first(size - 1)) == ExecutableBitness::Bits64) {
    Check(answer == ExecutableBitness::Bits64);
  }
  return 0;
}
