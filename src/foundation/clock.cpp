// SPDX-License-Identifier: MIT
#include "foundation/clock.h"

#include <chrono>

namespace vigilor {

int64_t SteadyNowNs() {
  const auto sinceOrigin = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(sinceOrigin).count();
}

}  // namespace vigilor
