// SPDX-License-Identifier: MIT
#include "acquisition/proxy_candidates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vigilor::acquisition {
namespace {

struct ManualCase {
  const char* desc;
  const char* url;
  const char* proxy;
  const char* bypass;
  std::vector<ProxyCandidate> expected;
};

TEST(ManualProxyCandidates, FollowUserSettingsForRequestScheme) {
  const std::vector<ManualCase> cases = {
      {"per-scheme list, https request takes the https entry", "https://cdn.test/m",
       "http=p1:80;https=p2:443;socks=s:1080", "", {{"https://p2:443", ""}}},
      {"per-scheme list, http request takes the http entry", "http://cdn.test/m",
       "http=p1:80;https=p2:443;socks=s:1080", "", {{"http://p1:80", ""}}},
      {"only a socks entry gives the four socks variants in order", "https://cdn.test/m", "socks=s:1080", "",
       {{"socks5://s:1080", ""}, {"socks5h://s:1080", ""}, {"socks4://s:1080", ""}, {"socks4a://s:1080", ""}}},
      {"no entry for the scheme and no socks: the whole text", "https://cdn.test/m", "http=p1:80;ftp=f:21", "",
       {{"http=p1:80;ftp=f:21", ""}}},
      {"entry value ends at the end of the text", "https://cdn.test/m", "http=p1:80;https=p2:8443", "",
       {{"https://p2:8443", ""}}},
      {"plain host:port is taken as it is", "https://cdn.test/m", "proxy.test:3128", "",
       {{"proxy.test:3128", ""}}},
      {"a URL that is not https counts as http", "ftp://cdn.test/m", "http=p1:80;https=p2:443", "",
       {{"http://p1:80", ""}}},
      {"bypass entries are joined with commas for every candidate", "https://cdn.test/m", "socks=s:1", "a.test;<local>",
       {{"socks5://s:1", "a.test,<local>"}, {"socks5h://s:1", "a.test,<local>"}, {"socks4://s:1", "a.test,<local>"},
        {"socks4a://s:1", "a.test,<local>"}}},
      {"empty proxy text gives nothing, whatever the bypass", "https://cdn.test/m", "", "a.test", {}},
  };
  for (const ManualCase& c : cases) {
    EXPECT_EQ(ManualProxyCandidates(c.url, c.proxy, c.bypass), c.expected) << c.desc;
  }
}

TEST(AutomaticProxyCandidates, EveryNonEmptyEntryInOrderWithSharedBypass) {
  EXPECT_EQ(AutomaticProxyCandidates("a:1;;b:2;", "x.test;y.test"),
            (std::vector<ProxyCandidate>{{"a:1", "x.test,y.test"}, {"b:2", "x.test,y.test"}}));
  EXPECT_TRUE(AutomaticProxyCandidates("", "x.test").empty());
  EXPECT_TRUE(AutomaticProxyCandidates(";;", "").empty());
}

TEST(ToCurlBypassList, SemicolonsBecomeCommas) {
  EXPECT_EQ(ToCurlBypassList("*.local;10.0.0.1"), "*.local,10.0.0.1");
  EXPECT_EQ(ToCurlBypassList(""), "");
}

// Records what the retry loop does to the handle; attempts fail until the
// index endAt (or forever when negative), which answers endWith.
class RecordingTarget : public ProxyAttemptTarget {
 public:
  explicit RecordingTarget(int endAt, ProxyAttemptResult endWith = ProxyAttemptResult::Succeeded)
      : endAt_(endAt), endWith_(endWith) {}
  void SetConnectTimeoutMs(std::int32_t ms) override { calls.push_back("timeout " + std::to_string(ms)); }
  void SetNoProxy(const std::string& hosts) override { calls.push_back("noproxy " + hosts); }
  void SetProxy(const std::string& url) override { calls.push_back("proxy " + url); }
  ProxyAttemptResult PerformAttempt() override {
    calls.push_back("perform");
    return attempts_++ == endAt_ ? endWith_ : ProxyAttemptResult::Failed;
  }
  std::vector<std::string> calls;

 private:
  int endAt_;
  ProxyAttemptResult endWith_;
  int attempts_ = 0;
};

TEST(TryProxyCandidates, ShortensConnectTimeoutPerProxyAndRestoresBase) {
  const std::vector<ProxyCandidate> three = {{"a:1", "x.test"}, {"b:2", ""}, {"c:3", ""}};
  struct Case {
    const char* desc;
    std::int32_t base;
    int endAt;
    ProxyAttemptResult endWith;
    bool expectedResult;
    std::vector<std::string> expectedCalls;
  };
  const std::vector<Case> cases = {
      {"base 30000: first proxy 6000, later ones 3000, then 30000 again", 30000, -1, ProxyAttemptResult::Succeeded, false,
       {"timeout 6000", "noproxy x.test", "proxy a:1", "perform", "timeout 3000", "proxy b:2", "perform",
        "timeout 3000", "proxy c:3", "perform", "timeout 3000", "timeout 30000"}},
      {"base 20000: first proxy 5000, later ones 2500", 20000, -1, ProxyAttemptResult::Succeeded, false,
       {"timeout 5000", "noproxy x.test", "proxy a:1", "perform", "timeout 2500", "proxy b:2", "perform",
        "timeout 2500", "proxy c:3", "perform", "timeout 2500", "timeout 20000"}},
      {"base just below the limit still gives 5000", 25004, -1, ProxyAttemptResult::Succeeded, false,
       {"timeout 5000", "noproxy x.test", "proxy a:1", "perform", "timeout 2500", "proxy b:2", "perform",
        "timeout 2500", "proxy c:3", "perform", "timeout 2500", "timeout 25004"}},
      {"the first success ends the attempts", 300000, 1, ProxyAttemptResult::Succeeded, true,
       {"timeout 60000", "noproxy x.test", "proxy a:1", "perform", "timeout 30000", "proxy b:2", "perform",
        "timeout 300000"}},
      {"a final failure ends the attempts unsuccessfully", 30000, 0, ProxyAttemptResult::Final, false,
       {"timeout 6000", "noproxy x.test", "proxy a:1", "perform", "timeout 30000"}},
  };
  for (const Case& c : cases) {
    RecordingTarget target(c.endAt, c.endWith);
    EXPECT_EQ(TryProxyCandidates(three, c.base, target), c.expectedResult) << c.desc;
    EXPECT_EQ(target.calls, c.expectedCalls) << c.desc;
  }
}

TEST(TryProxyCandidates, EmptyListLeavesHandleAlone) {
  RecordingTarget target(0);
  EXPECT_FALSE(TryProxyCandidates({}, 30000, target));
  EXPECT_TRUE(target.calls.empty());
}

}  // namespace
}  // namespace vigilor::acquisition
