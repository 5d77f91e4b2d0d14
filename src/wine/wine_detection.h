// SPDX-License-Identifier: MIT
// Wine detection and the Linux system-call gate.
#pragma once

#include <cstdint>
#include <string>

namespace vigilor::wine {

// True when ntdll.dll exports "wine_get_version". Computed once; any thread.
bool IsRunningUnderWine();

// The Wine version text, empty when not under Wine.
std::string GetWineVersion();

}  // namespace vigilor::wine
