// SPDX-License-Identifier: MIT
// The module transfer through the real bootstrapper (test twin, headless,
// leaving at the first error) against nginx standing in for the CDN under its
// real host names; tests/servers/run_bootstrapper_cdn_e2e.sh sets that up and
// passes:
//   VIGILOR_TEST_CDN_WWW=<nginx document root, Windows path>
//   VIGILOR_TEST_CDN_LOG=<nginx access log, Windows path>: lines of
//       "<uri> <status> inm=<If-None-Match, empty when absent>"
// Without them every case here is skipped. Requests under /modules/e2ecdndown
// are dropped by the server without an answer. The GameDev host's server
// holds a certificate from a CA the prefix does not trust. The module start reports that
// mapping is not in this build, so a delivered module ends with launch result
// 206; the module bytes are seen through VIGILOR_TEST_MODULE_SINK.
#include <windows.h>
#include <wincrypt.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "launch_folder_win.h"
#include "process_runner_win.h"

namespace vigilor::e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr wchar_t kSystem[] = L"linux64";  // a 64-bit game under Wine
constexpr wchar_t kCacheFile[] = L"vigilor_linux_x64.vgl";
constexpr wchar_t kModuleSink[] = L"VIGILOR_TEST_MODULE_SINK";

std::wstring EnvironmentValue(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

#define SKIP_WITHOUT_CDN()                                                                       \
  if (EnvironmentValue(L"VIGILOR_TEST_CDN_WWW").empty()) {                                      \
    GTEST_SKIP() << "the CDN stand-in is not up (tests/servers/run_bootstrapper_cdn_e2e.sh)"; \
  }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// What the CDN serves for a plain module, written independently of the
// product's code: c[k] = p[k] + 3k + p[k+1], the last byte without a successor.
Bytes Scramble(const Bytes& plain) {
  Bytes scrambled(plain.size());
  for (std::size_t k = 0; k < plain.size(); ++k) {
    const std::size_t next = k + 1 < plain.size() ? plain[k + 1] : 0;
    scrambled[k] = static_cast<std::uint8_t>(plain[k] + 3 * k + next);
  }
  return scrambled;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(f, nullptr) << WideToAscii(path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

Bytes ReadBytes(const std::wstring& path) {
  const std::string text = ReadTextFile(path);
  return Bytes(text.begin(), text.end());
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeDirectories(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

// Where the stand-in serves the module of a product (deployment1, linux64).
std::wstring CdnModulePath(const std::string& productId) {
  return EnvironmentValue(L"VIGILOR_TEST_CDN_WWW") + L"\\modules\\" + Widen(productId) + L"\\deployment1\\" + kSystem;
}

void Publish(const std::string& productId, const Bytes& served) {
  const std::wstring path = CdnModulePath(productId);
  MakeDirectories(path.substr(0, path.rfind(L'\\')));
  WriteBytes(path, served);
}

// nginx's entity tag for a static file: "<mtime hex>-<size hex>".
std::string NginxTag(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  const std::uint64_t fileTime =
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  const std::uint64_t unixSeconds = (fileTime - 116444736000000000ull) / 10000000ull;
  const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  char tag[64];
  std::snprintf(tag, sizeof tag, "\"%llx-%llx\"", static_cast<unsigned long long>(unixSeconds),
                static_cast<unsigned long long>(size));
  return tag;
}

std::string Sha1Hex(const Bytes& bytes) {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  std::string hex;
  if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    BYTE digest[20];
    DWORD length = sizeof digest;
    if (CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
        CryptHashData(hash, bytes.data(), static_cast<DWORD>(bytes.size()), 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0)) {
      char text[3];
      for (DWORD i = 0; i < length; ++i) {
        std::snprintf(text, sizeof text, "%02x", digest[i]);
        hex += text;
      }
    }
    if (hash != 0) CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
  }
  return hex;
}

// The per-user cache slot of a product: the module file and its side file.
struct CacheSlot {
  explicit CacheSlot(const std::string& productId) {
    const std::wstring log = ProductLogPath(productId, "deployment1");
    directory = log.substr(0, log.rfind(L'\\') + 1);
    module = directory + kCacheFile;
    metadata = module + L".metadata";
    Clear();
  }
  ~CacheSlot() { Clear(); }
  void Clear() const {
    DeleteFileW(module.c_str());
    DeleteFileW(metadata.c_str());
  }
  std::wstring directory, module, metadata;
};

// The access log's lines for one product's module.
std::vector<std::string> AccessLogLines(const std::string& productId) {
  std::istringstream log(ReadTextFile(EnvironmentValue(L"VIGILOR_TEST_CDN_LOG")));
  const std::string uri = "/modules/" + productId + "/deployment1/" + WideToAscii(kSystem) + " ";
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) {
    if (line.rfind(uri, 0) == 0) lines.push_back(line.substr(uri.size()));
  }
  return lines;
}

struct Launch {
  RunResult result;
  double seconds = 0;
};

// The real executable as a player starts it: headless, leaving at the first
// error, without the null-client request.
Launch RunAgainstCdn(const LaunchFolder& folder) {
  RunOptions options;
  options.environment = {{kImmediateExit, L"1"},
                         {kHeadless, L"1"},
                         {kNullClient, std::nullopt},
                         {kModuleSink, folder.File(L"module.sink")}};
  options.timeoutMs = 90000;
  const auto start = std::chrono::steady_clock::now();
  Launch launch;
  launch.result = RunProgram(folder.executable(), options);
  launch.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return launch;
}

TEST(ModuleCdn, FreshModuleArrivesPlainAndEndsWithMappingUnavailable) {
  SKIP_WITHOUT_CDN();
  struct Case {
    const char* productId;
    std::size_t size;
  } cases[] = {
      {"e2ecdnfresh1", 4097},  // one byte over the "service disabled" limit
      {"e2ecdnfresh2", 300001},
  };
  for (const auto& c : cases) {
    CacheSlot cache(c.productId);
    const Bytes plain = RandomBytes(c.size, 11);
    Publish(c.productId, Scramble(plain));
    LaunchFolder folder(kSeamsExe, c.productId);
    folder.WriteSettings();
    folder.AddFixtureGame();

    const Launch launch = RunAgainstCdn(folder);
    ASSERT_FALSE(launch.result.timedOut) << c.size;
    std::printf("[ figure ] fresh %zu-byte module, launch to exit: %.2f s\n", c.size, launch.seconds);
    const std::string log = folder.Log();
    // The module arrived; starting it is not in this build, and that is said.
    EXPECT_EQ(launch.result.exitCode, 206u) << c.size << "\n" << log;
    EXPECT_TRUE(ReadBytes(folder.File(L"module.sink")) == plain)
        << c.size << ": the module start did not get the plain module";
    EXPECT_TRUE(Contains(log, "Current progress: 100 (1/1).")) << log;
    EXPECT_EQ(AccessLogLines(c.productId), std::vector<std::string>{"200 inm="}) << c.size;
    EXPECT_TRUE(folder.GameRecord().empty()) << c.size << ": the game must not start without its module";
    // Only a module that reported loading in the game is kept.
    EXPECT_FALSE(FileExists(cache.module)) << c.size;
    EXPECT_FALSE(FileExists(cache.metadata)) << c.size;
  }
}

TEST(ModuleCdn, CachedModuleIsRevalidatedWithItsTagAndConsumed) {
  SKIP_WITHOUT_CDN();
  const std::string productId = "e2ecdncached";
  CacheSlot cache(productId);
  const Bytes plain = RandomBytes(5000, 12);
  const Bytes served = Scramble(plain);
  Publish(productId, served);
  const std::string tag = NginxTag(CdnModulePath(productId));
  ASSERT_FALSE(tag.empty());
  // The cache as a run whose module loaded leaves it.
  MakeDirectories(cache.directory.substr(0, cache.directory.size() - 1));
  WriteBytes(cache.module, served);
  WriteTextFile(cache.metadata, "sha1=" + Sha1Hex(served) + "\r\netag=" + tag + "\r\n");
  LaunchFolder folder(kSeamsExe, productId);
  folder.WriteSettings();
  folder.AddFixtureGame();

  const Launch launch = RunAgainstCdn(folder);
  ASSERT_FALSE(launch.result.timedOut);
  EXPECT_EQ(launch.result.exitCode, 206u);
  EXPECT_EQ(AccessLogLines(productId), std::vector<std::string>{"304 inm=" + tag});
  EXPECT_TRUE(ReadBytes(folder.File(L"module.sink")) == plain) << "the cached module was not handed over";
  EXPECT_TRUE(Contains(folder.Log(), "No update needed.")) << folder.Log();
  // The module never said it loaded, so the consumed cache is not written back.
  EXPECT_FALSE(FileExists(cache.module));
  EXPECT_FALSE(FileExists(cache.metadata));
}

TEST(ModuleCdn, FailedTransfersFollowTheNullClientSetting) {
  SKIP_WITHOUT_CDN();
  struct Case {
    const char* desc;
    const char* productId;
    std::size_t servedSize;  // 0: nothing published
    const char* allowNullClient;  // nullptr: the default
    const char* environment;      // nullptr: live
    const char* served;  // the stand-in's answer, as its access log has it; nullptr: no request
    DWORD expectedExit;
    const char* logLine;
  } cases[] = {
      {"4096-byte body: service disabled, null client refused", "e2ecdnoff1", 4096, "false", nullptr, "200 inm=", 204,
       "Anti-cheat service disabled on backend."},
      {"4096-byte body: service disabled, null client by default", "e2ecdnoff2", 4096, nullptr, nullptr, "200 inm=", 0,
       "Anti-cheat service disabled on backend."},
      {"server drops the connection, null client by default", "e2ecdndown1", 0, nullptr, nullptr, "444 inm=", 0,
       "Connection to the Content Distribution Network failed! Curl Code: "},
      {"server drops the connection, null client refused", "e2ecdndown2", 0, "false", nullptr, "444 inm=", 204,
       "Connection to the Content Distribution Network failed! Curl Code: "},
      {"no module on the CDN (404), null client refused", "e2ecdnmissing", 0, "false", nullptr, "404 inm=", 204,
       "HTTP Response Code: 404 Curl Code: 0"},
      {"GameDev host with a certificate from an unrelated CA", "e2ecdnrogue", 5000, "false", "gamedev", nullptr,
       204, "Connection to the Content Distribution Network failed! Curl Code: 60!"},
  };
  for (const auto& c : cases) {
    CacheSlot cache(c.productId);
    if (c.servedSize != 0) Publish(c.productId, RandomBytes(c.servedSize, 13));
    LaunchFolder folder(kSeamsExe, c.productId);
    std::map<std::string, std::string> settings;
    if (c.allowNullClient != nullptr) settings["allow_null_client"] = c.allowNullClient;
    if (c.environment != nullptr) settings["environment"] = c.environment;
    folder.WriteSettings(settings);
    folder.AddFixtureGame();

    const Launch launch = RunAgainstCdn(folder);
    ASSERT_FALSE(launch.result.timedOut) << c.desc;
    EXPECT_EQ(launch.result.exitCode, c.expectedExit) << c.desc;
    const std::vector<std::string> expectedRequests =
        c.served == nullptr ? std::vector<std::string>{} : std::vector<std::string>{c.served};
    EXPECT_EQ(AccessLogLines(c.productId), expectedRequests) << c.desc;
    EXPECT_FALSE(FileExists(folder.File(L"module.sink"))) << c.desc << ": no module may reach the module start";
    EXPECT_TRUE(Contains(folder.Log(), c.logLine)) << c.desc << "\n" << folder.Log();
    if (c.expectedExit == 0) {
      auto record = folder.WaitForGameRecord();
      ASSERT_FALSE(record.empty()) << c.desc << ": the game did not start";
      EXPECT_EQ(record["ORX_USE_ANTICHEATCLIENTNULL"], "1") << c.desc;
    } else {
      EXPECT_TRUE(folder.GameRecord().empty()) << c.desc << ": the game must not start";
    }
  }
}

}  // namespace
}  // namespace vigilor::e2e
