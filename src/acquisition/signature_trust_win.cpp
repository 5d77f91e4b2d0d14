// SPDX-License-Identifier: MIT
#include "acquisition/signature_trust_win.h"

#include <softpub.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/files.h"
#include "foundation/logger.h"

namespace vigilor::acquisition {

static_assert(kChainRevoked == CERT_TRUST_IS_REVOKED);
static_assert(kChainSignatureInvalid == CERT_TRUST_IS_NOT_SIGNATURE_VALID);
static_assert(kChainUntrustedRoot == CERT_TRUST_IS_UNTRUSTED_ROOT);
static_assert(kChainCyclic == CERT_TRUST_IS_CYCLIC);
static_assert(kChainPartial == CERT_TRUST_IS_PARTIAL_CHAIN);
static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

constexpr DWORD kProviderFlags = WTD_REVOCATION_CHECK_NONE | WTD_SAFER_FLAG | WTD_CACHE_ONLY_URL_RETRIEVAL;
static_assert(kProviderFlags == 0x1110);

template <typename Function>
bool Find(HMODULE library, const char* name, Function& function) {
  // Through void*: GetProcAddress's generic type does not convert directly.
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

bool FindWintrustFunctions(TrustFunctions& t) {
  const HMODULE m = t.wintrust.get();
  return Find(m, "WinVerifyTrust", t.winVerifyTrust) &&
         Find(m, "WTHelperProvDataFromStateData", t.provDataFromStateData) &&
         Find(m, "WTHelperGetProvSignerFromChain", t.provSignerFromChain);
}

bool FindCrypt32Functions(TrustFunctions& t) {
  const HMODULE m = t.crypt32.get();
  return Find(m, "CryptDecodeObject", t.cryptDecodeObject) && Find(m, "CryptQueryObject", t.cryptQueryObject) &&
         Find(m, "CryptMsgGetParam", t.cryptMsgGetParam) &&
         Find(m, "CertEnumCertificatesInStore", t.certEnumCertificatesInStore) &&
         Find(m, "CertFindCertificateInStore", t.certFindCertificateInStore) &&
         Find(m, "CertGetNameStringW", t.certGetNameStringW) &&
         Find(m, "CertFreeCertificateContext", t.certFreeCertificateContext) &&
         Find(m, "CertOpenSystemStoreW", t.certOpenSystemStoreW) && Find(m, "CertCloseStore", t.certCloseStore) &&
         Find(m, "CryptMsgClose", t.cryptMsgClose);
}

// The system directory with a separator; false when it cannot be read whole.
bool SystemDirectory(std::wstring& directory) {
  wchar_t buffer[MAX_PATH + 1];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return false;
  directory.assign(buffer, length);
  if (directory.back() != L'\\') directory += L'\\';
  return true;
}

// Closes the provider's state of one verification, whatever its verdict.
class ProviderStateCloser {
 public:
  ProviderStateCloser(const TrustFunctions& trust, GUID& action, WINTRUST_DATA& data)
      : trust_(trust), action_(action), data_(data) {}
  ~ProviderStateCloser() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    trust_.winVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  ProviderStateCloser(const ProviderStateCloser&) = delete;
  ProviderStateCloser& operator=(const ProviderStateCloser&) = delete;

 private:
  const TrustFunctions& trust_;
  GUID& action_;
  WINTRUST_DATA& data_;
};

// The chain the provider built for the primary signer must end in a trusted
// root; a provider that accepted without building one is not believed.
bool IsSignerChainAnchored(const TrustFunctions& trust, HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = trust.provDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? trust.provSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (signer == nullptr || signer->pChainContext == nullptr) {
    Log(LogLevel::Warning, "Code signature accepted without a signer chain.");
    return false;
  }
  const DWORD status = signer->pChainContext->TrustStatus.dwErrorStatus;
  if (IsChainAnchored(status)) return true;
  Log(LogLevel::Warning, "Code signature chain does not end in a trusted root (chain status 0x%08lX).",
      static_cast<unsigned long>(status));
  return false;
}

}  // namespace

bool LoadTrustFunctionsFrom(const std::wstring& directory, TrustFunctions& table) {
  TrustFunctions loaded;
  loaded.wintrust.reset(LoadLibraryW((directory + L"wintrust.dll").c_str()));
  loaded.crypt32.reset(LoadLibraryW((directory + L"crypt32.dll").c_str()));
  if (!loaded.wintrust || !loaded.crypt32 || !FindWintrustFunctions(loaded) || !FindCrypt32Functions(loaded)) {
    table = TrustFunctions{};
    return false;
  }
  table = std::move(loaded);
  return true;
}

const TrustFunctions* LoadTrustFunctions() {
  static std::mutex mutex;
  // Never destroyed: a table in use must not lose its libraries at exit.
  static TrustFunctions* ready = nullptr;
  const std::lock_guard<std::mutex> lock(mutex);
  if (ready != nullptr) return ready;
  std::wstring directory;
  auto table = std::make_unique<TrustFunctions>();
  if (!SystemDirectory(directory) || !LoadTrustFunctionsFrom(directory, *table)) return nullptr;
  ready = table.release();
  return ready;
}

TrustVerdict VerifyFileTrust(const TrustFunctions* trust, const std::wstring& path) {
  if (trust == nullptr) return TrustVerdict::FunctionsUnavailable;
  if (!FileExists(path)) return TrustVerdict::FileMissing;

  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = kProviderFlags;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;

  const ProviderStateCloser closer(*trust, action, data);
  const LONG result = trust->winVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (result != 0) {
    Log(LogLevel::Info, "Code signature rejected by the trust provider: 0x%08lX.", static_cast<unsigned long>(result));
    return TrustVerdict::Rejected;
  }
  return IsSignerChainAnchored(*trust, data.hWVTStateData) ? TrustVerdict::Accepted : TrustVerdict::Rejected;
}

TrustVerdict VerifyFileTrust(const std::wstring& path) { return VerifyFileTrust(LoadTrustFunctions(), path); }

}  // namespace vigilor::acquisition
