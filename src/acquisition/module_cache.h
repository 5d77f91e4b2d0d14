// SPDX-License-Identifier: MIT
// The per-user cache of the last module that worked: the module file
// "vigilor_<token>.vgl" (the module as served, scrambled) and its side file
// "<module file>.metadata" holding "sha1=<40 hex digits>" and "etag=<tag>".
// A cached module is trusted only while it is at most 168 whole hours old and
// its side file's digest matches the file. The cache is consumed when loaded
// and written back only by Store, at shutdown.
//
// The name, side-file and age rules are pure functions (module_cache.cpp). The
// file work of ModuleCache and FileSha1 is Windows only (module_cache_win.cpp).
// Every cache failure is silent: the cache just becomes invalid or stays
// unwritten, and nothing is logged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vigilor::acquisition {

inline constexpr char kInvalidSystemToken[] = "INVALID_SYSTEM";
inline constexpr char kMetadataSuffix[] = ".metadata";
inline constexpr std::uint64_t kModuleCacheMaxAgeHours = 168;

// The file token of a system name, by exact comparison ("win64" -> "x64",
// "win64_wow64" -> "x64_wow64", "linux64" -> "linux_x64", ...); any other
// name gives "INVALID_SYSTEM".
std::string_view ModuleFileToken(std::string_view systemName);

// "vigilor_" + ModuleFileToken(systemName) + ".vgl".
std::string ModuleFileName(std::string_view systemName);

// The side file's path: the module file's path followed by ".metadata".
std::string MetadataPath(std::string_view modulePath);

// What a side file says.
struct CacheMetadata {
  std::string digest;  // as written, any case
  std::string tag;     // the entity tag to revalidate with
};

// A tag that may be stored and later sent in "If-None-Match": non-empty and
// free of control characters, so it can neither break the side file's lines
// nor split a request header.
bool IsUsableCacheTag(std::string_view tag);

// Reads a side file. Lines end at "\n", a "\r" ending a line is dropped; lines
// shorter than six characters are ignored; "etag=" (any case) sets the tag,
// else "sha1=" (any case) sets the digest, to the rest of the line; a later
// line overwrites an earlier one; other lines are ignored. True when the file
// is usable: the digest is non-empty and the tag is usable. metadata is
// filled either way.
bool ParseCacheMetadata(std::string_view text, CacheMetadata& metadata);

// "sha1=" + digest + lineEnd + "etag=" + tag + lineEnd.
std::string FormatCacheMetadata(std::string_view digest, std::string_view tag, std::string_view lineEnd);

// The stored digest equals the computed one ignoring ASCII case; an empty
// computed digest matches nothing.
bool CacheDigestsMatch(std::string_view stored, std::string_view computed);

// Both times are file times (100 ns units since 1601, UTC). The age is taken
// in whole milliseconds on unsigned 64-bit numbers, so a last-write time in
// the future gives a huge age. True when the age in whole hours exceeds 168:
// 168 h 59 min is still fresh, 169 h is not.
bool IsModuleCacheExpired(std::uint64_t nowFileTime, std::uint64_t lastWriteFileTime);

// The 40 lower-case hexadecimal digits of a 20-byte SHA-1 value; empty when
// digest does not hold exactly 20 bytes.
std::string FormatSha1Digest(std::span<const std::uint8_t> digest);

// Test seam for the cache writes: writes data to an open file handle (a
// Windows HANDLE). written receives the bytes that reached the file; false
// when the write failed. ModuleCache::Store checks that every byte was written.
class CacheFileWriter {
 public:
  virtual ~CacheFileWriter() = default;
  virtual bool Write(void* file, const std::uint8_t* data, std::size_t size, std::size_t& written) = 0;
};

// The cache directory of the product and deployment (created when missing)
// followed by ModuleFileName(systemName). False, with path empty, when either
// identifier is empty or unusable as a folder name, or the directory cannot
// be made. Windows only.
bool ModuleCachePathFor(const std::string& productId, const std::string& deploymentId,
                        std::string_view systemName, std::string& path);

// SHA-1 of the whole file through the system's cryptographic provider, as 40
// lower-case hexadecimal digits; the file is read in pieces, never whole. False, with digest empty, for an empty,
// missing or unreadable file. Windows only; any thread.
bool FileSha1(const std::string& path, std::string& digest);

// SHA-1 of bytes in memory, as FileSha1 formats it. False for no bytes or a
// provider failure. Windows only; any thread.
bool BytesSha1(std::span<const std::uint8_t> bytes, std::string& digest);

// One cache slot: the loader owns it. Used by the loader's worker thread
// (Open, LoadCachedModule, SetPending) and later by the thread that shuts the
// loader down (Store, ClearPending), never by both at once; not locked.
class ModuleCache {
 public:
  // Resets everything and remembers path (empty: caching off). Then, when
  // the module file can be opened and its last-write time read: if it is
  // older than 168 whole hours (or dated in the future) both files are
  // deleted; otherwise the cache is valid when the side file is usable and
  // its digest matches the module file. A missing file deletes nothing.
  void Open(const std::string& path);

  const std::string& path() const { return path_; }
  bool valid() const { return valid_; }
  // The side file's entity tag; meaningful only while valid().
  const std::string& tag() const { return tag_; }

  // Consumes the cache: reads the module file, deletes both files, and keeps
  // the module (descrambled in place) and the tag as the pending module, which
  // is both what the caller maps and what Store writes back. False, with no
  // pending module, when the cache is not valid or the file yields no bytes.
  // Bytes that no longer match the digest checked by Open are refused.
  bool LoadCachedModule();

  // The module to write at shutdown and its tag. The module is held in plain
  // form, the one that is mapped, so that a single copy of it is in memory;
  // Store writes the scrambled form the CDN serves.
  void SetPending(std::vector<std::uint8_t> module, std::string tag);
  const std::vector<std::uint8_t>& pendingModule() const { return pendingModule_; }
  const std::string& pendingTag() const { return pendingTag_; }

  // Empties the pending module and tag and releases their memory.
  void ClearPending();

  // Writes the pending module anew (scrambled), then its side file, then
  // ClearPending().
  // Nothing is written without a path or a pending module. The old side file
  // is removed before the module file is replaced, and the new one is written
  // under a temporary name and renamed into place, so a write that stops
  // short (of either file) leaves no side file and the cache invalid. True
  // when both files were written. Only after the module reported that it
  // loaded into the game; the caller decides that.
  bool Store();
  bool Store(CacheFileWriter& writer);

 private:
  bool ReadMetadata();
  bool WriteMetadata(const std::string& tag, CacheFileWriter& writer);
  void Delete();

  std::string path_;
  bool valid_ = false;
  std::string tag_;
  std::vector<std::uint8_t> pendingModule_;
  std::string pendingTag_;
  std::string digest_;  // the side file's digest, checked again when loading
};

}  // namespace vigilor::acquisition
