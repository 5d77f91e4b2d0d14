// SPDX-License-Identifier: MIT
#include "acquisition/module_cache.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <utility>

#include "acquisition/module_scramble.h"
#include "foundation/files.h"
#include "foundation/scoped_handle_win.h"
#include "foundation/unicode.h"

namespace vigilor::acquisition {
namespace {

// A side file is two short lines; anything bigger is not one of ours.
constexpr std::uint64_t kMetadataLimit = 64 * 1024;
// Largest single WriteFile / CryptHashData request.
constexpr std::size_t kMaxChunk = 1u << 30;
// Files are hashed and written scrambled in pieces of this size.
constexpr std::size_t kFilePiece = 1u << 20;
constexpr char kTemporarySuffix[] = ".tmp";
constexpr char kLineEnd[] = "\r\n";

struct CryptProviderTraits {
  using Handle = HCRYPTPROV;
  static Handle Invalid() noexcept { return 0; }
  static bool IsValid(Handle handle) noexcept { return handle != 0; }
  static void Close(Handle handle) noexcept { CryptReleaseContext(handle, 0); }
};

struct CryptHashTraits {
  using Handle = HCRYPTHASH;
  static Handle Invalid() noexcept { return 0; }
  static bool IsValid(Handle handle) noexcept { return handle != 0; }
  static void Close(Handle handle) noexcept { CryptDestroyHash(handle); }
};

using ScopedCryptProvider = ScopedHandle<CryptProviderTraits>;
using ScopedCryptHash = ScopedHandle<CryptHashTraits>;

// A failed conversion yields a marker text, which must not be taken for a
// relative file name.
bool ToWidePath(const std::string& utf8, std::wstring& wide) {
  if (utf8.empty()) return false;
  wide = Utf8ToWide(utf8);
  return wide != kUtf8ToWideError || utf8 == "U82W_ERROR";
}

std::uint64_t ToUint64(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::uint64_t CurrentFileTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ToUint64(now);
}

bool ReadLastWriteTime(const std::wstring& path, std::uint64_t& lastWrite) {
  ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  FILETIME written;
  if (!file || !GetFileTime(file.get(), nullptr, nullptr, &written)) return false;
  lastWrite = ToUint64(written);
  return true;
}

class SystemFileWriter final : public CacheFileWriter {
 public:
  bool Write(void* file, const std::uint8_t* data, std::size_t size, std::size_t& written) override {
    written = 0;
    while (written < size) {
      const DWORD request = static_cast<DWORD>(std::min(size - written, kMaxChunk));
      DWORD done = 0;
      if (!WriteFile(static_cast<HANDLE>(file), data + written, request, &done, nullptr)) return false;
      if (done == 0) return false;
      written += done;
    }
    return true;
  }
};

ScopedKernelHandle CreateNewFile(const std::wstring& path) {
  return ScopedKernelHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Creates path anew (no sharing while it is written) and writes all of data.
// False when the file cannot be created or any byte is missing; the caller
// decides what to do with what was written.
bool WriteNewFile(const std::wstring& path, std::span<const std::uint8_t> data, CacheFileWriter& writer) {
  ScopedKernelHandle file = CreateNewFile(path);
  if (!file) return false;
  std::size_t written = 0;
  return writer.Write(file.get(), data.data(), data.size(), written) && written == data.size();
}

// As WriteNewFile, with the scrambled form of a plain module, produced a
// piece at a time so that no second copy of the module is needed.
bool WriteNewScrambledFile(const std::wstring& path, std::span<const std::uint8_t> plain, CacheFileWriter& writer) {
  ScopedKernelHandle file = CreateNewFile(path);
  if (!file) return false;
  std::vector<std::uint8_t> piece(std::min(plain.size(), kFilePiece));
  for (std::size_t offset = 0; offset < plain.size(); offset += piece.size()) {
    const std::span<std::uint8_t> out(piece.data(), std::min(piece.size(), plain.size() - offset));
    ScrambleModuleRange(plain, offset, out);
    std::size_t written = 0;
    if (!writer.Write(file.get(), out.data(), out.size(), written) || written != out.size()) return false;
  }
  return true;
}

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

// One SHA-1 computation through the system's provider.
class Sha1 {
 public:
  Sha1() {
    HCRYPTPROV rawProvider = 0;
    if (!CryptAcquireContextW(&rawProvider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return;
    provider_.reset(rawProvider);
    HCRYPTHASH rawHash = 0;
    if (CryptCreateHash(provider_.get(), CALG_SHA1, 0, 0, &rawHash)) hash_.reset(rawHash);
  }

  bool Add(std::span<const std::uint8_t> bytes) {
    if (!hash_) return false;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kMaxChunk) {
      const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - offset, kMaxChunk));
      if (!CryptHashData(hash_.get(), bytes.data() + offset, chunk, 0)) return false;
    }
    return true;
  }

  bool Finish(std::string& digest) {
    std::uint8_t value[20] = {};
    DWORD size = sizeof(value);
    if (!hash_ || !CryptGetHashParam(hash_.get(), HP_HASHVAL, value, &size, 0) || size != sizeof(value)) return false;
    digest = FormatSha1Digest(value);
    return true;
  }

 private:
  ScopedCryptProvider provider_;
  ScopedCryptHash hash_;  // destroyed before the provider
};

bool BytesSha1(std::span<const std::uint8_t> bytes, std::string& digest) {
  digest.clear();
  Sha1 sha1;
  return !bytes.empty() && sha1.Add(bytes) && sha1.Finish(digest);
}

bool FileSha1(const std::string& path, std::string& digest) {
  digest.clear();
  std::wstring wide;
  if (!ToWidePath(path, wide)) return false;
  ScopedKernelHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  Sha1 sha1;
  std::vector<std::uint8_t> piece(kFilePiece);
  std::uint64_t total = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr)) return false;
    if (read == 0) break;
    if (!sha1.Add({piece.data(), read})) return false;
    total += read;
  }
  return total > 0 && sha1.Finish(digest);
}

