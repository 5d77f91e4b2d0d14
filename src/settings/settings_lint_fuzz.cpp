// SPDX-License-Identifier: MIT
// Lints arbitrary bytes: every warning must name a line of the text, the
// verdict must match an empty or non-empty file, and the printed report must
// carry no control byte but the line feed (a settings file must not be able
// to drive the studio's terminal).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/settings_lint.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vigilor::settings;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const LintReport report = LintSettingsText(text, "Settings.json");
  Check((report.settings.loadStatus == Unreadable) == text.empty());
  Check(LintExitCode(report) == (report.settings.loadStatus < 0 ? 1 : 0));
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const LintWarning& warning : report.warnings) Check(warning.line >= 1 && warning.line <= lines);
  Check(std::is_sorted(report.warnings.begin(), report.warnings.end(),
                       [](const LintWarning& a, const LintWarning& b) { return a.line < b.line; }));
  const std::string printed = FormatLintReport(report, "Settings.json");
  for (const char c : printed) {
    const auto byte = static_cast<unsigned char>(c);
    Check(c == '\n' || (byte >= 0x20 && byte != 0x7F));
  }
  return 0;
}
