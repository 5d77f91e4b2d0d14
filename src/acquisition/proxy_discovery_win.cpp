// SPDX-License-Identifier: MIT
#include "acquisition/proxy_discovery_win.h"

#include <utility>

#include "foundation/unicode.h"

namespace vigilor::acquisition {
namespace {

// Strings WinHTTP allocates for its caller, freed with GlobalFree.
class ScopedWinHttpString {
 public:
  explicit ScopedWinHttpString(LPWSTR text) : text_(text) {}
  ~ScopedWinHttpString() {
    if (text_) GlobalFree(text_);
  }
  ScopedWinHttpString(const ScopedWinHttpString&) = delete;
  ScopedWinHttpString& operator=(const ScopedWinHttpString&) = delete;

  std::string Utf8() const { return text_ ? WideToUtf8(text_) : std::string(); }

 private:
  LPWSTR text_;
};

// A WinHTTP session handle; the close function comes from the loaded library.
class ScopedWinHttpHandle {
 public:
  ScopedWinHttpHandle(HINTERNET handle, decltype(&::WinHttpCloseHandle) close) : handle_(handle), close_(close) {}
  ~ScopedWinHttpHandle() {
    if (handle_ && close_) close_(handle_);
  }
  ScopedWinHttpHandle(const ScopedWinHttpHandle&) = delete;
  ScopedWinHttpHandle& operator=(const ScopedWinHttpHandle&) = delete;

  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
  decltype(&::WinHttpCloseHandle) close_;
};

template <typename Function>
void LookUp(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void Prepend(std::vector<ProxyCandidate>& list, std::vector<ProxyCandidate> front) {
  list.insert(list.begin(), std::make_move_iterator(front.begin()), std::make_move_iterator(front.end()));
}

}  // namespace

bool WinHttpProxyDiscovery::Load() {
  if (loadTried_) return library_.valid();
  loadTried_ = true;
  // Only the system's copy: a winhttp.dll beside the game must not be loaded.
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  library_.reset(LoadLibraryW((std::wstring(system, length) + L"\\winhttp.dll").c_str()));
  if (!library_) return false;
  LookUp(library_.get(), "WinHttpOpen", open_);
  LookUp(library_.get(), "WinHttpGetProxyForUrl", getProxyForUrl_);
  LookUp(library_.get(), "WinHttpGetIEProxyConfigForCurrentUser", getUserSettings_);
  LookUp(library_.get(), "WinHttpCloseHandle", closeHandle_);
  return true;
}

std::vector<ProxyCandidate> WinHttpProxyDiscovery::Discover(const std::string& url) {
  std::vector<ProxyCandidate> list;
  if (!Load()) return list;

  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG settings = {};
  if (getUserSettings_ && getUserSettings_(&settings)) {
    const ScopedWinHttpString proxy(settings.lpszProxy);
    const ScopedWinHttpString bypass(settings.lpszProxyBypass);
    const ScopedWinHttpString scriptUrl(settings.lpszAutoConfigUrl);
    Prepend(list, ManualProxyCandidates(url, proxy.Utf8(), bypass.Utf8()));
    Prepend(list, Automatic(url, &settings));
  } else {
    Prepend(list, Automatic(url, nullptr));
  }
  return list;
}

HINTERNET WinHttpProxyDiscovery::OpenSession() {
  HINTERNET session =
      open_(nullptr, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  // Systems before Windows 8.1 know no automatic access type.
  if (!session) {
    session = open_(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  }
  return session;
}

std::vector<ProxyCandidate> WinHttpProxyDiscovery::Automatic(const std::string& url,
                                                             const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* settings) {
  if (!open_ || !getProxyForUrl_) return {};
  const ScopedWinHttpHandle session(OpenSession(), closeHandle_);
  if (!session.get()) return {};

  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.fAutoLogonIfChallenged = TRUE;
  if (!settings || settings->fAutoDetect) {
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (settings && settings->lpszAutoConfigUrl) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = settings->lpszAutoConfigUrl;
  }
  if (options.dwFlags == 0) return {};  // the user turned discovery off

  WINHTTP_PROXY_INFO answer = {};
  const std::wstring wideUrl = Utf8ToWide(url);
  const BOOL found = getProxyForUrl_(session.get(), wideUrl.c_str(), &options, &answer);
  const ScopedWinHttpString proxy(found ? answer.lpszProxy : nullptr);
  const ScopedWinHttpString bypass(found ? answer.lpszProxyBypass : nullptr);
  if (!found || answer.dwAccessType == WINHTTP_ACCESS_TYPE_NO_PROXY) return {};
  return AutomaticProxyCandidates(proxy.Utf8(), bypass.Utf8());
}

}  // namespace vigilor::acquisition
