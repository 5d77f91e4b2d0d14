// SPDX-License-Identifier: MIT
// Proxy candidates for HttpSession: building the list from the user's
// Internet settings and from WinHTTP's automatic discovery, and the order of
// connect timeouts with which the candidates are tried. Pure logic; the
// Windows calls that supply the texts live in proxy_discovery_win.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vigilor::acquisition {

struct ProxyCandidate {
  std::string proxy;   // proxy URL for libcurl, UTF-8
  std::string bypass;  // hosts that go direct, comma-separated; may be empty

  bool operator==(const ProxyCandidate&) const = default;
};

// Connect timeout a session starts with.
inline constexpr std::int32_t kDefaultConnectTimeoutMs = 300000;

// Windows separates bypass entries with ';', libcurl with ','.
std::string ToCurlBypassList(const std::string& windowsList);

// Candidates from the user's manual proxy text. A per-scheme list
// ("http=h:80;https=h:443;socks=h:1080") gives the entry for the request
// URL's scheme, else the four socks variants, else the whole text; a plain
// "host:port" is taken as it is. Empty proxy text gives no candidate.
std::vector<ProxyCandidate> ManualProxyCandidates(const std::string& url, const std::string& proxyText,
                                                  const std::string& bypassText);

// Candidates from an automatic discovery answer: every non-empty entry of the
// ';'-separated proxy list, in order, each with the same bypass list.
std::vector<ProxyCandidate> AutomaticProxyCandidates(const std::string& proxyList, const std::string& bypassText);

// Connect timeout for the first proxy after a failed direct attempt; every
// later proxy gets half of it.
std::int32_t FirstProxyConnectTimeoutMs(std::int32_t baseMs);
inline std::int32_t LaterProxyConnectTimeoutMs(std::int32_t firstMs) { return firstMs / 2; }

enum class ProxyAttemptResult {
  Succeeded,
  Failed,  // try the next candidate
  Final,   // failed in a way no other route can mend (cancelled, body too large)
};

// What TryProxyCandidates drives; HttpSession implements it on its handle.
class ProxyAttemptTarget {
 public:
  virtual ~ProxyAttemptTarget() = default;
  // Sets the connect timeout on the handle and remembers it.
  virtual void SetConnectTimeoutMs(std::int32_t ms) = 0;
  virtual void SetNoProxy(const std::string& hosts) = 0;
  virtual void SetProxy(const std::string& url) = 0;
  // One transfer through the proxy set last.
  virtual ProxyAttemptResult PerformAttempt() = 0;
};

// Tries the candidates in order until one succeeds or fails finally, with the
// shortened connect timeouts above, then restores baseMs. Answers whether the
// last attempt succeeded; an empty list changes nothing and answers false.
bool TryProxyCandidates(const std::vector<ProxyCandidate>& candidates, std::int32_t baseMs,
                        ProxyAttemptTarget& target);

}  // namespace vigilor::acquisition
