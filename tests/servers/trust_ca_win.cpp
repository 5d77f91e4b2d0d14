// SPDX-License-Identifier: MIT
// Test fixture: trust-ca.exe [--remove] <pem file>
// Adds every certificate of a PEM file to the machine's Root store of the
// current (Wine) prefix, or removes it again with --remove. Tests use it to
// trust their own test CA the way a real machine trusts its roots, so that the
// product's verification never needs a weaker setting. Prints one line per
// certificate; exit code 0 on success, 1 on any failure, 2 on bad usage.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr char kBegin[] = "-----BEGIN CERTIFICATE-----";
constexpr char kEnd[] = "-----END CERTIFICATE-----";

bool ReadText(const wchar_t* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

// The DER bytes of every PEM certificate block in text, in order.
std::vector<std::vector<BYTE>> DecodePemCertificates(const std::string& text) {
  std::vector<std::vector<BYTE>> certificates;
  size_t position = 0;
  while ((position = text.find(kBegin, position)) != std::string::npos) {
    const size_t end = text.find(kEnd, position);
    if (end == std::string::npos) break;
    const std::string block = text.substr(position, end + sizeof(kEnd) - 1 - position);
    DWORD size = 0;
    if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                             nullptr, &size, nullptr, nullptr)) {
      std::vector<BYTE> der(size);
      if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                               der.data(), &size, nullptr, nullptr)) {
        der.resize(size);
        certificates.push_back(std::move(der));
      }
    }
    position = end + sizeof(kEnd) - 1;
  }
  return certificates;
}

bool RemoveFromStore(HCERTSTORE store, const std::vector<BYTE>& der) {
  PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
  if (!wanted) return false;
  PCCERT_CONTEXT found =
      CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
  CertFreeCertificateContext(wanted);
  if (!found) return true;  // nothing to remove
  return CertDeleteCertificateFromStore(found) != FALSE;  // frees found
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool remove = argc == 3 && std::wstring(argv[1]) == L"--remove";
  if (argc != 2 && !remove) {
    std::fprintf(stderr, "usage: trust-ca.exe [--remove] <pem file>\n");
    return 2;
  }
  const wchar_t* path = argv[argc - 1];
  std::string text;
  if (!ReadText(path, text)) {
    std::fprintf(stderr, "trust-ca: cannot read %ls\n", path);
    return 1;
  }
  const std::vector<std::vector<BYTE>> certificates = DecodePemCertificates(text);
  if (certificates.empty()) {
    std::fprintf(stderr, "trust-ca: no certificate in %ls\n", path);
    return 1;
  }
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!store) {
    std::fprintf(stderr, "trust-ca: cannot open the Root store (error %lu)\n", GetLastError());
    return 1;
  }
  int status = 0;
  for (const std::vector<BYTE>& der : certificates) {
    const bool ok = remove ? RemoveFromStore(store, der)
                           : CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                              static_cast<DWORD>(der.size()),
                                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    std::printf("trust-ca: %s certificate of %zu bytes: %s\n", remove ? "removing" : "adding", der.size(),
                ok ? "done" : "failed");
    if (!ok) status = 1;
  }
  CertCloseStore(store, 0);
  return status;
}
