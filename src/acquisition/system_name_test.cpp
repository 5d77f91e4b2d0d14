// SPDX-License-Identifier: MIT
#include "acquisition/system_name.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Built by tests/fixtures/system_name/generate_system_name_fixtures.cpp.
Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(VIGILOR_SOURCE_DIR) + "/tests/fixtures/system_name/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// Where the fields of a fixture image are, read from the image itself.
struct Layout {
  explicit Layout(const Bytes& b)
      : nt(Get32(b, 0x3C)),
        fileHeader(nt + 4),
        optional(nt + 24),
        pe32Plus(b[optional] == 0x0B && b[optional + 1] == 0x02),
        directoryCount(optional + (pe32Plus ? 108 : 92)),
        runtimeDirectory(directoryCount + 4 + 8 * 14),
        section(optional + (pe32Plus ? 240 : 224)),
        runtimeHeader(Get32(b, section + 20) + Get32(b, runtimeDirectory) - Get32(b, section + 12)) {}
  std::size_t nt, fileHeader, optional;
  bool pe32Plus;
  std::size_t directoryCount, runtimeDirectory, section, runtimeHeader;
};

TEST(SystemName, FixtureImagesAreJudgedByTheirRuntimeHeader) {
  struct Case {
    const char* file;
    ExecutableBitness expected;
  } cases[] = {
      {"pe32_native.exe", ExecutableBitness::Unknown},
      {"pe32plus_native.exe", ExecutableBitness::Unknown},
      {"pe32_managed_il_only.exe", ExecutableBitness::Bits64},
      {"pe32_managed_32bit_required.exe", ExecutableBitness::Unknown},
      {"pe32plus_managed_il_only.exe", ExecutableBitness::Bits64},
      {"pe32plus_managed_32bit_required.exe", ExecutableBitness::Unknown},
      {"truncated_dos_header.exe", ExecutableBitness::Unknown},
      {"truncated_nt_headers.exe", ExecutableBitness::Unknown},
      {"lfanew_past_end.exe", ExecutableBitness::Unknown},
      {"clr_rva_outside_sections.exe", ExecutableBitness::Unknown},
      {"clr_header_past_end.exe", ExecutableBitness::Unknown},
      {"huge_section_count.exe", ExecutableBitness::Unknown},
      {"not_pe.exe", ExecutableBitness::Unknown},
  };
  for (const Case& c : cases) {
    const Bytes image = ReadFixture(c.file);
    ASSERT_FALSE(image.empty()) << c.file;
    EXPECT_EQ(BitnessFromImageHeaders(image), c.expected) << c.file;
  }
}

