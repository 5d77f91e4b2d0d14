// SPDX-License-Identifier: MIT
// GetSignerName: the signer's display name from a file's embedded signature.
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "acquisition/signature_trust_win.h"

namespace vigilor::acquisition {
namespace {

// Owners of what the certificate functions hand out; they close through the
// table the object came from.
struct StoreCloser {
  decltype(&::CertCloseStore) close;
  void operator()(void* store) const { close(store, 0); }
};
struct MessageCloser {
  decltype(&::CryptMsgClose) close;
  void operator()(void* message) const { close(message); }
};
struct CertificateFreer {
  decltype(&::CertFreeCertificateContext) free;
  void operator()(const CERT_CONTEXT* certificate) const { free(certificate); }
};
using OwnedStore = std::unique_ptr<void, StoreCloser>;
using OwnedMessage = std::unique_ptr<void, MessageCloser>;
using OwnedCertificate = std::unique_ptr<const CERT_CONTEXT, CertificateFreer>;

constexpr DWORD kEncodings = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// The signed message embedded in the file and the certificates it carries.
bool OpenEmbeddedSignature(const TrustFunctions& trust, const std::wstring& path, OwnedStore& store,
                           OwnedMessage& message) {
  DWORD encoding = 0;
  DWORD contentType = 0;
  DWORD formatType = 0;
  HCERTSTORE rawStore = nullptr;
  HCRYPTMSG rawMessage = nullptr;
  const BOOL found = trust.cryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(),
                                            CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                                            CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType,
                                            &rawStore, &rawMessage, nullptr);
  store = OwnedStore(rawStore, StoreCloser{trust.certCloseStore});
  message = OwnedMessage(rawMessage, MessageCloser{trust.cryptMsgClose});
  return found && store && message;
}

// The first signer's information, in a zeroed buffer of the size the message
// asks for (whole words, so the structure is aligned).
const CMSG_SIGNER_INFO* ReadSignerInfo(const TrustFunctions& trust, HCRYPTMSG message,
                                       std::vector<std::uint64_t>& buffer) {
  DWORD size = 0;
  if (!trust.cryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size < sizeof(CMSG_SIGNER_INFO)) {
    return nullptr;
  }
  buffer.assign((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t), 0);
  if (!trust.cryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, buffer.data(), &size)) return nullptr;
  return reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());
}

OwnedCertificate FindSignerCertificate(const TrustFunctions& trust, HCERTSTORE store, const CMSG_SIGNER_INFO& signer) {
  CERT_INFO wanted{};
  wanted.Issuer = signer.Issuer;
  wanted.SerialNumber = signer.SerialNumber;
  return OwnedCertificate(
      trust.certFindCertificateInStore(store, kEncodings, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr),
      CertificateFreer{trust.certFreeCertificateContext});
}

// The length the call reports is kept, so a NUL inside the name stays in it.
bool ReadDisplayName(const TrustFunctions& trust, const CERT_CONTEXT* certificate, std::u16string& name) {
  const DWORD needed = trust.certGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (needed == 0) return false;
  std::vector<wchar_t> buffer(needed, L'\0');
  const DWORD written =
      trust.certGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, buffer.data(), needed);
  if (written == 0 || written > needed) return false;
  const std::size_t length = std::min<std::size_t>(written - 1, kMaxSignerNameLength);  // without the terminator
  name.assign(reinterpret_cast<const char16_t*>(buffer.data()), length);
  return true;
}

}  // namespace

bool GetSignerName(const TrustFunctions& trust, const std::wstring& path, std::u16string& name) {
  name.clear();
  OwnedStore store(nullptr, StoreCloser{trust.certCloseStore});
  OwnedMessage message(nullptr, MessageCloser{trust.cryptMsgClose});
  if (!OpenEmbeddedSignature(trust, path, store, message)) return false;
  std::vector<std::uint64_t> signerBuffer;
  const CMSG_SIGNER_INFO* signer = ReadSignerInfo(trust, message.get(), signerBuffer);
  if (signer == nullptr) return false;
  const OwnedCertificate certificate = FindSignerCertificate(trust, store.get(), *signer);
  if (!certificate) return false;
  std::u16string found;
  if (!ReadDisplayName(trust, certificate.get(), found)) return false;
  name = std::move(found);
  return true;
}

}  // namespace vigilor::acquisition
