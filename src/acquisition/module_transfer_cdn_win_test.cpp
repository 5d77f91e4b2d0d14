// SPDX-License-Identifier: MIT
// The module transfer against a CDN stand-in: nginx answering for both CDN
// host names, reached through a private hosts file. Only
// tests/servers/run_module_transfer_tests.sh provides it; it sets
// VIGILOR_TEST_MODULE_CDN_WWW to the served folder, and without that variable
// these tests skip. Served files (module paths below the folder):
//   modules/testproduct/testdeployment/win64   300000 random bytes
//   modules/testproduct/exact4096/win64        4096 bytes (service disabled)
//   modules/testproduct/exact4097/win64        4097 bytes (a module)
//   modules/testproduct/noetag/win64           8000 bytes, served without ETag
//   builds/abc123/win64                        the same bytes as testdeployment
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/module_cache.h"
#include "acquisition/module_scramble.h"
#include "acquisition/module_url.h"
#include "acquisition/recording_module_loader.h"
#include "foundation/files.h"
#include "foundation/unicode.h"
#include "launcher/process_switches.h"

namespace vigilor::acquisition {
namespace {

using testing_support::Bytes;
using testing_support::RecordingLoader;
using testing_support::Report;

class ModuleTransferOverCdn : public testing_support::ModuleTransferFiles {
 protected:
  void SetUp() override {
    std::wstring www;
    if (!GetEnvironmentValue(L"VIGILOR_TEST_MODULE_CDN_WWW", www)) GTEST_SKIP() << "no CDN stand-in";
    www_ = WideToUtf8(www);
    ModuleTransferFiles::SetUp();
  }
  void TearDown() override {
    if (!www_.empty()) ModuleTransferFiles::TearDown();
  }
  Bytes Served(const std::string& relative) {
    Bytes bytes;
    EXPECT_TRUE(ReadWholeFile(www_ + "\\" + relative, bytes)) << relative;
    return bytes;
  }
  static Bytes Plain(Bytes bytes) {
    DescrambleModule(bytes);
    return bytes;
  }
  static std::string Template(const std::string& deployment, bool gameDev = false) {
    std::string url = ModuleUrlTemplate(gameDev);
    return url.replace(url.find("{{deploymentid}}"), 16, deployment);
  }

