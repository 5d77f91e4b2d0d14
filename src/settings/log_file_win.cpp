// SPDX-License-Identifier: MIT
#include <string>

#include "foundation/files.h"
#include "foundation/logger.h"
#include "foundation/unicode.h"
#include "settings/log_file.h"

namespace vigilor::settings {

void OpenLogFile(LogFile& file, const LauncherSettings& settings, std::uint32_t verbosity) {
  if (!file.IsOpen()) {
    std::string directory;
    if (!GetProductCacheDirectory(settings.productid, settings.deploymentid, directory)) {
      // No sink yet: this line reaches no file, and the run has none.
      Log(LogLevel::Error, "Failed to retrieve the cache directory path, log files will be unavailable!");
    } else {
      // A file that cannot be created is not reported: the sink then writes nothing.
      file.Open(std::filesystem::path(Utf8ToWide(directory + kLogFileName)));
    }
  }
  file.SetVerbosity(verbosity);
  SetCurrentLogFile(&file);
  if (Logger* logger = CurrentLogger()) logger->Configure(&LogFileSink, verbosity);
}

}  // namespace vigilor::settings
