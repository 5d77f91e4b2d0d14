// SPDX-License-Identifier: MIT
#include "acquisition/module_scramble.h"

#include <cstddef>

namespace vigilor::acquisition {
namespace {

// 3k modulo 256 for any index; the product is taken in size_t so that large
// indexes wrap the same way the byte arithmetic does.
std::uint8_t IndexTerm(std::size_t k) { return static_cast<std::uint8_t>(3 * k); }

}  // namespace

void DescrambleModule(std::span<std::uint8_t> bytes) {
  const std::size_t n = bytes.size();
  if (n < 2) return;
  // From the end: each plain byte needs its already-descrambled successor.
  bytes[n - 1] = static_cast<std::uint8_t>(bytes[n - 1] - IndexTerm(n - 1));
  for (std::size_t k = n - 1; k-- > 0;) {
    bytes[k] = static_cast<std::uint8_t>(bytes[k] - IndexTerm(k) - bytes[k + 1]);
  }
}

void ScrambleModule(std::span<std::uint8_t> bytes) {
  const std::size_t n = bytes.size();
  if (n < 2) return;
  // From the start: each scrambled byte needs its successor still plain.
  for (std::size_t k = 0; k + 1 < n; ++k) {
    bytes[k] = static_cast<std::uint8_t>(bytes[k] + IndexTerm(k) + bytes[k + 1]);
  }
  bytes[n - 1] = static_cast<std::uint8_t>(bytes[n - 1] + IndexTerm(n - 1));
}

void ScrambleModuleRange(std::span<const std::uint8_t> plain, std::size_t offset, std::span<std::uint8_t> out) {
  const std::size_t n = plain.size();
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::size_t k = offset + i;
    if (n < 2) {
      out[i] = plain[k];
    } else {
      const std::uint8_t next = k + 1 < n ? plain[k + 1] : 0;
      out[i] = static_cast<std::uint8_t>(plain[k] + IndexTerm(k) + next);
    }
  }
}

}  // namespace vigilor::acquisition
