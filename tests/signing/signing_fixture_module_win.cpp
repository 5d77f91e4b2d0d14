// SPDX-License-Identifier: MIT
// The image the signature fixtures are made from. It is only ever read as
// bytes, never loaded; the export gives it some code to tamper with.
#include <windows.h>

extern "C" __declspec(dllexport) int SigningFixtureAnswer(int value) { return value * 7 + 3; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
