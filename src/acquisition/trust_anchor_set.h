// SPDX-License-Identifier: MIT
// A PEM bundle of trust anchors gathered from several sources, each
// certificate once. Portable: the callers read the sources.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vigilor::acquisition {

// The base64 bodies (line breaks and blanks removed) of the complete
// "CERTIFICATE" blocks of a PEM text, in order. Blocks of other kinds
// ("TRUSTED CERTIFICATE", keys, CRLs) and a block without its end line are
// skipped; text between blocks is ignored.
std::vector<std::string> PemCertificateBodies(std::string_view pem);

// Standard base64 with padding, no line breaks.
std::string EncodeBase64(const unsigned char* bytes, size_t size);

class TrustAnchorSet {
 public:
  // Adds one certificate given as its base64 body (no line breaks). Answers
  // false, adding nothing, when the body is empty or already in the set.
  bool Add(const std::string& base64Body);

  // Adds one certificate given in its binary (DER) form; as Add.
  bool AddDer(const unsigned char* der, size_t size);

  // Adds every certificate of a PEM text; answers how many were new.
  size_t AddPem(std::string_view pem);

  // The set as PEM, in the order of first addition, 64 characters a line.
  const std::string& pem() const { return pem_; }
  size_t size() const { return seen_.size(); }

 private:
  std::unordered_set<std::string> seen_;
  std::string pem_;
};

}  // namespace vigilor::acquisition
