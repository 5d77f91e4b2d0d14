// SPDX-License-Identifier: MIT
// File-system helpers: the per-user product cache directory, the running
// executable's path, existence and size checks, whole-file reads and
// extended-length paths. Windows only (files_win.cpp); the header itself is
// portable.
//
// Paths are UTF-8 unless the signature takes a wide string. Returned directory
// paths end with a separator. A path that cannot be converted to UTF-16, or
// that holds a NUL, names no file. Nothing here throws; every function is
// reentrant and may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vigilor {

// The roaming application-data folder + "Vigilor\", created when missing
// (the application-data folder too). False, with root empty, when the folder
// is unknown or cannot be created (for example a file of that name exists).
bool GetProductCacheRoot(std::wstring& root);

// Root + productId + "\" + deploymentId + "\", each level created when
// missing. False, with directory empty, when either identifier is empty or not
// a single folder name ("..", separators, ":"), or a level cannot be created.
// Nothing is created for a rejected identifier.
bool GetProductCacheDirectory(const std::string& productId, const std::string& deploymentId,
                              std::string& directory);

// Full path of the running executable, however long. False when unavailable.
bool GetExecutablePath(std::string& path);

namespace ExecutableDirectoryResult {
inline constexpr unsigned NoDirectory = 0;      // the path has no directory part
inline constexpr unsigned Success = 1;
inline constexpr unsigned PathUnavailable = 3;  // GetExecutablePath failed
}  // namespace ExecutableDirectoryResult

// The executable's directory, up to and including the last "\" or "/".
// directory is empty unless the result is Success.
unsigned GetExecutableDirectory(std::string& directory);

// True when a file (not a directory) matches the path; wildcards in the last
// component match any file that fits.
bool FileExists(const std::wstring& pathOrPattern);
bool FileExists(const std::string& pathOrPattern);

bool DirectoryExists(const std::string& path);

// Size in bytes, or -1 when the file cannot be opened (missing, a directory,
// empty path) or its size cannot be read. Needs only read-attributes access,
// so files opened exclusively for writing by others can still be measured.
int64_t QueryFileSize(const std::string& path);

// Reads the file into bytes: all of it, or its first limit bytes. True when at
// least one byte was read; an empty, missing or unreadable file, a limit of 0,
// a short read or a failed allocation give false with bytes empty. The file is
// opened with sharing for readers and deleters but not writers, so a file
// being written elsewhere is not read half-done.
inline constexpr uint64_t kNoByteLimit = UINT64_MAX;
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit = kNoByteLimit);
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, uint64_t limit = kNoByteLimit);

// The "\\?\" form of the full path of path (relative paths are resolved
// against the current directory); UNC paths take the "\\?\UNC\" form and paths
// already in "\\?\" form come back unchanged. When the full path cannot be
// found the input comes back unchanged; an empty input gives an empty path.
std::wstring ToExtendedLengthPath(const std::wstring& path);

}  // namespace vigilor
