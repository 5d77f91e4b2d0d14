// SPDX-License-Identifier: MIT
#include "acquisition/system_name.h"

#include <gtest/gtest.h>

#include "fixtures/fixture_support_win.h"
#include "wine/wine_detection.h"

namespace vigilor::acquisition {
namespace {

using fixtures::SystemNameFixture;

// Where the headers do not decide, the answer is the system's binary-type
// query; the expectations for those are Wine's.
TEST(DetermineExecutableBitness, HeadersDecideManagedImagesAndTheSystemTheRest) {
  struct Case {
    std::string path;
    ExecutableBitness expected;
  } cases[] = {
      {fixtures::BuiltFixtureGame(), ExecutableBitness::Bits64},
      {SystemNameFixture("pe32_native.exe"), ExecutableBitness::Bits32},
      {SystemNameFixture("pe32plus_native.exe"), ExecutableBitness::Bits64},
      // The binary-type query calls this one 32-bit; it runs as a 64-bit process.
      {SystemNameFixture("pe32_managed_il_only.exe"), ExecutableBitness::Bits64},
      {SystemNameFixture("pe32_managed_32bit_required.exe"), ExecutableBitness::Bits32},
      {SystemNameFixture("pe32plus_managed_il_only.exe"), ExecutableBitness::Bits64},
      {SystemNameFixture("pe32plus_managed_32bit_required.exe"), ExecutableBitness::Bits64},
      {SystemNameFixture("clr_rva_outside_sections.exe"), ExecutableBitness::Bits64},
      {SystemNameFixture("clr_header_past_end.exe"), ExecutableBitness::Bits64},
      {SystemNameFixture("truncated_dos_header.exe"), ExecutableBitness::Unknown},
      {SystemNameFixture("truncated_nt_headers.exe"), ExecutableBitness::Unknown},
      {SystemNameFixture("lfanew_past_end.exe"), ExecutableBitness::Unknown},
      {SystemNameFixture("huge_section_count.exe"), ExecutableBitness::Unknown},
      {SystemNameFixture("not_pe.exe"), ExecutableBitness::Unknown},
      {SystemNameFixture("no_such_file.exe"), ExecutableBitness::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetermineExecutableBitness(c.path), c.expected) << c.path;
  }
}

TEST(DetermineSystemName, NamesTheRunningSystemsBuild) {
  ASSERT_TRUE(wine::IsRunningUnderWine()) << "expectations below are Wine's";
  EXPECT_EQ(DetermineSystemName(fixtures::BuiltFixtureGame()), "linux64");
  EXPECT_EQ(DetermineSystemName(SystemNameFixture("pe32_native.exe")), "linux64_32");
  EXPECT_EQ(DetermineSystemName(SystemNameFixture("not_pe.exe")), "N/A");
}

}  // namespace
}  // namespace vigilor::acquisition