  std::string www_;
};

TEST_F(ModuleTransferOverCdn, FreshModuleIsStartedDescrambledAndWrittenBackAsServedWithItsTag) {
  for (const bool gameDev : {false, true}) {
    RecordingLoader loader(gameDev);
    loader.OpenCache(module_);  // no files: a path, but not valid
    bool cancelled = true;
    ASSERT_TRUE(loader.DownloadModule(ModuleUrlTemplate(gameDev), true, cancelled)) << gameDev;
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(loader.reports().empty());
    const Bytes served = Served("modules\\testproduct\\testdeployment\\win64");
    ASSERT_EQ(loader.started().size(), 1u);
    EXPECT_EQ(loader.started()[0], Plain(served));
    EXPECT_EQ(loader.cache().pendingTag().front(), '"') << loader.cache().pendingTag();
    ASSERT_TRUE(loader.cache().Store()) << gameDev;
    Bytes stored;
    ASSERT_TRUE(ReadWholeFile(module_, stored));
    EXPECT_EQ(stored, served) << "the cache keeps the module as served";
    std::remove(module_.c_str());  // the next round starts without a cache
    std::remove(MetadataPath(module_).c_str());
  }
}

TEST_F(ModuleTransferOverCdn, StoredTagRevalidatesTo304AndTheCachedModuleIsStarted) {
  const Bytes served = Served("modules\\testproduct\\testdeployment\\win64");
  {
    RecordingLoader first(false);
    first.OpenCache(module_);
    bool cancelled = false;
    ASSERT_TRUE(first.DownloadModule(ModuleUrlTemplate(false), true, cancelled));
    ASSERT_TRUE(first.cache().Store());
  }
  RecordingLoader second(false);
  second.OpenCache(module_);
  ASSERT_TRUE(second.cache().valid());
  bool cancelled = true;
  EXPECT_TRUE(second.DownloadModule(ModuleUrlTemplate(false), true, cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(second.reports().empty());
  ASSERT_EQ(second.started().size(), 1u);
  EXPECT_EQ(second.started()[0], Plain(served));
}

TEST_F(ModuleTransferOverCdn, BodyOf4096BytesIsTheServiceDisabledSignal) {
  RecordingLoader disabled(false);
  WriteValidCache(disabled);
  bool cancelled = true;
  EXPECT_FALSE(disabled.DownloadModule(Template("exact4096"), true, cancelled));
  EXPECT_FALSE(cancelled);
  const std::vector<Report> reports = disabled.reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].status, LS_ConnectionFailure);
  EXPECT_EQ(reports[0].message, "HTTP Response Code: 200 Curl Code: 0");
  EXPECT_TRUE(disabled.started().empty()) << "the cache must not stand in for a disabled service";
  EXPECT_TRUE(disabled.cache().valid());

  RecordingLoader module(false);
  EXPECT_TRUE(module.DownloadModule(Template("exact4097"), true, cancelled));
  ASSERT_EQ(module.started().size(), 1u);
  EXPECT_EQ(module.started()[0], Plain(Served("modules\\testproduct\\exact4097\\win64")));
}

TEST_F(ModuleTransferOverCdn, ModuleWithoutETagIsKeptWithTagNA) {
  RecordingLoader loader(false);
  bool cancelled = true;
  EXPECT_TRUE(loader.DownloadModule(Template("noetag"), true, cancelled));
  EXPECT_EQ(loader.cache().pendingTag(), "N/A");
}

TEST_F(ModuleTransferOverCdn, HttpFailureFallsBackToTheCacheOrReports506) {
  RecordingLoader cached(false);
  WriteValidCache(cached);
  bool cancelled = true;
  EXPECT_FALSE(cached.DownloadModule(Template("missing"), true, cancelled));
  EXPECT_TRUE(cached.reports().empty());
  ASSERT_EQ(cached.started().size(), 1u);
  EXPECT_EQ(cached.started()[0], testing_support::PlainModule());

  RecordingLoader uncached(false);
  EXPECT_FALSE(uncached.DownloadModule(Template("missing"), true, cancelled));
  const std::vector<Report> reports = uncached.reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].status, LS_ConnectionFailure);
  EXPECT_EQ(reports[0].message, "HTTP Response Code: 404 Curl Code: 0");
}

TEST_F(ModuleTransferOverCdn, OverrideModuleIsStartedButNeverCached) {
  game_ = folder_ + "\\Game.exe";
  testing_support::WriteFileBytes(game_, Bytes{'M', 'Z'});
  const std::string file = "cdn=https://modules.vigilor.gg/builds/abc123/{{system}}\n";
  testing_support::WriteFileBytes(game_ + ".vgl", Bytes(file.begin(), file.end()));
  launcher::SetCurrentSwitches({.immediateExitOnError = true, .headlessMode = true});
  RecordingLoader loader(false);
  loader.OpenCache(module_);
  ASSERT_TRUE(loader.Initialize([](unsigned, unsigned) { return VGL_MDPR_Continue; }, loader.Recorder(), game_,
                                folder_, "win64", "testproduct", "sandbox", "testdeployment", false));
  ASSERT_TRUE(loader.WaitForWorker(std::chrono::seconds(60)));
  launcher::SetCurrentSwitches({});
  EXPECT_TRUE(loader.reports().empty());
  ASSERT_EQ(loader.started().size(), 1u);
  EXPECT_EQ(loader.started()[0], Plain(Served("builds\\abc123\\win64")));
  EXPECT_TRUE(loader.cache().pendingModule().empty());
}

}  // namespace
}  // namespace vigilor::acquisition
