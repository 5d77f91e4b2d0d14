// SPDX-License-Identifier: MIT
// The module's code-signature check, run on the loader's thread before the
// module is mapped on Windows: the bytes go to a temporary file, the system's
// trust provider verifies the file (signature_trust_win.h), and the signer
// must be one of the maker's names (signature_policy.h). Windows only.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "foundation/scoped_handle_win.h"

namespace vigilor::acquisition {

struct TrustFunctions;

// True when the module may be mapped: the trust provider accepted its
// signature, the signer's chain ends in a trusted root and the signer is an
// accepted name. Also true when the check cannot be carried out, so that a
// system without the trust functions still starts the game: the functions are
// unavailable, the product cache root is unknown, or the temporary file cannot
// be created or written. False when the provider rejects the file, the
// signer's name cannot be read or is not accepted, or the written file cannot
// be held unchanged for the check. The temporary file (a random name in the
// product cache root) is deleted in every case. Any thread; the loader's
// worker in the product.
bool VerifyModuleSignature(std::span<const std::uint8_t> module);

// The same check with the temporary file in folder (which ends with a
// separator) and the given trust functions (null: unavailable).
bool VerifyModuleSignatureIn(const std::wstring& folder, const TrustFunctions* trust,
                             std::span<const std::uint8_t> module);

// A copy of the module in a file of its own for the trust provider to read.
// The file is deleted when this object goes, whatever happened before.
class TemporaryModuleFile {
 public:
  explicit TemporaryModuleFile(std::wstring path) : path_(std::move(path)) {}
  ~TemporaryModuleFile();
  TemporaryModuleFile(const TemporaryModuleFile&) = delete;
  TemporaryModuleFile& operator=(const TemporaryModuleFile&) = delete;

  // Creates the file (write access, no sharing, replacing a file of that
  // name) and writes bytes, then closes it. False when it cannot be created or
  // written whole.
  bool Write(std::span<const std::uint8_t> bytes);

  // Opens the written file again for reading only and keeps it open, refusing
  // writers and deleters, so that what the provider reads by path is what was
  // checked here: the file must hold exactly bytes. Other readers (the trust
  // provider) may still open it. False when it cannot be opened, is a reparse
  // point, or differs.
  bool HoldUnchanged(std::span<const std::uint8_t> bytes);

  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  bool created_ = false;
  ScopedKernelHandle held_;
};

}  // namespace vigilor::acquisition
