// SPDX-License-Identifier: MIT
#include "acquisition/module_scramble.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct KnownAnswer {
  const char* desc;
  Bytes scrambled;
  Bytes plain;
};

// Worked out by hand from p[n-1] = c[n-1] - 3(n-1), p[k] = c[k] - 3k - p[k+1].
const KnownAnswer kKnownAnswers[] = {
    {"empty buffer stays empty", {}, {}},
    {"one byte is stored as is", {0x7f}, {0x7f}},
    {"two bytes: 20-3 = 17, 10-0-17 = 249", {10, 20}, {249, 17}},
    {"three zeros: 250, 0-3-250 = 3, 0-0-3 = 253", {0, 0, 0}, {253, 3, 250}},
    {"four bytes: 9-9 = 0, 7-6-0 = 1, 5-3-1 = 1, 1-0-1 = 0", {1, 5, 7, 9}, {0, 1, 1, 0}},
};

TEST(ModuleScramble, DescrambleMatchesHandComputedBuffers) {
  for (const auto& c : kKnownAnswers) {
    Bytes bytes = c.scrambled;
    DescrambleModule(bytes);
    EXPECT_EQ(bytes, c.plain) << c.desc;
  }
}

TEST(ModuleScramble, ScrambleMatchesHandComputedBuffers) {
  for (const auto& c : kKnownAnswers) {
    Bytes bytes = c.plain;
    ScrambleModule(bytes);
    EXPECT_EQ(bytes, c.scrambled) << c.desc;
  }
}

// A plain module of zeros is served as c[k] = 3k mod 256; past index 85 the
// index term wraps, which a byte-sized counter or an unreduced product gets wrong.
TEST(ModuleScramble, IndexTermWrapsModulo256OnLongBuffers) {
  constexpr std::size_t kSize = 1000;
  Bytes scrambled(kSize);
  for (std::size_t k = 0; k < kSize; ++k) scrambled[k] = static_cast<std::uint8_t>((3 * k) % 256);

  Bytes plain = scrambled;
  DescrambleModule(plain);
  EXPECT_EQ(plain, Bytes(kSize, 0));

  Bytes zeros(kSize, 0);
  ScrambleModule(zeros);
  EXPECT_EQ(zeros, scrambled);
}

TEST(ModuleScramble, ScrambleThenDescrambleRestoresEveryByte) {
  std::mt19937 random(20240611u);
  std::vector<std::size_t> sizes = {0, 1, 2, 3, 255, 256, 257, 4095, 4096, 4097, 65537};
  std::uniform_int_distribution<std::size_t> oddSize(0, 20000);
  for (int i = 0; i < 20; ++i) sizes.push_back(oddSize(random) | 1);

  for (const std::size_t size : sizes) {
    Bytes original(size);
    for (auto& b : original) b = static_cast<std::uint8_t>(random());

    Bytes there = original;
    ScrambleModule(there);
    DescrambleModule(there);
    EXPECT_EQ(there, original) << "scramble, descramble; size " << size;

    Bytes back = original;
    DescrambleModule(back);
    ScrambleModule(back);
    EXPECT_EQ(back, original) << "descramble, scramble; size " << size;
  }
}

// The cache writes the scrambled file piece by piece from the plain module:
// every split must give the same bytes as scrambling the whole buffer, the
// seams (which need the next piece's first byte) and the last byte included.
TEST(ModuleScramble, ScrambledPiecesJoinToTheWholeScrambledBuffer) {
  std::mt19937 random(20261210u);
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1000}}) {
    Bytes plain(size);
    for (auto& b : plain) b = static_cast<std::uint8_t>(random());
    Bytes whole = plain;
    ScrambleModule(whole);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{999}, size}) {
      if (piece == 0) continue;
      Bytes joined;
      for (std::size_t offset = 0; offset < size; offset += piece) {
        Bytes out(std::min(piece, size - offset));
        ScrambleModuleRange(plain, offset, out);
        joined.insert(joined.end(), out.begin(), out.end());
      }
      EXPECT_EQ(joined, whole) << "size " << size << ", pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace vigilor::acquisition
