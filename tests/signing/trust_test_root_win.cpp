// SPDX-License-Identifier: MIT
// Makes the Wine prefix trust the signature tests' root the way a Windows
// machine would, through the machine's "Root" certificate store (its registry
// part), or removes it again:
//   TrustTestRoot add|remove ROOT.der
// Exit code 0 on success (removing a root that is not there succeeds too).
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <vector>

#include "foundation/files.h"

namespace {

struct StoreCloser {
  void operator()(void* store) const { CertCloseStore(store, 0); }
};
struct CertificateFreer {
  void operator()(const CERT_CONTEXT* certificate) const { CertFreeCertificateContext(certificate); }
};
using OwnedStore = std::unique_ptr<void, StoreCloser>;
using OwnedCertificate = std::unique_ptr<const CERT_CONTEXT, CertificateFreer>;

bool Add(HCERTSTORE store, const std::vector<uint8_t>& der) {
  return CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
}

bool Remove(HCERTSTORE store, const std::vector<uint8_t>& der) {
  const OwnedCertificate wanted(
      CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
  if (!wanted) return false;
  const CERT_CONTEXT* found =
      CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted.get(), nullptr);
  // Deleting frees the context, also on failure.
  return found == nullptr || CertDeleteCertificateFromStore(found);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool add = argc == 3 && std::wcscmp(argv[1], L"add") == 0;
  const bool remove = argc == 3 && std::wcscmp(argv[1], L"remove") == 0;
  if (!add && !remove) {
    std::fprintf(stderr, "usage: TrustTestRoot add|remove ROOT.der\n");
    return 2;
  }
  std::vector<uint8_t> der;
  if (!vigilor::ReadWholeFile(std::wstring(argv[2]), der)) {
    std::fprintf(stderr, "cannot read %ls\n", argv[2]);
    return 1;
  }
  // The registry provider, not the system one: Wine's system "Root" store
  // forgets deletions when it is closed.
  const OwnedStore store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  if (!store) {
    std::fprintf(stderr, "cannot open the machine's Root store (error %lu)\n", GetLastError());
    return 1;
  }
  if (!(add ? Add(store.get(), der) : Remove(store.get(), der))) {
    std::fprintf(stderr, "cannot %ls the root (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  return 0;
}
