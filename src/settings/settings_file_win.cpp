// SPDX-License-Identifier: MIT
#include "foundation/unicode.h"
#include "settings/launcher_settings.h"

namespace vigilor::settings {

bool ReadSettingsFile(LauncherSettings& settings, const std::string& path) {
  settings = LauncherSettings{};
  const std::wstring widePath = Utf8ToWide(path);
  FlatJsonReader reader;
  std::string error;
  // A path that does not convert must not turn into a file named after the
  // conversion's error marker.
  if (widePath == kUtf8ToWideError || !reader.LoadFile(widePath, error)) {
    settings.loadStatus = Unreadable;
    return false;
  }
  return ReadSettingsFields(settings, reader);
}

}  // namespace vigilor::settings
