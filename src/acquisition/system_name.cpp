// SPDX-License-Identifier: MIT
#include "acquisition/system_name.h"

namespace vigilor::acquisition {
namespace {

// Field offsets of the image format (little-endian throughout).
constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
// Signature, file header and a PE32+ optional header with 16 directories.
constexpr std::uint64_t kNtHeadersSize = 264;
constexpr std::uint64_t kFileHeaderOffset = 4;
constexpr std::uint64_t kOptionalHeaderOffset = 24;
constexpr std::uint16_t kMachineBits = 0x0300;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kRuntimeDirectoryIndex = 14;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kRuntimeHeaderSize = 72;
constexpr std::uint64_t kRuntimeFlagsOffset = 16;
constexpr std::uint32_t kRuntimeFlagIlOnly = 0x1;
constexpr std::uint32_t kRuntimeFlag32BitRequired = 0x2;

// Bounds-checked little-endian reads. Offsets and lengths are 64-bit and
// compared without addition, so no header value can wrap the arithmetic.
class ImageBytes {
 public:
  explicit ImageBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint64_t size() const { return bytes_.size(); }
  bool Holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  bool U16(std::uint64_t offset, std::uint16_t& value) const {
    if (!Holds(offset, 2)) return false;
    value = static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    return true;
  }
  bool U32(std::uint64_t offset, std::uint32_t& value) const {
    if (!Holds(offset, 4)) return false;
    value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[offset + i];
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

struct NtHeaders {
  std::uint64_t offset = 0;  // of the "PE\0\0" signature
  bool pe32Plus = false;
  std::uint16_t sectionCount = 0;
  std::uint64_t sectionTableOffset = 0;
  std::uint32_t runtimeHeaderRva = 0;
};

// DOS header, new-header offset and the signature.
bool LocateNtHeaders(const ImageBytes& image, std::uint64_t& ntOffset) {
  std::uint16_t mz = 0;
  std::uint32_t newHeader = 0;
  if (image.size() < kDosHeaderSize || !image.U16(0, mz) || mz != 0x5A4D) return false;
  if (!image.U32(kNewHeaderOffsetField, newHeader)) return false;
  // The field is signed in the format: zero and negative offsets name nothing.
  if (newHeader == 0 || newHeader > 0x7FFFFFFFu) return false;
  if (!image.Holds(newHeader, kNtHeadersSize)) return false;
  std::uint32_t signature = 0;
  if (!image.U32(newHeader, signature) || signature != 0x00004550) return false;
  ntOffset = newHeader;
  return true;
}

// File header and optional header: format, sections, runtime directory.
bool ReadNtHeaders(const ImageBytes& image, std::uint64_t ntOffset, NtHeaders& headers) {
  const std::uint64_t fileHeader = ntOffset + kFileHeaderOffset;
  const std::uint64_t optional = ntOffset + kOptionalHeaderOffset;
  std::uint16_t machine = 0, optionalSize = 0, magic = 0;
  if (!image.U16(fileHeader, machine) || (machine & kMachineBits) == 0) return false;
  if (!image.U16(fileHeader + 2, headers.sectionCount) || !image.U16(fileHeader + 16, optionalSize)) return false;
  if (!image.U16(optional, magic) || (magic != kPe32Magic && magic != kPe32PlusMagic)) return false;
  headers.offset = ntOffset;
  headers.pe32Plus = magic == kPe32PlusMagic;
  headers.sectionTableOffset = optional + optionalSize;

  // A directory past the declared count does not exist, whatever bytes sit there.
  const std::uint64_t directoryCountField = optional + (headers.pe32Plus ? 108 : 92);
  const std::uint64_t directories = directoryCountField + 4;
  std::uint32_t directoryCount = 0;
  if (!image.U32(directoryCountField, directoryCount) || directoryCount <= kRuntimeDirectoryIndex) return false;
  return image.U32(directories + 8 * kRuntimeDirectoryIndex, headers.runtimeHeaderRva);
}

// File offset of length bytes at rva, when a section's raw data holds all of
// them and those bytes lie inside the image.
bool MapRvaToFileOffset(const ImageBytes& image, const NtHeaders& headers, std::uint32_t rva,
                        std::uint64_t length, std::uint64_t& fileOffset) {
  for (std::uint32_t i = 0; i < headers.sectionCount; ++i) {
    const std::uint64_t header = headers.sectionTableOffset + kSectionHeaderSize * i;
    std::uint32_t virtualAddress = 0, rawSize = 0, rawPointer = 0;
    // Section counts are not trusted: the table ends where the bytes end.
    if (!image.U32(header + 12, virtualAddress) || !image.U32(header + 16, rawSize) ||
        !image.U32(header + 20, rawPointer)) {
      return false;
    }
    if (rva < virtualAddress) continue;
    const std::uint64_t inSection = std::uint64_t{rva} - virtualAddress;
    if (inSection >= rawSize) continue;
    if (length > rawSize - inSection) return false;
    const std::uint64_t offset = std::uint64_t{rawPointer} + inSection;
    if (!image.Holds(offset, length)) return false;
    fileOffset = offset;
    return true;
  }
  return false;
}

bool ReadRuntimeFlags(const ImageBytes& image, const NtHeaders& headers, std::uint32_t& flags) {
  if (headers.runtimeHeaderRva == 0) return false;
  std::uint64_t offset = 0;
  if (!MapRvaToFileOffset(image, headers, headers.runtimeHeaderRva, kRuntimeHeaderSize, offset)) return false;
  return image.U32(offset + kRuntimeFlagsOffset, flags);
}

}  // namespace

ExecutableBitness BitnessFromImageHeaders(std::span<const std::uint8_t> bytes) {
  const ImageBytes image(bytes);
  std::uint64_t ntOffset = 0;
  NtHeaders headers;
  std::uint32_t flags = 0;
  if (!LocateNtHeaders(image, ntOffset) || !ReadNtHeaders(image, ntOffset, headers) ||
      !ReadRuntimeFlags(image, headers, flags)) {
    return ExecutableBitness::Unknown;
  }
  if (flags & kRuntimeFlag32BitRequired) return ExecutableBitness::Unknown;
  if (headers.pe32Plus) return flags != 0 ? ExecutableBitness::Bits64 : ExecutableBitness::Unknown;
  // A PE32 managed image runs as a 64-bit process only when it holds no native
  // code (IL only); mixed images keep their 32-bit machine.
  return (flags & kRuntimeFlagIlOnly) ? ExecutableBitness::Bits64 : ExecutableBitness::Unknown;
}

std::string SystemNameFor(ExecutableBitness bitness, SystemFamily family) {
  const bool wine = family == SystemFamily::Wine;
  switch (bitness) {
    case ExecutableBitness::Bits64:
      return wine ? "linux64" : "win64";
    case ExecutableBitness::Bits32:
      return wine ? "linux64_32" : "win64_wow64";
    case ExecutableBitness::Unknown:
      break;
  }
  return kUnknownSystemName;
}

}  // namespace vigilor::acquisition
