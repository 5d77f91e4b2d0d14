// SPDX-License-Identifier: MIT
// The rules behind the module's code-signature check that do not need the
// system: which signers are the maker's, and which chain faults always mean a
// signature is not anchored in a trusted root. The check itself lives in
// signature_trust_win.h and signature_check_win.h. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vigilor::acquisition {

// The trust provider's answer for one file.
enum class TrustVerdict : unsigned {
  FunctionsUnavailable = 1,  // the trust functions could not be loaded
  FileMissing = 2,
  Accepted = 3,
  Rejected = 4,
};

// Signer display names are kept up to this many UTF-16 code units.
inline constexpr std::size_t kMaxSignerNameLength = 260;

// The maker's signer names, exactly as they appear in the certificates.
inline constexpr std::u16string_view kAcceptedSigners[] = {
    u"Vigilor Oy", u"Tarnvale Inc.", u"Tarnvale, Inc", u"Tarnvale, Inc.", u"Tarnvale Inc",
};

// True when name equals one of kAcceptedSigners: same length, same code units,
// case-sensitive. A null view is refused; an embedded NUL makes a different
// name, not a shorter one.
bool IsAcceptedSigner(std::u16string_view name);

// Chain error bits (the CERT_TRUST_IS_* values of a chain's error status) that
// no acceptable code signature can carry, whatever the signing time and the
// revocation settings: a revoked certificate, a bad certificate signature, a
// root that is not trusted, a cyclic or partial chain.
inline constexpr std::uint32_t kChainRevoked = 0x00000004;
inline constexpr std::uint32_t kChainSignatureInvalid = 0x00000008;
inline constexpr std::uint32_t kChainUntrustedRoot = 0x00000020;
inline constexpr std::uint32_t kChainCyclic = 0x00000080;
inline constexpr std::uint32_t kChainPartial = 0x00010000;
inline constexpr std::uint32_t kChainAnchorFaults =
    kChainRevoked | kChainSignatureInvalid | kChainUntrustedRoot | kChainCyclic | kChainPartial;

// True when the signer's chain status carries none of kChainAnchorFaults.
// Other bits (time validity, usage, unknown revocation) are the trust
// provider's to judge: it evaluates them at the signing time.
bool IsChainAnchored(std::uint32_t chainErrorStatus);

}  // namespace vigilor::acquisition
