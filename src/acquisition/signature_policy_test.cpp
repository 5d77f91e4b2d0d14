// SPDX-License-Identifier: MIT
#include "acquisition/signature_policy.h"

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

using namespace std::string_view_literals;

TEST(IsAcceptedSigner, MatchesOnlyTheExactMakerNames) {
  struct Case {
    const char* desc;
    std::u16string_view name;
    bool accepted;
  };
  const Case cases[] = {
      {"maker", u"Vigilor Oy"sv, true},
      {"publisher with comma and dot", u"Tarnvale, Inc."sv, true},
      {"publisher with comma", u"Tarnvale, Inc"sv, true},
      {"publisher with dot", u"Tarnvale Inc."sv, true},
      {"publisher bare", u"Tarnvale Inc"sv, true},
      {"maker upper case", u"VIGILOR OY"sv, false},
      {"maker lower case", u"vigilor oy"sv, false},
      {"publisher upper case", u"TARNVALE, INC."sv, false},
      {"maker with trailing space", u"Vigilor Oy "sv, false},
      {"maker with leading space", u" Vigilor Oy"sv, false},
      {"publisher with trailing space", u"Tarnvale, Inc. "sv, false},
      {"maker cut short", u"Vigilor O"sv, false},
      {"maker with a suffix", u"Vigilor Oy Ltd"sv, false},
      {"maker then NUL then more", u"Vigilor Oy\0evil"sv, false},
      {"maker with a trailing NUL", u"Vigilor Oy\0"sv, false},
      {"look-alike letter (Cyrillic O)", u"Vigilor \u041Ey"sv, false},
      {"no-break space", u"Vigilor\u00A0Oy"sv, false},
      {"unlisted signer", u"Untrusted Studio Ltd"sv, false},
      {"empty", u""sv, false},
      {"null", std::u16string_view(), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsAcceptedSigner(c.name), c.accepted) << c.desc;
  }
}

TEST(IsChainAnchored, RefusesChainsThatDoNotEndInATrustedRoot) {
  struct Case {
    const char* desc;
    std::uint32_t status;
    bool anchored;
  };
  const Case cases[] = {
      {"clean chain", 0, true},
      {"not time valid (judged at signing time)", 0x00000001, true},
      {"not valid for usage (judged by the provider)", 0x00000010, true},
      {"revocation unknown (no revocation checks)", 0x00000040, true},
      {"offline revocation", 0x01000000, true},
      {"revoked", 0x00000004, false},
      {"certificate signature invalid", 0x00000008, false},
      {"untrusted root", 0x00000020, false},
      {"cyclic", 0x00000080, false},
      {"partial chain (issuer unknown)", 0x00010000, false},
      {"partial chain and expired", 0x00010001, false},
      {"untrusted root among harmless bits", 0x01000061, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsChainAnchored(c.status), c.anchored) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::acquisition
