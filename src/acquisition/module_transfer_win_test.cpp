// SPDX-License-Identifier: MIT
// The module transfer as the loader's worker runs it, with LoadAndStartModule
// replaced by a recorder. Without a CDN reachable from the tests these cover
// the paths that need no answer from the CDN: the host guard, cancellation,
// an unresolvable CDN host, the cache fallback and the override in Run.
// winsock2.h before windows.h, which would pull in the old winsock.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/module_cache.h"
#include "acquisition/module_url.h"
#include "acquisition/recording_module_loader.h"
#include "launcher/process_switches.h"

namespace vigilor::acquisition {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::RecordingLoader;
using testing_support::Report;
using testing_support::PlainModule;
using testing_support::StoredModule;
using testing_support::WriteFileBytes;

using ModuleTransfer = testing_support::ModuleTransferFiles;

// True when this machine resolves the production CDN host (a networked run):
// the tests that need the resolution to fail then skip.
bool CdnHostResolves() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  addrinfo* found = nullptr;
  const bool resolves = getaddrinfo(kProductionModuleHost, "443", nullptr, &found) == 0;
  if (found) freeaddrinfo(found);
  WSACleanup();
  return resolves;
}

TEST_F(ModuleTransfer, UrlOutsideTheEnvironmentsHostReportsNothingAndLeavesTheCache) {
  struct Case {
    const char* desc;
    bool gameDev;
    const char* url;
  } cases[] = {
      {"gamedev host in production", false, "https://modules-dev.vigilor.gg/modules/{{productid}}/x/{{system}}"},
      {"production host in gamedev", true, "https://modules.vigilor.gg/modules/{{productid}}/x/{{system}}"},
      {"other host", false, "https://127.0.0.1/modules/testproduct/testdeployment/win64"},
      {"host as a prefix", false, "https://modules.vigilor.gg.example.com/builds/abc/win64"},
  };
  for (const Case& c : cases) {
    RecordingLoader loader(c.gameDev);
    WriteValidCache(loader);
    bool cancelled = true;
    EXPECT_FALSE(loader.DownloadModule(c.url, true, cancelled)) << c.desc;
    EXPECT_FALSE(cancelled) << c.desc;
    EXPECT_TRUE(loader.reports().empty()) << c.desc;
    EXPECT_TRUE(loader.started().empty()) << c.desc;
    EXPECT_TRUE(loader.cache().valid()) << c.desc << ": the cache must not be consumed";
  }
}

TEST_F(ModuleTransfer, CancelledTransferReportsNothingAndSkipsTheCache) {
  RecordingLoader loader(false, VGL_MDPR_Cancel);
  WriteValidCache(loader);
  bool cancelled = false;
  EXPECT_FALSE(loader.DownloadModule(ModuleUrlTemplate(false), true, cancelled));
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(loader.reports().empty());
  EXPECT_TRUE(loader.started().empty());
  EXPECT_TRUE(loader.cache().pendingModule().empty());
}

TEST_F(ModuleTransfer, UnresolvableCdnFallsBackToTheCachedModuleWithoutReport) {
  if (CdnHostResolves()) GTEST_SKIP() << "the CDN host resolves on this machine";
  RecordingLoader loader(false);
  WriteValidCache(loader);
  bool cancelled = true;
  EXPECT_FALSE(loader.DownloadModule(ModuleUrlTemplate(false), true, cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(loader.reports().empty());
  ASSERT_EQ(loader.started().size(), 1u);
  EXPECT_EQ(loader.started()[0], PlainModule()) << "the cached module is handed over descrambled";
  EXPECT_EQ(loader.cache().pendingModule(), PlainModule()) << "kept for the write-back";
}

TEST_F(ModuleTransfer, UnresolvableCdnWithoutCacheReportsDnsFailure) {
  if (CdnHostResolves()) GTEST_SKIP() << "the CDN host resolves on this machine";
  RecordingLoader loader(true);
  bool cancelled = true;
  EXPECT_FALSE(loader.DownloadModule(ModuleUrlTemplate(true), true, cancelled));
  EXPECT_FALSE(cancelled);
  const std::vector<Report> reports = loader.reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].status, LS_DnsFailure);
  EXPECT_EQ(reports[0].message, "DNS resolve to the Content Distribution Network failed!");
  EXPECT_TRUE(loader.started().empty());
}

TEST_F(ModuleTransfer, WithoutNotifyAFailureNeitherReportsNorUsesTheCache) {
  if (CdnHostResolves()) GTEST_SKIP() << "the CDN host resolves on this machine";
  RecordingLoader loader(false);
  WriteValidCache(loader);
  bool cancelled = true;
  EXPECT_FALSE(loader.DownloadModule("https://modules.vigilor.gg/builds/abc/{{system}}", false, cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(loader.reports().empty());
  EXPECT_TRUE(loader.started().empty());
  EXPECT_TRUE(loader.cache().valid());
}

TEST_F(ModuleTransfer, LoadCachedModuleHandsOverThePlainBytesOnce) {
  RecordingLoader loader(false);
  EXPECT_FALSE(loader.LoadCachedModule()) << "no cache opened";
  WriteValidCache(loader);
  EXPECT_TRUE(loader.LoadCachedModule());
  ASSERT_EQ(loader.started().size(), 1u);
  EXPECT_EQ(loader.started()[0], PlainModule());
  EXPECT_FALSE(loader.LoadCachedModule()) << "the cache is consumed by the first load";
  EXPECT_EQ(loader.started().size(), 1u);
}

TEST_F(ModuleTransfer, RunReportsAFailedOverrideAs504AndCachesNothing) {
  // No information box: it would wait for a click.
  launcher::SetCurrentSwitches({.immediateExitOnError = true, .headlessMode = true});
  game_ = folder_ + "\\Game.exe";
  WriteFileBytes(game_, Bytes{'M', 'Z'});
  const std::string overrideUrl = "https://example.com/builds/abc123/win64";
  const std::string overrideFile = "cdn=" + overrideUrl + "\n";
  WriteFileBytes(game_ + ".vgl", Bytes(overrideFile.begin(), overrideFile.end()));

  RecordingLoader loader(false);
  WriteValidCache(loader);
  ASSERT_TRUE(loader.Initialize([](unsigned, unsigned) { return VGL_MDPR_Continue; }, loader.Recorder(), game_,
                                folder_, "win64", "testproduct", "sandbox", "testdeployment", false));
  ASSERT_TRUE(loader.WaitForWorker(std::chrono::seconds(60)));
  loader.Shutdown();
  launcher::SetCurrentSwitches({});

  const std::vector<Report> reports = loader.reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].status, LS_UndeployedDownloadFailed);
  EXPECT_EQ(reports[0].message, "Connection failed: " + overrideUrl);
  EXPECT_TRUE(loader.started().empty()) << "an override failure never falls back to the cache";
  EXPECT_TRUE(loader.cache().valid());
  EXPECT_TRUE(loader.cache().pendingModule().empty());
}

}  // namespace
}  // namespace vigilor::acquisition
