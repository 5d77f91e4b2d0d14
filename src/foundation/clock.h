// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace vigilor {

// Monotonic time in nanoseconds. Only differences are meaningful; the origin is
// unspecified. Any thread may call it.
int64_t SteadyNowNs();

}  // namespace vigilor
