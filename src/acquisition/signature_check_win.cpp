// SPDX-License-Identifier: MIT
#include "acquisition/signature_check_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "acquisition/signature_policy.h"
#include "acquisition/signature_trust_win.h"
#include "foundation/files.h"
#include "foundation/logger.h"
#include "foundation/random.h"
#include "foundation/unicode.h"

namespace vigilor::acquisition {
namespace {

constexpr std::size_t kMaxWriteChunk = 1u << 30;
constexpr std::size_t kCompareChunk = 1u << 20;

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD request = static_cast<DWORD>(std::min(bytes.size(), kMaxWriteChunk));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), request, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

bool ContentEquals(HANDLE file, std::span<const std::uint8_t> bytes) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || static_cast<std::uint64_t>(size.QuadPart) != bytes.size()) return false;
  std::vector<std::uint8_t> chunk(std::min(bytes.size(), kCompareChunk));
  while (!bytes.empty()) {
    const DWORD request = static_cast<DWORD>(std::min(bytes.size(), chunk.size()));
    DWORD read = 0;
    if (!ReadFile(file, chunk.data(), request, &read, nullptr) || read != request) return false;
    if (std::memcmp(chunk.data(), bytes.data(), request) != 0) return false;
    bytes = bytes.subspan(request);
  }
  return true;
}

std::string SignerForLog(const std::u16string& name) {
  return WideToUtf8(std::wstring(name.begin(), name.end()));
}

// The decision on the written file; verdicts that say the check could not run
// let the module through.
bool JudgeFile(const TrustFunctions* trust, const std::wstring& path) {
  switch (VerifyFileTrust(trust, path)) {
    case TrustVerdict::Accepted:
      break;
    case TrustVerdict::Rejected:
      return false;
    case TrustVerdict::FunctionsUnavailable:
      Log(LogLevel::Warning, "Trust functions unavailable; module accepted without a signature check.");
      return true;
    case TrustVerdict::FileMissing:
      Log(LogLevel::Warning, "Module copy for the signature check is missing; module accepted without the check.");
      return true;
  }
  std::u16string signer;
  if (!GetSignerName(*trust, path, signer)) {
    Log(LogLevel::Error, "Could not read the module's signer.");
    return false;
  }
  if (!IsAcceptedSigner(signer)) {
    Log(LogLevel::Error, "Module signed by an unexpected signer: '%s'.", SignerForLog(signer).c_str());
    return false;
  }
  return true;
}

}  // namespace

TemporaryModuleFile::~TemporaryModuleFile() {
  held_.reset();
  if (created_ && !DeleteFileW(path_.c_str())) {
    Log(LogLevel::Warning, "Could not delete the module copy '%s' (error %lu).", WideToUtf8(path_).c_str(),
        static_cast<unsigned long>(GetLastError()));
  }
}

bool TemporaryModuleFile::Write(std::span<const std::uint8_t> bytes) {
  ScopedKernelHandle file(
      CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  created_ = true;
  return WriteAll(file.get(), bytes);
}

bool TemporaryModuleFile::HoldUnchanged(std::span<const std::uint8_t> bytes) {
  // Read sharing only: nobody may write, rename or delete the file while it is
  // held. A reparse point is opened as itself, so it cannot stand in for the
  // bytes written here.
  held_.reset(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return held_.valid() && GetFileInformationByHandle(held_.get(), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && ContentEquals(held_.get(), bytes);
}

bool VerifyModuleSignatureIn(const std::wstring& folder, const TrustFunctions* trust,
                             std::span<const std::uint8_t> module) {
  TemporaryModuleFile file(folder + Utf8ToWide(FormatRandomGuid()));
  if (!file.Write(module)) {
    Log(LogLevel::Warning, "Could not write the module copy for the signature check (error %lu); module accepted.",
        static_cast<unsigned long>(GetLastError()));
    return true;
  }
  // From here on the provider must read exactly these bytes: a copy that
  // someone changed, or that cannot be held against changes, is refused.
  if (!file.HoldUnchanged(module)) {
    Log(LogLevel::Error, "The module copy for the signature check was changed or locked by someone else.");
    return false;
  }
  return JudgeFile(trust, file.path());
}

bool VerifyModuleSignature(std::span<const std::uint8_t> module) {
  std::wstring root;
  if (!GetProductCacheRoot(root)) {
    Log(LogLevel::Warning, "Product cache root unavailable; module accepted without a signature check.");
    return true;
  }
  return VerifyModuleSignatureIn(root, LoadTrustFunctions(), module);
}

}  // namespace vigilor::acquisition