bool ModuleCachePathFor(const std::string& productId, const std::string& deploymentId,
                        std::string_view systemName, std::string& path) {
  path.clear();
  if (productId.empty() || deploymentId.empty()) return false;
  std::string directory;
  if (!GetProductCacheDirectory(productId, deploymentId, directory)) return false;
  path = directory + ModuleFileName(systemName);
  return true;
}

void ModuleCache::Open(const std::string& path) {
  path_ = path;
  valid_ = false;
  tag_.clear();
  digest_.clear();
  ClearPending();
  std::wstring module;
  if (!ToWidePath(path_, module)) return;
  std::uint64_t lastWrite = 0;
  if (!ReadLastWriteTime(module, lastWrite)) return;
  if (IsModuleCacheExpired(CurrentFileTime(), lastWrite)) {
    Delete();
    return;
  }
  valid_ = ReadMetadata();
}

bool ModuleCache::ReadMetadata() {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(MetadataPath(path_), bytes, kMetadataLimit + 1) || bytes.size() > kMetadataLimit) {
    return false;
  }
  CacheMetadata metadata;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!ParseCacheMetadata(text, metadata)) return false;
  std::string computed;
  if (!FileSha1(path_, computed) || !CacheDigestsMatch(metadata.digest, computed)) return false;
  tag_ = std::move(metadata.tag);
  digest_ = std::move(metadata.digest);
  return true;
}

void ModuleCache::Delete() {
  std::wstring module;
  std::wstring side;
  if (ToWidePath(path_, module)) DeleteFileW(module.c_str());
  if (ToWidePath(MetadataPath(path_), side)) DeleteFileW(side.c_str());
}

bool ModuleCache::LoadCachedModule() {
  ClearPending();
  if (!valid_) return false;
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path_, bytes)) return false;
  Delete();
  // Open checked the file long before (the transfer ran in between); load
  // only the bytes the side file vouched for.
  std::string digest;
  if (!BytesSha1(bytes, digest) || !CacheDigestsMatch(digest_, digest)) return false;
  DescrambleModule(bytes);
  SetPending(std::move(bytes), tag_);
  return true;
}

bool ModuleCache::Store() {
  SystemFileWriter writer;
  return Store(writer);
}

bool ModuleCache::Store(CacheFileWriter& writer) {
  bool stored = false;
  std::wstring module;
  std::wstring side;
  if (!pendingModule_.empty() && ToWidePath(path_, module) && ToWidePath(MetadataPath(path_), side)) {
    // The old side file describes the file about to be replaced; it must not
    // outlive it if this write stops short.
    DeleteFileW(side.c_str());
    if (WriteNewScrambledFile(module, pendingModule_, writer)) stored = WriteMetadata(pendingTag_, writer);
  }
  ClearPending();
  return stored;
}

bool ModuleCache::WriteMetadata(const std::string& tag, CacheFileWriter& writer) {
  std::string digest;
  if (!IsUsableCacheTag(tag) || !FileSha1(path_, digest)) return false;
  std::wstring side;
  std::wstring temporary;
  if (!ToWidePath(MetadataPath(path_), side) || !ToWidePath(MetadataPath(path_) + kTemporarySuffix, temporary)) {
    return false;
  }
  // Written aside and renamed into place, so a short write never leaves a
  // side file behind.
  const std::string text = FormatCacheMetadata(digest, tag, kLineEnd);
  if (!WriteNewFile(temporary, AsBytes(text), writer) ||
      !MoveFileExW(temporary.c_str(), side.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace vigilor::acquisition
