// SPDX-License-Identifier: MIT
// The system's trust provider and certificate functions behind the module's
// signature check. They are not linked: they are loaded at run time from the
// system directory, so that a system without them still runs the bootstrapper
// (the check is then skipped, see signature_check_win.h). Windows only.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

#include "acquisition/signature_policy.h"
#include "foundation/scoped_handle_win.h"

namespace vigilor::acquisition {

// One complete set of trust functions. The table owns the two libraries, so
// the function pointers stay valid for as long as the table lives.
struct TrustFunctions {
  ScopedLibrary wintrust;
  ScopedLibrary crypt32;
  // wintrust.dll
  decltype(&::WinVerifyTrust) winVerifyTrust = nullptr;
  decltype(&::WTHelperProvDataFromStateData) provDataFromStateData = nullptr;
  decltype(&::WTHelperGetProvSignerFromChain) provSignerFromChain = nullptr;
  // crypt32.dll
  decltype(&::CryptDecodeObject) cryptDecodeObject = nullptr;
  decltype(&::CryptQueryObject) cryptQueryObject = nullptr;
  decltype(&::CryptMsgGetParam) cryptMsgGetParam = nullptr;
  decltype(&::CertEnumCertificatesInStore) certEnumCertificatesInStore = nullptr;
  decltype(&::CertFindCertificateInStore) certFindCertificateInStore = nullptr;
  decltype(&::CertGetNameStringW) certGetNameStringW = nullptr;
  decltype(&::CertFreeCertificateContext) certFreeCertificateContext = nullptr;
  decltype(&::CertOpenSystemStoreW) certOpenSystemStoreW = nullptr;
  decltype(&::CertCloseStore) certCloseStore = nullptr;
  decltype(&::CryptMsgClose) cryptMsgClose = nullptr;
};

// Loads "wintrust.dll" and "crypt32.dll" by their full paths in directory
// (which ends with a separator) and looks every function up. False at the
// first library or function missing; table is then left empty and nothing
// stays loaded. Any thread.
bool LoadTrustFunctionsFrom(const std::wstring& directory, TrustFunctions& table);

// The process-wide table, loaded from the system directory by the first call
// that finds everything and then kept, never released. Null while the
// functions are unavailable; every such call tries again. Any thread.
const TrustFunctions* LoadTrustFunctions();

// Asks the trust provider about the Authenticode signature of the file at
// path (Accepted or Rejected). FunctionsUnavailable when trust is null,
// FileMissing when no file is at path. Accepted also needs the signer's chain
// to end in a trusted root (IsChainAnchored): Wine's provider accepts
// signatures whose issuer is unknown or whose root is not trusted, so the
// chain it built is checked here as well. Any thread.
TrustVerdict VerifyFileTrust(const TrustFunctions* trust, const std::wstring& path);
// The same with the process-wide table.
TrustVerdict VerifyFileTrust(const std::wstring& path);

// The simple display name of the certificate that signed the file's embedded
// signature, found in the signature's own certificate store by the signer's
// issuer and serial number; at most kMaxSignerNameLength code units, with the
// length the certificate gives (an embedded NUL is kept). False, with name
// empty, when the file has no embedded signature, the signer's certificate is
// not in the signature, or a call fails. Does not judge the signature. Any
// thread.
bool GetSignerName(const TrustFunctions& trust, const std::wstring& path, std::u16string& name);

}  // namespace vigilor::acquisition
