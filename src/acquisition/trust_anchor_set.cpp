// SPDX-License-Identifier: MIT
#include "acquisition/trust_anchor_set.h"

#include <algorithm>

namespace vigilor::acquisition {
namespace {

constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
constexpr size_t kLineLength = 64;

bool IsBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
         c == '=';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The body between the two lines, or empty when it holds anything but
// base64 and blanks (headers of the old encrypted form, stray text).
std::string CompactBody(std::string_view body) {
  std::string compact;
  compact.reserve(body.size());
  for (char c : body) {
    if (IsBase64Character(c)) {
      compact += c;
    } else if (!IsBlank(c)) {
      return {};
    }
  }
  return compact;
}

}  // namespace

std::vector<std::string> PemCertificateBodies(std::string_view pem) {
  std::vector<std::string> bodies;
  size_t at = pem.find(kBegin);
  while (at != std::string_view::npos) {
    const size_t bodyStart = at + kBegin.size();
    const size_t end = pem.find(kEnd, bodyStart);
    if (end == std::string_view::npos) break;
    // A second begin line before the end means the first block is broken.
    const size_t nextBegin = pem.find(kBegin, bodyStart);
    if (nextBegin != std::string_view::npos && nextBegin < end) {
      at = nextBegin;
      continue;
    }
    std::string body = CompactBody(pem.substr(bodyStart, end - bodyStart));
    if (!body.empty()) bodies.push_back(std::move(body));
    at = pem.find(kBegin, end + kEnd.size());
  }
  return bodies;
}

std::string EncodeBase64(const unsigned char* bytes, size_t size) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((size + 2) / 3 * 4);
  for (size_t at = 0; at < size; at += 3) {
    const size_t left = size - at;
    const unsigned group = (unsigned{bytes[at]} << 16) | (left > 1 ? unsigned{bytes[at + 1]} << 8 : 0u) |
                           (left > 2 ? unsigned{bytes[at + 2]} : 0u);
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text += left > 2 ? kAlphabet[group & 63] : '=';
  }
  return text;
}

bool TrustAnchorSet::Add(const std::string& base64Body) {
  if (base64Body.empty() || !seen_.insert(base64Body).second) return false;
  pem_ += kBegin;
  pem_ += '\n';
  for (size_t line = 0; line < base64Body.size(); line += kLineLength) {
    pem_.append(base64Body, line, std::min(kLineLength, base64Body.size() - line));
    pem_ += '\n';
  }
  pem_ += kEnd;
  pem_ += '\n';
  return true;
}

bool TrustAnchorSet::AddDer(const unsigned char* der, size_t size) { return Add(EncodeBase64(der, size)); }

size_t TrustAnchorSet::AddPem(std::string_view pem) {
  size_t added = 0;
  for (const std::string& body : PemCertificateBodies(pem)) {
    if (Add(body)) ++added;
  }
  return added;
}

}  // namespace vigilor::acquisition
