// SPDX-License-Identifier: MIT
#include "acquisition/trust_anchor_set.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

using Bodies = std::vector<std::string>;

const std::string kBegin = "-----BEGIN CERTIFICATE-----";
const std::string kEnd = "-----END CERTIFICATE-----";

std::string Block(const std::string& body, const std::string& eol = "\n") {
  return kBegin + eol + body + eol + kEnd + eol;
}

struct BodiesCase {
  const char* desc;
  std::string pem;
  Bodies expected;
};

TEST(PemCertificateBodies, ReadsCompleteCertificateBlocksOnly) {
  const BodiesCase cases[] = {
      {"empty text", "", {}},
      {"one block", Block("QUJD"), {"QUJD"}},
      {"two blocks with text between them, as in a host bundle",
       "# ACME Root\n" + Block("QUJD") + "\n# Other Root\n" + Block("REVG"), {"QUJD", "REVG"}},
      {"line breaks and CR LF are removed", Block("QUJD\r\nREVG\r\nRw==", "\r\n"), {"QUJDREVGRw=="}},
      {"a block without its end line is dropped", Block("QUJD") + kBegin + "\nREVG\n", {"QUJD"}},
      {"a begin line inside an unended block starts over",
       kBegin + "\nQUJD\n" + Block("REVG"), {"REVG"}},
      {"trusted-certificate blocks are another format",
       "-----BEGIN TRUSTED CERTIFICATE-----\nQUJD\n-----END TRUSTED CERTIFICATE-----\n", {}},
      {"a body with headers or stray characters is skipped",
       Block("Proc-Type: 4,ENCRYPTED\nQUJD") + Block("REVG"), {"REVG"}},
      {"an empty body is skipped", Block(""), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PemCertificateBodies(c.pem), c.expected) << c.desc;
  }
}

TEST(EncodeBase64, MatchesTheStandardVectors) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe\x00", 3), "//4A"}};
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeBase64(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()), c.text)
        << c.text;
  }
}

TEST(TrustAnchorSet, BinaryAndPemFormsOfOneCertificateAreOneAnchor) {
  const unsigned char der[] = {'A', 'B', 'C'};
  TrustAnchorSet set;
  EXPECT_EQ(set.AddPem(Block("QUJD")), 1u);
  EXPECT_FALSE(set.AddDer(der, sizeof der));
  EXPECT_EQ(set.size(), 1u);
}

TEST(TrustAnchorSet, KeepsEachCertificateOnceInFirstOrder) {
  TrustAnchorSet set;
  EXPECT_TRUE(set.Add("QUJD"));
  EXPECT_EQ(set.AddPem(Block("REVG") + Block("QUJD") + Block("R0hJ")), 2u) << "QUJD was there already";
  EXPECT_FALSE(set.Add("REVG"));
  EXPECT_FALSE(set.Add("")) << "nothing to trust";
  EXPECT_EQ(set.size(), 3u);
  EXPECT_EQ(set.pem(), Block("QUJD") + Block("REVG") + Block("R0hJ"));
}

TEST(TrustAnchorSet, WrapsLongBodiesAtSixtyFourCharacters) {
  const std::string body(150, 'A');
  TrustAnchorSet set;
  ASSERT_TRUE(set.Add(body));
  EXPECT_EQ(set.pem(), kBegin + "\n" + std::string(64, 'A') + "\n" + std::string(64, 'A') + "\n" +
                           std::string(22, 'A') + "\n" + kEnd + "\n");
  EXPECT_EQ(PemCertificateBodies(set.pem()), Bodies{body}) << "what the set writes reads back";
}

}  // namespace
}  // namespace vigilor::acquisition