TEST(SystemName, OneDamagedFieldLeavesTheDecisionToTheSystem) {
  struct Case {
    const char* desc;
    const char* base;
    std::function<void(Bytes&, const Layout&)> damage;
    ExecutableBitness expected;
  } cases[] = {
      {"undamaged PE32+", "pe32plus_managed_il_only.exe", [](Bytes&, const Layout&) {},
       ExecutableBitness::Bits64},
      {"no MZ", "pe32plus_managed_il_only.exe", [](Bytes& b, const Layout&) { b[1] = 'X'; },
       ExecutableBitness::Unknown},
      {"new-header offset 0", "pe32plus_managed_il_only.exe", [](Bytes& b, const Layout&) { Put32(b, 0x3C, 0); },
       ExecutableBitness::Unknown},
      {"negative new-header offset", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout&) { Put32(b, 0x3C, 0x80000000u); }, ExecutableBitness::Unknown},
      {"new-header offset that wraps 32-bit sums", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout&) { Put32(b, 0x3C, 0xFFFFFFF0u); }, ExecutableBitness::Unknown},
      {"new-header offset leaving 263 bytes", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout&) { Put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 263)); },
       ExecutableBitness::Unknown},
      {"signature PE\\0\\1", "pe32plus_managed_il_only.exe", [](Bytes& b, const Layout& l) { b[l.nt + 3] = 1; },
       ExecutableBitness::Unknown},
      {"machine without bit 8 or 9", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put16(b, l.fileHeader, 0x0064); }, ExecutableBitness::Unknown},
      {"machine with bit 8 only still counts", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put16(b, l.fileHeader, 0x0100); }, ExecutableBitness::Bits64},
      {"ROM magic", "pe32plus_managed_il_only.exe", [](Bytes& b, const Layout& l) { Put16(b, l.optional, 0x107); },
       ExecutableBitness::Unknown},
      {"only 14 data directories", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.directoryCount, 14); }, ExecutableBitness::Unknown},
      {"runtime directory address 0", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.runtimeDirectory, 0); }, ExecutableBitness::Unknown},
      {"runtime flags 0", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.runtimeHeader + 16, 0); }, ExecutableBitness::Unknown},
      {"PE32+ mixed-mode flags (not IL only)", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.runtimeHeader + 16, 0x10); }, ExecutableBitness::Bits64},
      {"no sections", "pe32plus_managed_il_only.exe", [](Bytes& b, const Layout& l) { Put16(b, l.fileHeader + 2, 0); },
       ExecutableBitness::Unknown},
      {"optional header size puts the sections past the end", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put16(b, l.fileHeader + 16, 0xFFFF); }, ExecutableBitness::Unknown},
      {"runtime header runs past the section's raw data", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.section + 16, 0x20); }, ExecutableBitness::Unknown},
      // Wrapped to 32 bits, pointer + offset in section would land on the real header.
      {"raw data pointer near 4 GiB", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) {
         const std::uint32_t inSection = 0x410;
         Put32(b, l.section + 16, 0x800);
         Put32(b, l.section + 20, static_cast<std::uint32_t>(l.runtimeHeader - inSection));
         Put32(b, l.runtimeDirectory, Get32(b, l.section + 12) + inSection);
       },
       ExecutableBitness::Unknown},
      {"section at the top of the address space", "pe32plus_managed_il_only.exe",
       [](Bytes& b, const Layout& l) {
         Put32(b, l.section + 12, 0xFFFFFF00u);
         Put32(b, l.runtimeDirectory, 0xFFFFFF10u);
       },
       ExecutableBitness::Bits64},
      {"PE32 mixed-mode flags keep the 32-bit machine", "pe32_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.runtimeHeader + 16, 0x10); }, ExecutableBitness::Unknown},
      {"PE32 IL only with a strong-name flag", "pe32_managed_il_only.exe",
       [](Bytes& b, const Layout& l) { Put32(b, l.runtimeHeader + 16, 0x9); }, ExecutableBitness::Bits64},
  };
  for (const Case& c : cases) {
    Bytes image = ReadFixture(c.base);
    ASSERT_FALSE(image.empty()) << c.desc;
    const Layout layout(image);
    c.damage(image, layout);
    EXPECT_EQ(BitnessFromImageHeaders(image), c.expected) << c.desc;
  }
}

// Every byte of a truncated copy is read from inside the copy (the sanitizers
// catch any read past it), and no prefix short of the runtime header decides.
TEST(SystemName, EveryTruncationOfAManagedImageStaysInBounds) {
  const Bytes image = ReadFixture("pe32plus_managed_il_only.exe");
  ASSERT_FALSE(image.empty());
  const std::size_t decidingLength = Layout(image).runtimeHeader + 72;
  for (std::size_t length = 0; length <= image.size(); ++length) {
    const std::vector<std::uint8_t> prefix(image.begin(), image.begin() + length);
    const ExecutableBitness expected =
        length >= decidingLength ? ExecutableBitness::Bits64 : ExecutableBitness::Unknown;
    ASSERT_EQ(BitnessFromImageHeaders(prefix), expected) << "length " << length;
  }
}

TEST(SystemName, NamesDependOnBitnessAndSystem) {
  struct Case {
    ExecutableBitness bitness;
    SystemFamily family;
    const char* expected;
  } cases[] = {
      {ExecutableBitness::Bits64, SystemFamily::Windows, "win64"},
      {ExecutableBitness::Bits32, SystemFamily::Windows, "win64_wow64"},
      {ExecutableBitness::Bits64, SystemFamily::Wine, "linux64"},
      {ExecutableBitness::Bits32, SystemFamily::Wine, "linux64_32"},
      {ExecutableBitness::Unknown, SystemFamily::Windows, "N/A"},
      {ExecutableBitness::Unknown, SystemFamily::Wine, "N/A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SystemNameFor(c.bitness, c.family), c.expected) << c.expected;
  }
}

}  // namespace
}  // namespace vigilor::acquisition
