// SPDX-License-Identifier: MIT
#include "acquisition/signature_policy.h"

namespace vigilor::acquisition {

bool IsAcceptedSigner(std::u16string_view name) {
  if (name.data() == nullptr) return false;
  for (const std::u16string_view accepted : kAcceptedSigners) {
    if (name == accepted) return true;
  }
  return false;
}

bool IsChainAnchored(std::uint32_t chainErrorStatus) { return (chainErrorStatus & kChainAnchorFaults) == 0; }

}  // namespace vigilor::acquisition
