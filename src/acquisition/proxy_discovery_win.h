// SPDX-License-Identifier: MIT
// The system's proxies for a URL, through WinHTTP loaded at run time from the
// system directory: the current user's Internet settings, then automatic
// discovery (WPAD through DHCP and DNS, or the settings' configuration
// script). A missing library or function only means fewer candidates.
// One thread at a time; the library stays loaded until destruction.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>
#include <vector>

#include "acquisition/proxy_candidates.h"
#include "foundation/scoped_handle_win.h"

namespace vigilor::acquisition {

class WinHttpProxyDiscovery {
 public:
  WinHttpProxyDiscovery() = default;
  WinHttpProxyDiscovery(const WinHttpProxyDiscovery&) = delete;
  WinHttpProxyDiscovery& operator=(const WinHttpProxyDiscovery&) = delete;

  // Automatic candidates first, then the manual ones; empty when WinHTTP is
  // missing or knows no proxy for url.
  std::vector<ProxyCandidate> Discover(const std::string& url);

 private:
  bool Load();
  HINTERNET OpenSession();
  std::vector<ProxyCandidate> Automatic(const std::string& url, const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* settings);

  ScopedLibrary library_;
  bool loadTried_ = false;
  decltype(&::WinHttpOpen) open_ = nullptr;
  decltype(&::WinHttpGetProxyForUrl) getProxyForUrl_ = nullptr;
  decltype(&::WinHttpGetIEProxyConfigForCurrentUser) getUserSettings_ = nullptr;
  decltype(&::WinHttpCloseHandle) closeHandle_ = nullptr;
};

}  // namespace vigilor::acquisition
