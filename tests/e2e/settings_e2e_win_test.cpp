// SPDX-License-Identifier: MIT
// The settings file and the run's log file, through the real bootstrapper
// executable under Wine.
#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "process_runner_win.h"

namespace vigilor::e2e {
namespace {

constexpr wchar_t kImmediateExit[] = L"ORX_ANTICHEAT_BOOTSTRAPPER_IMMEDIATE_EXIT_ON_ERROR";
constexpr wchar_t kHeadless[] = L"ORX_ANTICHEAT_BOOTSTRAPPER_RUN_IN_HEADLESS_MODE";

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string ReadText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::wstring& path, const std::string& text) {
  std::ofstream(path.c_str(), std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The message part of a log line, after "[time] [Windows] [VGL Bootstrapper] [label] ".
std::string Message(const std::string& line) {
  const std::string tag = "[VGL Bootstrapper] [";
  const size_t at = line.find(tag);
  return at == std::string::npos ? line : line.substr(at + tag.size() + 6);
}

// A product identifier no other run uses, so each case has its own log folder.
std::string UniqueProductId() {
  static unsigned counter = 0;
  char text[64];
  snprintf(text, sizeof(text), "e2e-%lx-%lx-%u", GetCurrentProcessId(), GetTickCount(), ++counter);
  return text;
}

std::string SettingsJson(const std::string& productId, const std::string& deploymentId) {
  return R"({"productid":")" + productId + R"(","sandboxid":"sandbox-1","deploymentid":")" + deploymentId +
         R"(","executable":"MissingGame.exe","title":"E2E Game"})";
}

// A game folder with a "Vigilor" folder; the log lands in the product cache
// directory of the identifiers the settings name.
class SettingsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryW(folder_.File(L"Vigilor").c_str(), nullptr);
    productId_ = UniqueProductId();
    wchar_t appData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    productFolder_ = std::wstring(appData) + L"\\Vigilor\\" + Widen(productId_);
  }
  void TearDown() override {
    std::wstring from = productFolder_;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
  }
  void WriteSettings(const wchar_t* name, const std::string& json) {
    WriteText(folder_.File(L"Vigilor\\") + name, json);
  }
  RunResult Run(const std::wstring& arguments = L"") {
    RunOptions options;
    options.arguments = arguments;
    options.environment = {{kImmediateExit, L"1"}, {kHeadless, L"1"}};
    return RunProgram(folder_.executable(), options);
  }
  std::wstring LogPath(const std::string& deploymentId = "dep-1") const {
    return productFolder_ + L"\\" + Widen(deploymentId) + L"\\anticheatlauncher.log";
  }
  std::string SettingsPath(const wchar_t* name) const { return Narrow(folder_.File(L"Vigilor\\") + name); }

  GameFolder folder_;
  std::string productId_;
  std::wstring productFolder_;
};

TEST_F(SettingsRun, ValidSettingsStartAFreshLogFileOnEveryRun) {
  WriteSettings(L"Settings.json", SettingsJson(productId_, "dep-1"));
  const std::vector<std::string> expected = {
      "Loaded the following settings .json file: '" + SettingsPath(L"Settings.json") + "'",
      "Provided settings:",
      " - ProcessTitle: E2E Game.",
      " - ExecutablePath: MissingGame.exe.",
      " - ProductId: " + productId_ + ".",
      " - SandboxId: sandbox-1.",
      " - DeploymentId: dep-1.",
      " - RequestedSplashScreen: N/A.",
      " - WaitForGameProcessExit: false.",
      " - HideGUI: false.",
      " - HideBootstrapper: false.",
  };
  for (int run = 0; run < 2; ++run) {
    if (run == 1) WriteText(LogPath(), "left over from the first run\n");
    const RunResult result = Run();
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut) << "run " << run;
    const std::vector<std::string> lines = Lines(ReadText(LogPath()));
    ASSERT_GE(lines.size(), expected.size()) << "run " << run;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_NE(lines[i].find("[Info] "), std::string::npos) << lines[i];
      EXPECT_EQ(Message(lines[i]), expected[i]) << "run " << run << ", line " << i;
    }
    for (const std::string& line : lines) EXPECT_EQ(line.find("[Verb]"), std::string::npos) << line;
  }
}

TEST_F(SettingsRun, RejectedSettingsCreateNoLogFile) {
  const struct {
    const char* desc;
    std::string json;
    std::string deploymentId;  // names the folder the log would be in
  } cases[] = {
      {"invalid deployment identifier", SettingsJson(productId_, "dep_1"), "dep_1"},
      {"missing executable",
       R"({"productid":")" + productId_ + R"(","sandboxid":"sandbox-1","deploymentid":"dep-2"})", "dep-2"},
      {"no settings file at all", "", "dep-3"},
  };
  for (const auto& c : cases) {
    DeleteFileW(folder_.File(L"Vigilor\\Settings.json").c_str());
    if (!c.json.empty()) WriteSettings(L"Settings.json", c.json);
    const RunResult result = Run();
    ASSERT_TRUE(result.started) << c.desc;
    EXPECT_FALSE(result.timedOut) << c.desc;
    // Start reports the rejected file as launch result 207, the exit code.
    EXPECT_EQ(result.exitCode, 207u) << c.desc;
    EXPECT_EQ(GetFileAttributesW(LogPath(c.deploymentId).c_str()), INVALID_FILE_ATTRIBUTES) << c.desc;
  }
}

TEST_F(SettingsRun, OverrideArgumentNamesAnotherFileInTheVigilorFolder) {
  // Settings.json names another deployment, so a log under dep-1 proves custom.json was read.
  WriteSettings(L"Settings.json", SettingsJson(productId_, "not-this-one"));
  WriteSettings(L"custom.json", SettingsJson(productId_, "dep-1"));
  const struct {
    const char* desc;
    std::wstring arguments;
  } cases[] = {
      {"plain", L"-anticheat_settings=custom.json"},
      {"quoted", L"\"-anticheat_settings=custom.json\""},
      {"one more dash", L"--anticheat_settings=custom.json -v"},
  };
  for (const auto& c : cases) {
    DeleteFileW(LogPath().c_str());
    const RunResult result = Run(c.arguments);
    ASSERT_TRUE(result.started) << c.desc;
    EXPECT_FALSE(result.timedOut) << c.desc;
    const std::vector<std::string> lines = Lines(ReadText(LogPath()));
    ASSERT_FALSE(lines.empty()) << c.desc;
    EXPECT_EQ(Message(lines[0]), "Loaded the following settings .json file: '" + SettingsPath(L"custom.json") + "'")
        << c.desc;
  }
  EXPECT_EQ(GetFileAttributesW(LogPath("not-this-one").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace vigilor::e2e
