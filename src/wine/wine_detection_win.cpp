// SPDX-License-Identifier: MIT
#include "wine/wine_detection.h"

#include <windows.h>

namespace vigilor::wine {
namespace {

using WineGetVersion = const char*(__cdecl*)();

WineGetVersion FindWineGetVersion() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<WineGetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
}

}  // namespace

bool IsRunningUnderWine() {
  static const bool underWine = FindWineGetVersion() != nullptr;
  return underWine;
}

std::string GetWineVersion() {
  if (!IsRunningUnderWine()) return {};
  WineGetVersion getVersion = FindWineGetVersion();
  const char* version = getVersion != nullptr ? getVersion() : nullptr;
  return version != nullptr ? version : "";
}

}  // namespace vigilor::wine
