// SPDX-License-Identifier: MIT
#include "acquisition/module_scramble.h"

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vigilor::acquisition {
namespace {

// 3k modulo 256 for any index; the product is taken in size_t so that large
// indexes wrap the same way the byte arithmetic does.
std::uint8_t IndexTerm(std::size_t k) { return static_cast<std::uint8_t>(3 * k); }

#if defined(__SSE2__)
// p[k] = q[k] - p[k+1] with q[k] = c[k] - 3k is an alternating suffix sum:
// with r[j] = (-1)^j q[j] and S[k] = r[k] + S[k+1], p[k] = (-1)^k S[k]. So a
// block of 16 bytes starting at an even index k0 is a suffix sum within the
// block plus S[k0+16], which equals the plain byte p[k0+16] after it.
void DescrambleBlocks(std::uint8_t* bytes, std::size_t blocks, std::uint8_t next) {
  const __m128i steps = _mm_setr_epi8(0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45);
  const __m128i oddLanes = _mm_set1_epi16(static_cast<short>(0xff00));
  for (std::size_t block = blocks; block-- > 0;) {
    const std::size_t k0 = block * 16;
    std::uint8_t* at = bytes + k0;
    const __m128i indexTerms = _mm_add_epi8(_mm_set1_epi8(static_cast<char>(IndexTerm(k0))), steps);
    const __m128i q = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), indexTerms);
    __m128i sum = _mm_sub_epi8(_mm_xor_si128(q, oddLanes), oddLanes);  // r: odd lanes negated
    sum = _mm_add_epi8(sum, _mm_srli_si128(sum, 1));
    sum = _mm_add_epi8(sum, _mm_srli_si128(sum, 2));
    sum = _mm_add_epi8(sum, _mm_srli_si128(sum, 4));
    sum = _mm_add_epi8(sum, _mm_srli_si128(sum, 8));
    sum = _mm_add_epi8(sum, _mm_set1_epi8(static_cast<char>(next)));
    const __m128i plain = _mm_sub_epi8(_mm_xor_si128(sum, oddLanes), oddLanes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), plain);
    next = static_cast<std::uint8_t>(_mm_cvtsi128_si32(plain));
  }
}
#endif

}  // namespace

void DescrambleModule(std::span<std::uint8_t> bytes) {
  const std::size_t n = bytes.size();
  if (n < 2) return;
  // From the end: each plain byte needs its already-descrambled successor.
  bytes[n - 1] = static_cast<std::uint8_t>(bytes[n - 1] - IndexTerm(n - 1));
#if defined(__SSE2__)
  // The bytes after the last whole block one by one, then the blocks.
  const std::size_t blocks = (n - 1) / 16;
  for (std::size_t k = n - 1; k-- > blocks * 16;) {
    bytes[k] = static_cast<std::uint8_t>(bytes[k] - IndexTerm(k) - bytes[k + 1]);
  }
  DescrambleBlocks(bytes.data(), blocks, bytes[blocks * 16]);
#else
  for (std::size_t k = n - 1; k-- > 0;) {
    bytes[k] = static_cast<std::uint8_t>(bytes[k] - IndexTerm(k) - bytes[k + 1]);
  }
#endif
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
