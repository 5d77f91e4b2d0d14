// SPDX-License-Identifier: MIT
#include "foundation/files.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <new>

#include "foundation/path.h"
#include "foundation/scoped_handle_win.h"
#include "foundation/unicode.h"

namespace vigilor {
namespace {

// Longest path the wide file functions accept, terminator included.
constexpr DWORD kMaxWidePath = 32768;
// Largest single ReadFile request; bigger files are read in several.
constexpr DWORD kMaxReadChunk = 1u << 30;

constexpr wchar_t kProductFolder[] = L"Vigilor";

bool IsUsablePath(const std::wstring& path) {
  return !path.empty() && path.find(L'\0') == std::wstring::npos;
}

// A failed conversion returns a marker text, which must not be taken for a
// relative file name.
bool ToWidePath(const std::string& utf8, std::wstring& wide) {
  wide = Utf8ToWide(utf8);
  if (wide == kUtf8ToWideError && utf8 != "U82W_ERROR") return false;
  return IsUsablePath(wide);
}

// Leaves utf8 empty on failure.
bool ToUtf8Path(const std::wstring& wide, std::string& utf8) {
  utf8 = WideToUtf8(wide);
  if (utf8 != kWideToUtf8Error) return true;
  utf8.clear();
  return false;
}

bool EndsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

bool IsDirectory(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates path unless it already is a directory. A second bootstrapper may
// create the same folder between our check and our create; that still counts.
bool EnsureDirectory(const std::wstring& path) {
  if (IsDirectory(path)) return true;
  if (CreateDirectoryW(path.c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(path);
}

// GetModuleFileNameW cuts the path silently when the buffer is too small and
// still reports success, so grow the buffer until the whole path fits.
bool ReadExecutablePath(std::wstring& path) {
  return ReadUncutText(path, MAX_PATH, kMaxWidePath, [](wchar_t* buffer, size_t capacity) -> size_t {
    return GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity));
  });
}

bool AllocateBytes(std::vector<uint8_t>& bytes, uint64_t count) {
  if (count > bytes.max_size()) return false;
  try {
    bytes.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Fills the whole buffer or fails; a file that shrank since its size was read
// ends the loop with a zero-byte read.
bool ReadExactly(HANDLE file, uint8_t* data, uint64_t count) {
  while (count > 0) {
    const DWORD request = static_cast<DWORD>(std::min<uint64_t>(count, kMaxReadChunk));
    DWORD done = 0;
    if (!ReadFile(file, data, request, &done, nullptr) || done == 0) return false;
    data += done;
    count -= done;
  }
  return true;
}

}  // namespace

bool GetProductCacheRoot(std::wstring& root) {
  root.clear();
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return false;
  }
  std::wstring path = folder;
  if (path.empty()) return false;
  if (!EndsWithSeparator(path)) path += L'\\';
  path += kProductFolder;
  if (!EnsureDirectory(path)) return false;
  root = path + L'\\';
  return true;
}

bool GetProductCacheDirectory(const std::string& productId, const std::string& deploymentId,
                              std::string& directory) {
  directory.clear();
  // Identifiers come from the studio's settings file; never let one climb out
  // of the cache root or name another drive.
  if (!IsSinglePathComponent(productId) || !IsSinglePathComponent(deploymentId)) return false;
  std::wstring product;
  std::wstring deployment;
  if (!ToWidePath(productId, product) || !ToWidePath(deploymentId, deployment)) return false;

  std::wstring path;
  if (!GetProductCacheRoot(path)) return false;
  path += product;
  if (!EnsureDirectory(path)) return false;
  path += L'\\';
  path += deployment;
  if (!EnsureDirectory(path)) return false;
  path += L'\\';
  return ToUtf8Path(path, directory);
}

bool GetExecutablePath(std::string& path) {
  path.clear();
  std::wstring wide;
  if (!ReadExecutablePath(wide)) return false;
  return ToUtf8Path(wide, path);
}

unsigned GetExecutableDirectory(std::string& directory) {
  directory.clear();
  std::string path;
  if (!GetExecutablePath(path)) return ExecutableDirectoryResult::PathUnavailable;
  directory = DirectoryPartOfPath(path);
  return directory.empty() ? ExecutableDirectoryResult::NoDirectory : ExecutableDirectoryResult::Success;
}

bool FileExists(const std::wstring& pathOrPattern) {
  if (!IsUsablePath(pathOrPattern)) return false;
  WIN32_FIND_DATAW entry;
  ScopedFindHandle find(FindFirstFileW(pathOrPattern.c_str(), &entry));
  if (!find) return false;
  // A folder of the game's name is no game binary; a pattern may list folders
  // (".", "..") before the first file.
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return true;
  } while (FindNextFileW(find.get(), &entry));
  return false;
}

bool FileExists(const std::string& pathOrPattern) {
  std::wstring wide;
  return ToWidePath(pathOrPattern, wide) && FileExists(wide);
}

bool DirectoryExists(const std::string& path) {
  std::wstring wide;
  return ToWidePath(path, wide) && IsDirectory(wide);
}

int64_t QueryFileSize(const std::string& path) {
  std::wstring wide;
  if (!ToWidePath(path, wide)) return -1;
  ScopedKernelHandle file(CreateFileW(ToExtendedLengthPath(wide).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  if (!file) return -1;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return -1;
  return size.QuadPart;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit) {
  bytes.clear();
  std::wstring wide;
  if (limit == 0 || !ToWidePath(path, wide)) return false;
  return ReadWholeFile(wide, bytes, limit);
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, uint64_t limit) {
  bytes.clear();
  if (limit == 0 || !IsUsablePath(path)) return false;
  ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return false;
  const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(size.QuadPart), limit);
  if (!AllocateBytes(bytes, wanted)) return false;
  if (!ReadExactly(file.get(), bytes.data(), wanted)) {
    std::vector<uint8_t>().swap(bytes);
    return false;
  }
  return true;
}

std::wstring ToExtendedLengthPath(const std::wstring& path) {
  if (path.empty()) return {};
  // Already extended: the system would not normalize it anyway, and a second
  // prefix would name nothing.
  if (path.starts_with(L"\\\\?\\") || path.find(L'\0') != std::wstring::npos) return path;
  std::wstring full(kMaxWidePath, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), kMaxWidePath, full.data(), nullptr);
  if (length == 0 || length >= kMaxWidePath) return path;
  full.resize(length);
  return AddExtendedLengthPrefix(full);
}

}  // namespace vigilor
