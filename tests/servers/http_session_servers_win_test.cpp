// SPDX-License-Identifier: MIT
// HttpSession against real loopback servers, run by run_http_session_tests.sh:
// nginx over HTTPS (test CA trusted through the prefix's Root store), the
// same content behind a certificate from an unrelated CA, a misbehaving
// server and tinyproxy. The script passes ports and the user-proxy mode in
// the environment; without them every case is skipped.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "acquisition/http_session.h"
#include "foundation/files.h"

namespace vigilor::acquisition {
namespace {

constexpr char kModulePath[] = "/modules/testproduct/testdeployment/win64";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Skips the calling test unless the script set the servers up and the user's
// proxy settings are in the given mode ("none", "proxy" or "bypass").
#define REQUIRE_SERVERS(mode)                                                        \
  do {                                                                               \
    if (Environment("VIGILOR_TEST_CDN_PORT").empty()) GTEST_SKIP() << "no servers";  \
    if (Environment("VIGILOR_TEST_USER_PROXY") != (mode)) GTEST_SKIP() << "other proxy mode"; \
  } while (0)

std::string Url(const char* portVariable, const std::string& path) {
  return "https://localhost:" + Environment(portVariable) + path;
}

// A session whose log lines are kept for the assertions.
struct LoggedSession {
  LoggedSession() {
    session.SetLogSink([this](const char* text) { lines.push_back(text); });
    EXPECT_TRUE(session.Initialize());
  }
  bool Logged(const std::string& text) const {
    for (const std::string& line : lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  std::string Log() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }
  HttpSession session;
  std::vector<std::string> lines;
};

std::vector<std::uint8_t> ServedModuleBytes() {
  std::string path = "Z:" + Environment("VIGILOR_TEST_WWW") + kModulePath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
  return bytes;
}

TEST(HttpSessionOverHttps, GetsModuleFromCdnAndRevalidatesWithEntityTag) {
  REQUIRE_SERVERS("none");
  LoggedSession s;
  int result = -1;
  ASSERT_TRUE(s.session.Perform(Url("VIGILOR_TEST_CDN_PORT", kModulePath), result, 0)) << s.Log();
  EXPECT_EQ(result, CURLE_OK);
  EXPECT_EQ(s.session.ResponseCode(), 200);
  EXPECT_EQ(s.session.responseBody(), ServedModuleBytes());
  std::string tag;
  ASSERT_TRUE(s.session.GetResponseHeader("ETag", tag));
  EXPECT_EQ(tag.front(), '"') << tag;
  EXPECT_TRUE(s.Logged("Destination IP: 127.0.0.1")) << s.Log();

  ASSERT_TRUE(s.session.Reset());
  ASSERT_TRUE(s.session.AddHeader("If-None-Match: " + tag));
  ASSERT_TRUE(s.session.Perform(Url("VIGILOR_TEST_CDN_PORT", kModulePath), result, 0)) << s.Log();
  EXPECT_EQ(s.session.ResponseCode(), 304);
  EXPECT_TRUE(s.session.responseBody().empty());
  EXPECT_FALSE(s.session.usedProxy());
}

TEST(HttpSessionOverHttps, RefusesCertificateFromUnrelatedCa) {
  REQUIRE_SERVERS("none");
  LoggedSession s;
  int result = -1;
  EXPECT_FALSE(s.session.Perform(Url("VIGILOR_TEST_ROGUE_PORT", kModulePath), result, 0));
  EXPECT_TRUE(result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_CONNECT_ERROR) << result;
  EXPECT_EQ(s.session.ResponseCode(), 0);
  EXPECT_TRUE(s.session.responseBody().empty());
}

TEST(HttpSessionOverHttps, VerificationCannotBeSwitchedOff) {
  REQUIRE_SERVERS("none");
  LoggedSession s;
  EXPECT_FALSE(s.session.SetOption(CURLOPT_SSL_VERIFYPEER, 0L));
  EXPECT_FALSE(s.session.SetOption(CURLOPT_SSL_VERIFYHOST, 0L));
  EXPECT_FALSE(s.session.SetOption(CURLOPT_CAINFO, "Z:\\nonexistent.pem"));
  int result = -1;
  EXPECT_FALSE(s.session.Perform(Url("VIGILOR_TEST_ROGUE_PORT", kModulePath), result, 0));
  EXPECT_TRUE(result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_CONNECT_ERROR) << result;
}

TEST(HttpSessionOverHttps, HttpErrorStatusIsASuccessfulTransferWithoutProxies) {
  REQUIRE_SERVERS("none");
  LoggedSession s;
  int result = -1;
  ASSERT_TRUE(s.session.Perform(Url("VIGILOR_TEST_MISBEHAVING_PORT", "/status/404"), result, 0)) << s.Log();
  EXPECT_EQ(result, CURLE_OK);
  EXPECT_EQ(s.session.ResponseCode(), 404);
  EXPECT_FALSE(s.session.usedProxy());
  EXPECT_TRUE(s.Logged("Response Code: 404")) << s.Log();
}

TEST(HttpSessionTransportFailures, MisbehavingServerEndsTransferWithItsResult) {
  REQUIRE_SERVERS("none");
  struct Case {
    const char* desc;
    const char* path;
    std::set<int> expected;
  };
  const std::vector<Case> cases = {
      {"stall below the low-speed limit", "/stall", {CURLE_OPERATION_TIMEDOUT}},
      {"reset in the middle of the body", "/reset", {CURLE_RECV_ERROR}},
      // Schannel under Wine reports even an orderly TLS close before the
      // announced length as a receive failure; Windows calls it a partial file.
      {"body shorter than announced", "/short", {CURLE_PARTIAL_FILE, CURLE_RECV_ERROR}},
  };
  for (const Case& c : cases) {
    LoggedSession s;
    ASSERT_TRUE(s.session.SetOption(CURLOPT_LOW_SPEED_LIMIT, 5120L));
    ASSERT_TRUE(s.session.SetOption(CURLOPT_LOW_SPEED_TIME, 2L));
    int result = -1;
    EXPECT_FALSE(s.session.Perform(Url("VIGILOR_TEST_MISBEHAVING_PORT", c.path), result, 0)) << c.desc;
    EXPECT_EQ(c.expected.count(result), 1u) << c.desc << ": " << result << "\n" << s.Log();
    EXPECT_FALSE(s.session.usedProxy()) << c.desc << ": no proxy is configured";
  }
}

TEST(HttpSessionBodyLimit, BodyOverLimitFailsWhileArriving) {
  REQUIRE_SERVERS("none");
  constexpr std::size_t kLimit = 1024 * 1024;
  struct Case {
    const char* desc;
    std::string path;
    bool succeeds;
    int expected;
  };
  const std::vector<Case> cases = {
      {"body exactly at the limit", "/large-chunked/" + std::to_string(kLimit), true, CURLE_OK},
      {"chunked body beyond the limit", "/large-chunked/" + std::to_string(32 * kLimit), false, CURLE_WRITE_ERROR},
      {"announced length beyond the limit", "/large/" + std::to_string(32 * kLimit), false, CURLE_FILESIZE_EXCEEDED},
  };
  for (const Case& c : cases) {
    LoggedSession s;
    s.session.LimitResponseBody(kLimit);
    int result = -1;
    EXPECT_EQ(s.session.Perform(Url("VIGILOR_TEST_MISBEHAVING_PORT", c.path), result, 0), c.succeeds) << c.desc;
    EXPECT_EQ(result, c.expected) << c.desc << "\n" << s.Log();
    EXPECT_EQ(s.session.responseBodyTooLarge(), !c.succeeds) << c.desc;
    EXPECT_EQ(s.session.responseBody().size(), c.succeeds ? kLimit : 0u) << c.desc;
  }
}

std::size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) ? counters.PeakWorkingSetSize : 0;
}

// Runs alone in its own process (the script sets VIGILOR_TEST_MEASURE_PEAK),
// so the peak belongs to this transfer.
TEST(HttpSessionBodyLimit, HardCapStopsOversizedBodyWithinBoundedMemory) {
  REQUIRE_SERVERS("none");
  if (Environment("VIGILOR_TEST_MEASURE_PEAK") != "1") GTEST_SKIP() << "needs a process of its own";
  const std::size_t before = PeakWorkingSet();
  LoggedSession s;
  int result = -1;
  const std::size_t sent = kMaxResponseBodyBytes + 16 * 1024 * 1024;
  EXPECT_FALSE(s.session.Perform(Url("VIGILOR_TEST_MISBEHAVING_PORT", "/large-chunked/" + std::to_string(sent)),
                                 result, 0));
  EXPECT_EQ(result, CURLE_WRITE_ERROR) << s.Log();
  EXPECT_TRUE(s.session.responseBodyTooLarge());
  const std::size_t peak = PeakWorkingSet();
  std::printf("peak working set: %zu MiB before, %zu MiB after a %zu MiB body\n", before >> 20, peak >> 20,
              sent >> 20);
  // Growing past the cap would have doubled the buffer to 512 MiB.
  EXPECT_LT(peak, kMaxResponseBodyBytes + 128 * 1024 * 1024);
}

TEST(HttpSessionThroughUserProxy, DirectFailureThenSuccessThroughProxyFromUserSettings) {
  REQUIRE_SERVERS("proxy");
  LoggedSession s;
  const std::string url = Url("VIGILOR_TEST_PROXIED_PORT", "/ok");
  const std::string proxy = "127.0.0.1:" + Environment("VIGILOR_TEST_PROXY_PORT");
  EXPECT_EQ(s.session.DiscoverProxies(url), (std::vector<ProxyCandidate>{{proxy, ""}}));

  ASSERT_TRUE(s.session.SetOption(CURLOPT_CONNECTTIMEOUT_MS, 30000L));
  int result = -1;
  ASSERT_TRUE(s.session.Perform(url, result, 0)) << s.Log();
  EXPECT_EQ(result, CURLE_OK);
  EXPECT_TRUE(s.session.usedProxy());
  EXPECT_EQ(s.session.ResponseCode(), 200);
  EXPECT_EQ(std::string(s.session.responseBody().begin(), s.session.responseBody().end()), "ok");
  EXPECT_EQ(s.session.connectTimeoutMs(), 30000) << "the base timeout is restored";
  ASSERT_GE(s.lines.size(), 4u) << s.Log();
  EXPECT_EQ(s.lines[1].find("Connect result: No error"), std::string::npos) << "the direct attempt fails first";
  EXPECT_TRUE(s.Logged("Trying proxy: " + proxy)) << s.Log();
}

TEST(HttpSessionThroughUserProxy, BypassListReachesLibcurlWithCommas) {
  REQUIRE_SERVERS("bypass");
  LoggedSession s;
  const std::string url = Url("VIGILOR_TEST_PROXIED_PORT", "/ok");
  int result = -1;
  // localhost is on the bypass list, so the proxied attempt goes direct too.
  EXPECT_FALSE(s.session.Perform(url, result, 0)) << s.Log();
  EXPECT_TRUE(s.session.usedProxy());
  EXPECT_TRUE(s.Logged("Setting NOPROXY URLs: other.test,localhost")) << s.Log();
}

}  // namespace
}  // namespace vigilor::acquisition
