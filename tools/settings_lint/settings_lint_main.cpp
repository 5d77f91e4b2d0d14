// SPDX-License-Identifier: MIT
// settings-lint <Settings.json>: shows how the bootstrapper reads a game's
// settings file and warns about what its scanner silently misreads.
// Exit codes: 0 the bootstrapper accepts the file, 1 it rejects it, 2 usage.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/settings_lint.h"

namespace {

constexpr int kUsageError = 2;

constexpr char kUsage[] =
    "usage: settings-lint <path to Settings.json>\n"
    "Prints the values the bootstrapper reads from the file, its verdict and\n"
    "warnings about values its scanner misreads. Exit code 0 when the\n"
    "bootstrapper accepts the file, 1 when it rejects it, 2 on usage errors.\n";

std::string ToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// False when the file cannot be opened or read; an empty file reads as empty.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  bytes = buffer.str();
  return true;
}

int Run(const std::vector<std::filesystem::path>& args) {
  if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  if (args.size() != 1 || args[0].empty()) {
    std::cerr << kUsage;
    return kUsageError;
  }
  const std::filesystem::path& path = args[0];
  const std::string shown = ToUtf8(path);
  // The bootstrapper names the file in its messages as it was given inside
  // the Vigilor folder: here, its file name.
  const std::string settingsPath = ToUtf8(path.filename());
  std::string bytes;
  vigilor::settings::LintReport report;
  if (ReadWholeFile(path, bytes)) {
    report = vigilor::settings::LintSettingsText(bytes, settingsPath);
  } else {
    std::cerr << "settings-lint: cannot read " << shown << "\n";
    report = vigilor::settings::LintUnreadableFile(settingsPath);
  }
  std::cout << vigilor::settings::FormatLintReport(report, shown);
  return vigilor::settings::LintExitCode(report);
}

}  // namespace

#ifdef _WIN32
// Wide arguments keep non-ASCII paths intact on Windows.
int wmain(int argc, wchar_t** argv) { return Run(std::vector<std::filesystem::path>(argv + 1, argv + argc)); }
#else
int main(int argc, char** argv) { return Run(std::vector<std::filesystem::path>(argv + 1, argv + argc)); }
#endif
