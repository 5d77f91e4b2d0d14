// SPDX-License-Identifier: MIT
#include "acquisition/module_cache.h"

#include <algorithm>
#include <utility>

namespace vigilor::acquisition {
namespace {

struct SystemToken {
  std::string_view system;
  std::string_view token;
};

constexpr SystemToken kSystemTokens[] = {
    {"win32", "x86"},
    {"wow64", "wow64"},
    {"wow64_win64", "wow64_x64"},
    {"win64_wow64", "x64_wow64"},
    {"win64", "x64"},
    {"linux64", "linux_x64"},
    {"linux32", "linux_x86"},
    {"linux64_32", "linux_x64_x86"},
    {"linux32_64", "linux_x86_x64"},
    {"mac64", "mac_x64"},
    {"mac_arm64", "mac_arm64"},
};

constexpr std::size_t kKeyLength = 5;  // "etag=" and "sha1="
constexpr std::uint64_t kFileTimeTicksPerMillisecond = 10000;
constexpr std::uint64_t kMillisecondsPerHour = 3600000;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool StartsWithKey(std::string_view line, std::string_view key) {
  return line.size() >= key.size() && EqualsIgnoringAsciiCase(line.substr(0, key.size()), key);
}

// Applies one side-file line to metadata.
void ReadMetadataLine(std::string_view line, CacheMetadata& metadata) {
  if (line.size() < kKeyLength + 1) return;
  if (StartsWithKey(line, "etag=")) {
    metadata.tag = std::string(line.substr(kKeyLength));
  } else if (StartsWithKey(line, "sha1=")) {
    metadata.digest = std::string(line.substr(kKeyLength));
  }
}

}  // namespace

std::string_view ModuleFileToken(std::string_view systemName) {
  for (const auto& entry : kSystemTokens) {
    if (entry.system == systemName) return entry.token;
  }
  return kInvalidSystemToken;
}

std::string ModuleFileName(std::string_view systemName) {
  std::string name = "vigilor_";
  name += ModuleFileToken(systemName);
  name += ".vgl";
  return name;
}

std::string MetadataPath(std::string_view modulePath) {
  std::string path(modulePath);
  path += kMetadataSuffix;
  return path;
}

bool IsUsableCacheTag(std::string_view tag) {
  if (tag.empty()) return false;
  return std::none_of(tag.begin(), tag.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
}

bool ParseCacheMetadata(std::string_view text, CacheMetadata& metadata) {
  metadata = {};
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    // Also for a last line without "\n": a stray "\r" must not reach a header.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ReadMetadataLine(line, metadata);
  }
  return !metadata.digest.empty() && IsUsableCacheTag(metadata.tag);
}

std::string FormatCacheMetadata(std::string_view digest, std::string_view tag, std::string_view lineEnd) {
  std::string text = "sha1=";
  text += digest;
  text += lineEnd;
  text += "etag=";
  text += tag;
  text += lineEnd;
  return text;
}

bool CacheDigestsMatch(std::string_view stored, std::string_view computed) {
  return !computed.empty() && EqualsIgnoringAsciiCase(stored, computed);
}

bool IsModuleCacheExpired(std::uint64_t nowFileTime, std::uint64_t lastWriteFileTime) {
  const std::uint64_t ageMilliseconds = (nowFileTime - lastWriteFileTime) / kFileTimeTicksPerMillisecond;
  return ageMilliseconds / kMillisecondsPerHour > kModuleCacheMaxAgeHours;
}

std::string FormatSha1Digest(std::span<const std::uint8_t> digest) {
  constexpr std::size_t kSha1Size = 20;
  constexpr char kHex[] = "0123456789abcdef";
  if (digest.size() != kSha1Size) return {};
  std::string text;
  text.reserve(2 * kSha1Size);
  for (const std::uint8_t byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0f];
  }
  return text;
}

void ModuleCache::SetPending(std::vector<std::uint8_t> module, std::string tag) {
  pendingModule_ = std::move(module);
  pendingTag_ = std::move(tag);
}

void ModuleCache::ClearPending() {
  std::vector<std::uint8_t>().swap(pendingModule_);
  std::string().swap(pendingTag_);
}

}  // namespace vigilor::acquisition
