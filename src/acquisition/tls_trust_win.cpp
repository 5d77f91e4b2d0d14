// SPDX-License-Identifier: MIT
#include "acquisition/tls_trust.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "acquisition/trust_anchor_set.h"
#include "foundation/files.h"
#include "foundation/scoped_handle_win.h"
#include "wine/wine_detection.h"

namespace vigilor::acquisition {
namespace {

// The registry-backed parts of the "ROOT" system store.
struct RegistryRootStore {
  HKEY hive;
  const wchar_t* path;
};
const RegistryRootStore kRegistryRootStores[] = {
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\SystemCertificates\\Root"},
    {HKEY_LOCAL_MACHINE, L"Software\\Policies\\Microsoft\\SystemCertificates\\Root"},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\EnterpriseCertificates\\Root"},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\SystemCertificates\\Root"},
    {HKEY_CURRENT_USER, L"Software\\Policies\\Microsoft\\SystemCertificates\\Root"},
};

// The host's CA bundles that Wine itself imports into "ROOT", by distribution
// family; Z: is the host's root directory in a default prefix.
constexpr const char* kHostBundlePaths[] = {
    "Z:\\etc\\ssl\\certs\\ca-certificates.crt",     // Debian, Ubuntu, Arch, Gentoo
    "Z:\\etc\\pki\\tls\\certs\\ca-bundle.crt",      // Fedora, RHEL
    "Z:\\etc\\ssl\\ca-bundle.pem",                  // openSUSE
    "Z:\\usr\\share\\ca-certificates\\ca-bundle.crt",
    "Z:\\etc\\ssl\\cert.pem",                       // Alpine, BSD, macOS
};
// Far above any real bundle (about 200 KiB), below libcurl's input limit.
constexpr std::uint64_t kHostBundleLimit = 4 * 1024 * 1024;

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { RegCloseKey(handle); }
};
struct CertStoreTraits {
  using Handle = HCERTSTORE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { CertCloseStore(handle, 0); }
};
struct CertContextTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { CertFreeCertificateContext(handle); }
};
using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;
using ScopedCertStore = ScopedHandle<CertStoreTraits>;
using ScopedCertContext = ScopedHandle<CertContextTraits>;

void AddStore(HCERTSTORE store, TrustAnchorSet& anchors) {
  PCCERT_CONTEXT certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
    if (certificate->dwCertEncodingType & X509_ASN_ENCODING) {
      anchors.AddDer(certificate->pbCertEncoded, certificate->cbCertEncoded);
    }
  }
}

// Upper-case hex SHA-1 of a certificate, as the registry stores name it.
std::wstring Thumbprint(PCCERT_CONTEXT certificate) {
  BYTE hash[20] = {};
  DWORD size = sizeof hash;
  if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &size)) return {};
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  for (DWORD i = 0; i < size; ++i) {
    text += kDigits[hash[i] >> 4];
    text += kDigits[hash[i] & 15];
  }
  return text;
}

// A PEM body as a certificate, or none when it is not one.
ScopedCertContext DecodeCertificate(const std::string& body) {
  DWORD size = 0;
  const DWORD length = static_cast<DWORD>(body.size());
  if (!CryptStringToBinaryA(body.data(), length, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr)) return {};
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(body.data(), length, CRYPT_STRING_BASE64, der.data(), &size, nullptr, nullptr)) return {};
  return ScopedCertContext(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size));
}

// Answers whether any bundle could be read; `known` gets the thumbprints.
// Only blocks that decode as certificates are taken: libcurl refuses the
// whole set when a single one does not.
bool AddHostBundles(TrustAnchorSet& anchors, std::set<std::wstring>& known) {
  bool found = false;
  for (const char* path : kHostBundlePaths) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kHostBundleLimit)) continue;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (const std::string& body : PemCertificateBodies(text)) {
      const ScopedCertContext certificate = DecodeCertificate(body);
      if (!certificate) continue;
      found = true;
      if (anchors.AddDer(certificate.get()->pbCertEncoded, certificate.get()->cbCertEncoded)) {
        known.insert(Thumbprint(certificate.get()));
      }
    }
  }
  return found;
}

// The certificate a registry store keeps under one thumbprint: the "Blob"
// value holds it serialized with its properties.
void AddRegistryCertificate(HKEY certificates, const wchar_t* thumbprint, HCERTSTORE scratch,
                            TrustAnchorSet& anchors) {
  DWORD size = 0;
  if (RegGetValueW(certificates, thumbprint, L"Blob", RRF_RT_REG_BINARY, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return;
  }
  std::vector<BYTE> blob(size);
  if (RegGetValueW(certificates, thumbprint, L"Blob", RRF_RT_REG_BINARY, nullptr, blob.data(), &size) !=
      ERROR_SUCCESS) {
    return;
  }
  PCCERT_CONTEXT certificate = nullptr;
  if (CertAddSerializedElementToStore(scratch, blob.data(), size, CERT_STORE_ADD_ALWAYS, 0,
                                      CERT_STORE_CERTIFICATE_CONTEXT_FLAG, nullptr,
                                      reinterpret_cast<const void**>(&certificate)) &&
      certificate != nullptr) {
    anchors.AddDer(certificate->pbCertEncoded, certificate->cbCertEncoded);
    CertFreeCertificateContext(certificate);
  }
}

// The roots administrators, policies and tools add, read from the registry
// directly: opening the "ROOT" system store instead makes Wine re-import and
// check every host certificate, in every process (about 0.2 s). Wine also
// keeps its own copies of the host's roots there; reading each costs a few
// server round trips, so those already taken from the bundles are skipped
// by name.
void AddRegistryRootStores(TrustAnchorSet& anchors, const std::set<std::wstring>& known) {
  ScopedCertStore scratch(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  if (!scratch) return;
  for (const RegistryRootStore& source : kRegistryRootStores) {
    HKEY raw = nullptr;
    const std::wstring path = std::wstring(source.path) + L"\\Certificates";
    if (RegOpenKeyExW(source.hive, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) continue;
    ScopedRegistryKey certificates(raw);
    wchar_t name[MAX_PATH];
    for (DWORD index = 0;; ++index) {
      DWORD length = MAX_PATH;
      const LSTATUS status = RegEnumKeyExW(certificates.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) continue;  // not a thumbprint
      if (status != ERROR_SUCCESS) break;
      if (known.count(CharUpperW(name)) == 0) AddRegistryCertificate(certificates.get(), name, scratch.get(), anchors);
    }
  }
}

// The whole system store, host roots included: slow under Wine, so only for
// prefixes that cannot see the host's bundles.
void AddSystemRootStore(TrustAnchorSet& anchors) {
  ScopedCertStore store(CertOpenSystemStoreW(0, L"ROOT"));
  if (store) AddStore(store.get(), anchors);
}

std::string LoadTrustAnchors() {
  TrustAnchorSet anchors;
  std::set<std::wstring> known;
  if (AddHostBundles(anchors, known)) {
    AddRegistryRootStores(anchors, known);
  } else {
    AddSystemRootStore(anchors);
  }
  return anchors.pem();
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
