// SPDX-License-Identifier: MIT
#include "acquisition/system_name.h"

#include <windows.h>

#include <vector>

#include "foundation/files.h"
#include "foundation/unicode.h"
#include "wine/wine_detection.h"

namespace vigilor::acquisition {
namespace {

ExecutableBitness BitnessFromBinaryType(const std::string& executablePath) {
  DWORD type = 0;
  if (!GetBinaryTypeW(Utf8ToWide(executablePath).c_str(), &type)) return ExecutableBitness::Unknown;
  switch (type) {
    case SCS_32BIT_BINARY:
      return ExecutableBitness::Bits32;
    case SCS_64BIT_BINARY:
      return ExecutableBitness::Bits64;
    default:
      return ExecutableBitness::Unknown;
  }
}

}  // namespace

ExecutableBitness DetermineExecutableBitness(const std::string& executablePath) {
  std::vector<std::uint8_t> bytes;
  if (ReadWholeFile(executablePath, bytes, kSystemNameReadLimit) &&
      BitnessFromImageHeaders(bytes) == ExecutableBitness::Bits64) {
    return ExecutableBitness::Bits64;
  }
  return BitnessFromBinaryType(executablePath);
}

std::string DetermineSystemName(const std::string& executablePath) {
  const SystemFamily family = wine::IsRunningUnderWine() ? SystemFamily::Wine : SystemFamily::Windows;
  return SystemNameFor(DetermineExecutableBitness(executablePath), family);
}

}  // namespace vigilor::acquisition
