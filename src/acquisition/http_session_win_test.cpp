// SPDX-License-Identifier: MIT
// HttpSession without servers: option guards, logging and the trust anchors.
// The transfers themselves are tested against real servers in tests/servers.
#include "acquisition/http_session.h"

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "acquisition/tls_trust.h"
#include "wine/wine_detection.h"

namespace vigilor::acquisition {
namespace {

// Nothing listens on port 1 of the loopback address.
constexpr char kRefusingUrl[] = "http://127.0.0.1:1/";

struct LoggedSession {
  LoggedSession() { session.SetLogSink([this](const char* text) { lines.emplace_back(text); }); }
  HttpSession session;
  std::vector<std::string> lines;
};

TEST(HttpSession, PerformWithoutInitializeAnswersFailedInit) {
  LoggedSession s;
  int result = -1;
  EXPECT_FALSE(s.session.Perform(kRefusingUrl, result, 0));
  EXPECT_EQ(result, CURLE_FAILED_INIT);
  EXPECT_FALSE(s.session.usedProxy());
  EXPECT_TRUE(s.lines.empty());
}

TEST(HttpSession, RefusesOptionsThatLoosenVerificationOrReplaceCapture) {
  LoggedSession s;
  ASSERT_TRUE(s.session.Initialize());
  struct Case {
    const char* desc;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {"peer verification off", s.session.SetOption(CURLOPT_SSL_VERIFYPEER, 0L)},
      {"host verification off", s.session.SetOption(CURLOPT_SSL_VERIFYHOST, 0)},
      {"proxy peer verification off", s.session.SetOption(CURLOPT_PROXY_SSL_VERIFYPEER, false)},
      {"own CA file", s.session.SetOption(CURLOPT_CAINFO, "C:\\any.pem")},
      {"own CA folder", s.session.SetOption(CURLOPT_CAPATH, "C:\\certs")},
      {"SSL behaviour flags", s.session.SetOption(CURLOPT_SSL_OPTIONS, CURLSSLOPT_ALLOW_BEAST)},
      {"other protocols", s.session.SetOption(CURLOPT_PROTOCOLS_STR, "file,ftp")},
      {"own body sink", s.session.SetOption(CURLOPT_WRITEDATA, static_cast<const void*>(&s))},
      {"larger body limit", s.session.SetOption(CURLOPT_MAXFILESIZE_LARGE, std::int64_t{1} << 40)},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.accepted) << c.desc;
  ASSERT_FALSE(s.lines.empty());
  EXPECT_NE(s.lines.back().find("belongs to the session"), std::string::npos) << s.lines.back();
}

TEST(HttpSession, AcceptsOrdinaryOptionsAndRemembersConnectTimeout) {
  LoggedSession s;
  ASSERT_TRUE(s.session.Initialize());
  EXPECT_EQ(s.session.connectTimeoutMs(), kDefaultConnectTimeoutMs);
  EXPECT_TRUE(s.session.SetOption(CURLOPT_LOW_SPEED_LIMIT, 5120L));
  EXPECT_TRUE(s.session.SetOption(CURLOPT_DNS_CACHE_TIMEOUT, 0));
  EXPECT_TRUE(s.session.SetOption(CURLOPT_USERAGENT, "Vigilor-Client/1.0"));
  EXPECT_TRUE(s.session.SetOption(CURLOPT_CONNECTTIMEOUT_MS, 30000L));
  EXPECT_EQ(s.session.connectTimeoutMs(), 30000);

  ASSERT_TRUE(s.session.Reset());
  EXPECT_EQ(s.session.connectTimeoutMs(), kDefaultConnectTimeoutMs) << "Reset starts over";
  EXPECT_TRUE(s.lines.empty());
}

TEST(HttpSession, OptionOfTheWrongKindIsLoggedAndRefused) {
  LoggedSession s;
  ASSERT_TRUE(s.session.Initialize());
  EXPECT_FALSE(s.session.SetOption(CURLOPT_URL, 5));
  EXPECT_FALSE(s.session.SetOption(CURLOPT_TIMEOUT_MS, "5"));
  EXPECT_FALSE(s.session.SetOption(CURLOPT_TIMEOUT_MS, std::int64_t{1} << 40)) << "does not fit a long";
  ASSERT_EQ(s.lines.size(), 3u);
  EXPECT_EQ(s.lines[0], "curl_easy_setopt failed! Option: 10002 ErrCode: 43 ErrStr: A libcurl function was given "
                        "a bad argument.");
}

TEST(HttpSession, LogsUrlAsTextAndCutsLongLines) {
  LoggedSession s;
  ASSERT_TRUE(s.session.Initialize());
  int result = -1;
  EXPECT_FALSE(s.session.Perform(std::string(kRefusingUrl) + "%s%n%s", result, 0));
  EXPECT_EQ(result, CURLE_COULDNT_CONNECT);
  ASSERT_GE(s.lines.size(), 2u);
  EXPECT_EQ(s.lines[0], std::string("Connecting to URL: ") + kRefusingUrl + "%s%n%s");
  EXPECT_EQ(s.lines[1].rfind("Connect result: Couldn't connect to server (7) Response Code: 0 Destination IP: ", 0),
            0u)
      << s.lines[1];

  s.lines.clear();
  EXPECT_FALSE(s.session.Perform(std::string(kRefusingUrl) + std::string(2000, 'a'), result, 0));
  ASSERT_FALSE(s.lines.empty());
  EXPECT_EQ(s.lines[0].size(), 767u) << "one 768-byte buffer per line, terminator included";
}

// The DER bytes of every certificate in a PEM text.
std::set<std::string> DecodePem(const std::string& pem) {
  std::set<std::string> certificates;
  const std::string begin = "-----BEGIN CERTIFICATE-----";
  const std::string end = "-----END CERTIFICATE-----";
  for (size_t at = pem.find(begin); at != std::string::npos; at = pem.find(begin, at + 1)) {
    const size_t stop = pem.find(end, at);
    if (stop == std::string::npos) break;
    const std::string block = pem.substr(at, stop + end.size() - at);
    DWORD size = 0;
    CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                         nullptr, nullptr);
    std::string der(size, '\0');
    if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                             reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr)) {
      certificates.insert(der.substr(0, size));
    }
  }
  return certificates;
}

