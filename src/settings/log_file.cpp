// SPDX-License-Identifier: MIT
#include "settings/log_file.h"

namespace vigilor::settings {
namespace {

std::atomic<LogFile*> g_currentLogFile{nullptr};

}  // namespace

bool LogFile::Open(const std::filesystem::path& path) {
  std::lock_guard<std::mutex> guard(lock_);
  if (stream_.is_open()) stream_.close();
  stream_.clear();
  stream_.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
  return stream_.is_open();
}

void LogFile::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  if (stream_.is_open()) stream_.close();
}

bool LogFile::IsOpen() const {
  std::lock_guard<std::mutex> guard(lock_);
  return stream_.is_open();
}

void LogFile::SetVerbosity(std::uint32_t verbosity) {
  std::lock_guard<std::mutex> guard(lock_);
  verbosity_ = verbosity;
}

void LogFile::Write(unsigned level, const char* line) {
  std::lock_guard<std::mutex> guard(lock_);
  if (verbosity_ < level || !stream_.is_open() || line == nullptr) return;
  stream_ << line << '\n';
  stream_.flush();
}

void SetCurrentLogFile(LogFile* file) { g_currentLogFile.store(file); }

void LogFileSink(unsigned level, const char* line) {
  if (LogFile* file = g_currentLogFile.load()) file->Write(level, line);
}

}  // namespace vigilor::settings
