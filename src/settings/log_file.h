// SPDX-License-Identifier: MIT
// The run's log file, "anticheatlauncher.log" in the product cache directory,
// and the logger sink that writes to it.
//
// The launcher owns the LogFile. Its lines arrive on the logger's worker
// thread through LogFileSink; Open, Close and Write serialize on the file's
// own lock, so they may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "settings/launcher_settings.h"

namespace vigilor::settings {

inline constexpr char kLogFileName[] = "anticheatlauncher.log";

class LogFile {
 public:
  // Creates or truncates the file: every run starts a fresh one. A failed
  // open leaves the file closed and returns false.
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const;

  // Lines above this level are not written (3, or 5 with the verbose switch).
  void SetVerbosity(std::uint32_t verbosity);

  // Writes line and one "\n", then flushes, unless level exceeds the
  // verbosity or the file is closed. The bytes are written unchanged.
  void Write(unsigned level, const char* line);

 private:
  mutable std::mutex lock_;
  std::ofstream stream_;
  std::uint32_t verbosity_ = 3;
};

// The file LogFileSink writes to; null (the start) makes the sink drop lines.
// The owner clears it before destroying the file.
void SetCurrentLogFile(LogFile* file);

// The logger's sink: forwards to the current log file.
void LogFileSink(unsigned level, const char* line);

// Opens the run's log file in the product cache directory of the settings'
// identifiers (unless file is already open), makes it the current log file
// and installs LogFileSink in the current logger with verbosity as the
// maximum level. Without a cache directory it logs an error (which no file
// receives) and installs the sink all the same. Main thread. Windows builds
// only (log_file_win.cpp).
void OpenLogFile(LogFile& file, const LauncherSettings& settings, std::uint32_t verbosity);

}  // namespace vigilor::settings
