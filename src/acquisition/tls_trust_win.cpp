// SPDX-License-Identifier: MIT
#include "acquisition/tls_trust.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <vector>

#include "foundation/files.h"
#include "wine/wine_detection.h"

namespace vigilor::acquisition {
namespace {

constexpr char kHostBundlePath[] = "Z:\\etc\\ssl\\certs\\ca-certificates.crt";
// Far above any real bundle (about 200 KiB), below libcurl's input limit.
constexpr std::uint64_t kHostBundleLimit = 4 * 1024 * 1024;
constexpr char kPemBegin[] = "-----BEGIN CERTIFICATE-----";

bool AppendPem(const CERT_CONTEXT& certificate, std::string& pem) {
  DWORD size = 0;
  const DWORD flags = CRYPT_STRING_BASE64HEADER;
  if (!CryptBinaryToStringA(certificate.pbCertEncoded, certificate.cbCertEncoded, flags, nullptr, &size)) {
    return false;
  }
  std::string text(size, '\0');
  if (!CryptBinaryToStringA(certificate.pbCertEncoded, certificate.cbCertEncoded, flags, text.data(), &size)) {
    return false;
  }
  text.resize(size);  // the second call answers the length without the terminator
  pem += text;
  return true;
}

std::string RootStorePem() {
  std::string pem;
  HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
  if (!store) return pem;
  PCCERT_CONTEXT certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
    if (certificate->dwCertEncodingType & X509_ASN_ENCODING) AppendPem(*certificate, pem);
  }
  CertCloseStore(store, 0);
  return pem;
}

std::string HostBundlePem() {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(kHostBundlePath, bytes, kHostBundleLimit)) return {};
  return std::string(bytes.begin(), bytes.end());
}

std::string LoadTrustAnchors() {
  std::string pem = RootStorePem();
  if (pem.find(kPemBegin) == std::string::npos) pem = HostBundlePem();
  return pem;
}

}  // namespace

TlsTrustSource CurrentTlsTrustSource() {
  return wine::IsRunningUnderWine() ? TlsTrustSource::ExplicitAnchors : TlsTrustSource::SystemValidation;
}

const std::string& ExplicitTrustAnchorsPem() {
  // Never freed: libcurl handles refer to it without a copy until exit.
  static const std::string* const anchors = new std::string(LoadTrustAnchors());
  return *anchors;
}

}  // namespace vigilor::acquisition
