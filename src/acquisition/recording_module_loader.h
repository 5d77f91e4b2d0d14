// SPDX-License-Identifier: MIT
// Test support for the module transfer tests: a loader whose module start
// only records the bytes it was given, and a file writer. Tests only.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/module_cache.h"
#include "acquisition/module_loader.h"
#include "acquisition/module_scramble.h"
#include "foundation/random.h"
#include "foundation/unicode.h"

namespace vigilor::acquisition::testing_support {

using Bytes = std::vector<std::uint8_t>;

struct Report {
  LoaderStatus status;
  std::string message;
};

// A loader whose module start only records the bytes it was given.
class RecordingLoader : public cModuleLoader {
 public:
  explicit RecordingLoader(bool gameDev, VGL_ModuleDownloadProgressResult progressAnswer = VGL_MDPR_Continue)
      : cModuleLoader({}) {
    gameDev_ = gameDev;
    productId_ = "testproduct";
    deploymentId_ = "testdeployment";
    systemName_ = "win64";
    progress_ = [progressAnswer](unsigned, unsigned) { return progressAnswer; };
    status_ = Recorder();
  }
  StatusCallback Recorder() {
    return [this](LoaderStatus status, const char* message) {
      std::lock_guard lock(mutex_);
      reports_.push_back({status, message ? message : ""});
      reported_.notify_all();
    };
  }
  ~RecordingLoader() override { Stop(); }

  bool CreateGameProcess(const std::string&, const std::vector<std::string>&, const std::string&, bool) override {
    return false;
  }
  bool TryGetModuleCachePath(std::string& path, const std::string&, const std::string&) override {
    path = cachePath_;
    return !path.empty();
  }
  bool LoadAndStartModule(const Bytes& module) override {
    started_.push_back(module);
    return true;
  }

  void OpenCache(const std::string& path) {
    cachePath_ = path;
    cache_.Open(path);
  }
  ModuleCache& cache() { return cache_; }
  const std::vector<Bytes>& started() const { return started_; }
  std::vector<Report> reports() {
    std::lock_guard lock(mutex_);
    return reports_;
  }
  // Waits for the worker's Run to return.
  bool WaitForWorker(std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return reported_.wait_for(lock, limit, [this] { return runFinished_; });
  }

 protected:
  void Run() override {
    cModuleLoader::Run();
    std::lock_guard lock(mutex_);
    runFinished_ = true;
    reported_.notify_all();
  }

 private:
  std::string cachePath_;
  std::vector<Bytes> started_;
  std::mutex mutex_;
  std::condition_variable reported_;
  std::vector<Report> reports_;
  bool runFinished_ = false;
};

// The stored (scrambled) module of a valid cache, 5000 bytes.
inline Bytes StoredModule() {
  Bytes bytes(5000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

inline Bytes PlainModule() {
  Bytes bytes = StoredModule();
  DescrambleModule(bytes);
  return bytes;
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok && written == bytes.size()) << path;
}

// A fresh folder for the cache files (and a game) of one test.
class ModuleTransferFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    folder_ = WideToUtf8(temp) + "vgl-transfer-" + FormatRandomGuid();
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder_).c_str(), nullptr));
    module_ = folder_ + "\\" + ModuleFileName("win64");
  }
  void TearDown() override {
    for (const std::string& path : {module_, MetadataPath(module_), game_, game_ + ".vgl"}) {
      if (!path.empty()) DeleteFileW(Utf8ToWide(path).c_str());
    }
    EXPECT_TRUE(RemoveDirectoryW(Utf8ToWide(folder_).c_str())) << "unexpected files left";
  }
  // A cache of StoredModule() as a previous launch's Store leaves it.
  void WriteValidCache(RecordingLoader& loader, const std::string& tag = "\"tag-1\"") {
    const Bytes stored = StoredModule();
    std::string digest;
    ASSERT_TRUE(BytesSha1(stored, digest));
    WriteFileBytes(module_, stored);
    const std::string side = FormatCacheMetadata(digest, tag, "\r\n");
    WriteFileBytes(MetadataPath(module_), Bytes(side.begin(), side.end()));
    loader.OpenCache(module_);
    ASSERT_TRUE(loader.cache().valid());
  }

  std::string folder_;
  std::string module_;
  std::string game_;
};

}  // namespace vigilor::acquisition::testing_support
