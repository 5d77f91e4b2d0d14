// SPDX-License-Identifier: MIT
// Reads arbitrary bytes as a host CA bundle. Every body taken must be pure
// base64, and the set's own PEM (what libcurl parses at each handshake) must
// read back as exactly the distinct bodies, in order of first appearance,
// with every begin line followed by a line break as libcurl requires.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "acquisition/trust_anchor_set.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsBase64(const std::string& body) {
  for (const char c : body) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                    c == '/' || c == '=';
    if (!ok) return false;
  }
  return !body.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vigilor::acquisition;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> bodies = PemCertificateBodies(text);
  std::vector<std::string> distinct;
  std::unordered_set<std::string> seen;
  for (const std::string& body : bodies) {
    Check(IsBase64(body));
    if (seen.insert(body).second) distinct.push_back(body);
  }

  TrustAnchorSet anchors;
  Check(anchors.AddPem(text) == distinct.size());
  Check(anchors.size() == distinct.size());
  Check(PemCertificateBodies(anchors.pem()) == distinct);
  const std::string_view begin = "-----BEGIN CERTIFICATE-----";
  for (std::size_t at = anchors.pem().find(begin); at != std::string::npos; at = anchors.pem().find(begin, at + 1)) {
    Check(anchors.pem()[at + begin.size()] == '\n');
  }
  return 0;
}
