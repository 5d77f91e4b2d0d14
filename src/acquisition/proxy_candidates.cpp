// SPDX-License-Identifier: MIT
#include "acquisition/proxy_candidates.h"

#include <algorithm>

namespace vigilor::acquisition {
namespace {

// Below this base the first proxy would get less than 5 s; it gets 5 s then.
constexpr std::int32_t kShortBaseLimitMs = 25005;
constexpr std::int32_t kMinimumFirstProxyTimeoutMs = 5000;

// The value of "scheme=value" in a per-scheme list: found by plain substring
// search, running to the next ';' or the end.
bool FindSchemeEntry(const std::string& list, const std::string& scheme, std::string& value) {
  const std::string key = scheme + "=";
  const size_t at = list.find(key);
  if (at == std::string::npos) return false;
  const size_t start = at + key.size();
  const size_t end = list.find(';', start);
  value = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return true;
}

std::vector<std::string> PerSchemeProxies(const std::string& url, const std::string& list) {
  const std::string scheme = url.rfind("https://", 0) == 0 ? "https" : "http";
  std::string value;
  if (FindSchemeEntry(list, scheme, value)) return {scheme + "://" + value};
  if (FindSchemeEntry(list, "socks", value)) {
    return {"socks5://" + value, "socks5h://" + value, "socks4://" + value, "socks4a://" + value};
  }
  return {list};
}

}  // namespace

std::string ToCurlBypassList(const std::string& windowsList) {
  std::string list = windowsList;
  std::replace(list.begin(), list.end(), ';', ',');
  return list;
}

std::vector<ProxyCandidate> ManualProxyCandidates(const std::string& url, const std::string& proxyText,
                                                  const std::string& bypassText) {
  if (proxyText.empty()) return {};
  const std::string bypass = ToCurlBypassList(bypassText);
  const std::vector<std::string> proxies =
      proxyText.find('=') != std::string::npos ? PerSchemeProxies(url, proxyText) : std::vector{proxyText};
  std::vector<ProxyCandidate> candidates;
  for (const std::string& proxy : proxies) candidates.push_back({proxy, bypass});
  return candidates;
}

std::vector<ProxyCandidate> AutomaticProxyCandidates(const std::string& proxyList, const std::string& bypassText) {
  const std::string bypass = ToCurlBypassList(bypassText);
  std::vector<ProxyCandidate> candidates;
  size_t start = 0;
  while (start <= proxyList.size()) {
    size_t end = proxyList.find(';', start);
    if (end == std::string::npos) end = proxyList.size();
    if (end > start) candidates.push_back({proxyList.substr(start, end - start), bypass});
    start = end + 1;
  }
  return candidates;
}

std::int32_t FirstProxyConnectTimeoutMs(std::int32_t baseMs) {
  return baseMs < kShortBaseLimitMs ? kMinimumFirstProxyTimeoutMs : baseMs / 5;
}

bool TryProxyCandidates(const std::vector<ProxyCandidate>& candidates, std::int32_t baseMs,
                        ProxyAttemptTarget& target) {
  if (candidates.empty()) return false;
  const std::int32_t first = FirstProxyConnectTimeoutMs(baseMs);
  target.SetConnectTimeoutMs(first);
  ProxyAttemptResult result = ProxyAttemptResult::Failed;
  for (const ProxyCandidate& candidate : candidates) {
    if (!candidate.bypass.empty()) target.SetNoProxy(candidate.bypass);
    target.SetProxy(candidate.proxy);
    result = target.PerformAttempt();
    if (result != ProxyAttemptResult::Failed) break;
    target.SetConnectTimeoutMs(LaterProxyConnectTimeoutMs(first));
  }
  target.SetConnectTimeoutMs(baseMs);
  return result == ProxyAttemptResult::Succeeded;
}

}  // namespace vigilor::acquisition
