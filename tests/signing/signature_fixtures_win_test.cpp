// SPDX-License-Identifier: MIT
// The module's signature check against real Authenticode signatures: fixture
// modules signed at build time (make_signing_fixtures.sh) under a test root
// that the signing_trust_test_root step adds to the Wine prefix's machine
// "Root" store before these tests run.
#include <windows.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/signature_check_win.h"
#include "acquisition/signature_policy.h"
#include "acquisition/signature_trust_win.h"
#include "foundation/files.h"
#include "foundation/unicode.h"

namespace vigilor::acquisition {
namespace {

std::string Fixture(const char* name) { return std::string(VIGILOR_SIGNING_FIXTURES) + "/" + name; }

std::vector<std::uint8_t> ReadFixture(const char* name) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(ReadWholeFile(Fixture(name), bytes)) << name;
  return bytes;
}

// The check's temporary files: 36-character random names, 8-4-4-4-12.
bool IsTemporaryName(const std::wstring& name) {
  if (name.size() != 36) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphen ? name[i] != L'-' : !std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

std::set<std::wstring> TemporaryFilesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (IsTemporaryName(entry.cFileName)) names.insert(entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

TEST(SignedModule, OnlyTheMakersNamesUnderATrustedRootPassAndNoCopyStays) {
  struct Case {
    const char* desc;
    const char* fixture;
    bool accepted;
  };
  const Case cases[] = {
      {"maker", "vigilor_oy.dll", true},
      {"publisher", "tarnvale_inc.dll", true},
      {"unlisted signer", "untrusted_studio.dll", false},
      {"maker's name in upper case", "vigilor_oy_upper.dll", false},
      {"maker's name with a trailing space", "vigilor_oy_space.dll", false},
      {"publisher's name in upper case", "tarnvale_inc_upper.dll", false},
      {"publisher's name with a trailing space", "tarnvale_inc_space.dll", false},
      {"unsigned", "unsigned.dll", false},
      {"code changed after signing", "tampered.dll", false},
      {"signer's certificate not in the signature", "signer_cert_missing.dll", false},
      {"maker's name from an unknown issuer", "rogue_issuer.dll", false},
      {"maker's name under an untrusted root", "rogue_root.dll", false},
      {"maker's name, self-signed", "self_signed.dll", false},
  };
  std::wstring root;
  ASSERT_TRUE(GetProductCacheRoot(root));
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> module = ReadFixture(c.fixture);
    ASSERT_FALSE(module.empty()) << c.desc;
    const std::set<std::wstring> before = TemporaryFilesIn(root);
    EXPECT_EQ(VerifyModuleSignature(module), c.accepted) << c.desc;
    EXPECT_EQ(TemporaryFilesIn(root), before) << c.desc << ": the module copy stayed in the cache root";
  }
}

// Which step refuses what: the trust provider (with the chain check) or the
// signer's name.
TEST(SignedModule, VerdictAndSignerNamePerFixture) {
  struct Case {
    const char* desc;
    const char* fixture;
    TrustVerdict verdict;
    bool nameRead;
    std::u16string name;
  };
  const Case cases[] = {
      {"maker", "vigilor_oy.dll", TrustVerdict::Accepted, true, u"Vigilor Oy"},
      {"publisher", "tarnvale_inc.dll", TrustVerdict::Accepted, true, u"Tarnvale, Inc."},
      {"unlisted signer", "untrusted_studio.dll", TrustVerdict::Accepted, true, u"Untrusted Studio Ltd"},
      {"upper case", "vigilor_oy_upper.dll", TrustVerdict::Accepted, true, u"VIGILOR OY"},
      {"trailing space kept", "vigilor_oy_space.dll", TrustVerdict::Accepted, true, u"Vigilor Oy "},
      {"unsigned", "unsigned.dll", TrustVerdict::Rejected, false, u""},
      {"tampered: digest differs, name still readable", "tampered.dll", TrustVerdict::Rejected, true, u"Vigilor Oy"},
      {"signer's certificate missing", "signer_cert_missing.dll", TrustVerdict::Rejected, false, u""},
      {"unknown issuer", "rogue_issuer.dll", TrustVerdict::Rejected, true, u"Vigilor Oy"},
      {"untrusted root", "rogue_root.dll", TrustVerdict::Rejected, true, u"Vigilor Oy"},
      {"self-signed", "self_signed.dll", TrustVerdict::Rejected, true, u"Vigilor Oy"},
  };
  const TrustFunctions* trust = LoadTrustFunctions();
  ASSERT_NE(trust, nullptr);
  for (const Case& c : cases) {
    const std::wstring path = Utf8ToWide(Fixture(c.fixture));
    EXPECT_EQ(static_cast<unsigned>(VerifyFileTrust(trust, path)), static_cast<unsigned>(c.verdict))
        << c.desc << (c.verdict == TrustVerdict::Accepted ? " (is the test root trusted by the prefix?)" : "");
    std::u16string name = u"stale";
    EXPECT_EQ(GetSignerName(*trust, path, name), c.nameRead) << c.desc;
    EXPECT_EQ(name, c.name) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::acquisition