// Wine adds its own copies of Microsoft's code-signing roots to the system
// store; they issue no server certificates.
bool IsWineCodeSigningRoot(PCCERT_CONTEXT certificate) {
  char name[256] = {};
  CertGetNameStringA(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name);
  const std::string text = name;
  return text.rfind("Microsoft Root ", 0) == 0 || text.rfind("Microsoft Authenticode(tm) Root", 0) == 0;
}

// The DER bytes of every server-authentication root in the system store.
std::set<std::string> RootStoreCertificates() {
  std::set<std::string> certificates;
  HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
  if (store == nullptr) return certificates;
  PCCERT_CONTEXT certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
    if (IsWineCodeSigningRoot(certificate)) continue;
    certificates.emplace(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
  }
  CertCloseStore(store, 0);
  return certificates;
}

std::string ReadText(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The anchors are read without opening the system store (costly under
// Wine), so they must still cover all of it, and add nothing but host roots.
TEST(TlsTrust, UnderWineTheAnchorsAreTheRootStoreAndTheHostBundle) {
  if (!wine::IsRunningUnderWine()) {
    EXPECT_EQ(CurrentTlsTrustSource(), TlsTrustSource::SystemValidation);
    GTEST_SKIP() << "Windows validates with its own trust store";
  }
  EXPECT_EQ(CurrentTlsTrustSource(), TlsTrustSource::ExplicitAnchors);
  const std::set<std::string> anchors = DecodePem(ExplicitTrustAnchorsPem());
  const std::set<std::string> rootStore = RootStoreCertificates();
  const std::set<std::string> hostBundle = DecodePem(ReadText("Z:\\etc\\ssl\\certs\\ca-certificates.crt"));
  ASSERT_FALSE(rootStore.empty()) << "Wine fills the Root store from the host";
  ASSERT_FALSE(hostBundle.empty()) << "the test machine's bundle";

  size_t missing = 0;
  for (const std::string& certificate : rootStore) missing += anchors.count(certificate) == 0 ? 1 : 0;
  EXPECT_EQ(missing, 0u) << "of " << rootStore.size() << " Root store certificates";
  size_t foreign = 0;
  for (const std::string& certificate : anchors) {
    foreign += rootStore.count(certificate) == 0 && hostBundle.count(certificate) == 0 ? 1 : 0;
  }
  EXPECT_EQ(foreign, 0u) << "of " << anchors.size() << " anchors come from neither";
}

}  // namespace
}  // namespace vigilor::acquisition
