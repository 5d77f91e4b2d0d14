// SPDX-License-Identifier: MIT
// Headless launches of the real bootstrapper against the fixture game.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "launch_folder_win.h"
#include "process_runner_win.h"

namespace vigilor::e2e {
namespace {


Environment HeadlessNullClient(Environment extra = {}) {
  Environment environment = {{kImmediateExit, L"1"}, {kHeadless, L"1"}, {kNullClient, L"1"}};
  for (auto& [name, value] : extra) environment[name] = value;
  return environment;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

RunResult RunLaunch(const LaunchFolder& folder, Environment environment, const std::wstring& arguments = L"") {
  RunOptions options;
  options.environment = std::move(environment);
  options.arguments = arguments;
  options.timeoutMs = 60000;
  return RunProgram(folder.executable(), options);
}

TEST(Launch, NullClientByEnvironmentStartsTheGameWithTheArguments) {
  LaunchFolder folder(kShippedExe, "e2enullclient");
  folder.WriteSettings();
  folder.AddFixtureGame();
  const RunResult result =
      RunLaunch(folder, HeadlessNullClient(), L"-anticheat_settings=Settings.json -v \"two words\" \"plain\" last");
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);

  auto record = folder.WaitForGameRecord();
  ASSERT_FALSE(record.empty()) << "the game did not run";
  // The settings override is not passed on; the rest arrives as typed.
  EXPECT_EQ(record["command_line"], "\"" + WideToAscii(folder.File(L"Game.exe")) + "\" -v \"two words\" \"plain\" last");
  EXPECT_EQ(record["argv2"], "two words");
  std::string directory = WideToAscii(folder.path());
  EXPECT_EQ(record["working_directory"] + "\\", directory);
  EXPECT_EQ(record["ORX_USE_ANTICHEATCLIENTNULL"], "1");
  EXPECT_EQ(record["SteamNoOverlayUIDrawing"], "0");

  const std::string log = folder.Log();
  EXPECT_TRUE(Contains(log, "Launching with null client due to an explicit request.")) << log;
  EXPECT_TRUE(Contains(log, "Terminating with: 0.")) << log;
}

TEST(Launch, WaitsForTheGameAndReturnsItsExitCode) {
  LaunchFolder folder(kShippedExe, "e2ewaitforgame");
  folder.WriteSettings({{"wait_for_game_process_exit", "true"}});
  folder.AddFixtureGame();
  const RunResult result =
      RunLaunch(folder, HeadlessNullClient({{L"FIXTURE_GAME_EXIT_CODE", L"3"}, {L"FIXTURE_GAME_LIFETIME_MS", L"500"}}));
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 3u);
  EXPECT_TRUE(Contains(folder.Log(), "Waiting for game process to exit, will return exit code upon termination."));
}

TEST(Launch, FailuresEndWithTheirLaunchResult) {
  struct Case {
    const char* desc;
    std::map<std::string, std::string> settings;
    const char* gameContent;  // nullptr: the fixture game; "": no game file
    std::uint32_t expected;
    const char* logLine;      // nullptr: no log file expected
  } cases[] = {
      {"invalid product id", {{"productid", "bad id!"}}, nullptr, 207, nullptr},
      {"missing game executable", {}, "", 207, "Invalid game executable path: "},
      {"executable of unknown type", {}, "this is not an executable\n", 201, "Invalid game executable path: "},
  };
  for (const auto& c : cases) {
    LaunchFolder folder(kShippedExe, "e2efailure");
    folder.WriteSettings(c.settings);
    if (c.gameContent == nullptr) {
      folder.AddFixtureGame();
    } else if (*c.gameContent != '\0') {
      WriteTextFile(folder.File(L"Game.exe"), c.gameContent);
    }
    const RunResult result = RunLaunch(folder, {{kImmediateExit, L"1"}, {kHeadless, L"1"}, {kNullClient, L"1"}});
    ASSERT_FALSE(result.timedOut) << c.desc;
    EXPECT_EQ(result.exitCode, c.expected) << c.desc;
    EXPECT_TRUE(folder.GameRecord().empty()) << c.desc << ": the game must not start";
    const std::string log = folder.Log();
    if (c.logLine == nullptr) {
      EXPECT_TRUE(log.empty()) << c.desc << ": a rejected settings file writes no log";
    } else {
      EXPECT_TRUE(Contains(log, std::string(c.logLine) + WideToAscii(folder.File(L"Game.exe")) + ".")) << log;
      EXPECT_FALSE(Contains(log, "Loader initializing")) << c.desc << ": the loader must not start";
    }
  }
}

// The window watch, which Wine otherwise skips, through the test twin's hooks.
TEST(LaunchWindowWatch, LeavesWhenTheGameWindowBecomesVisible) {
  LaunchFolder folder(kSeamsExe, "e2ewatchwindow");
  folder.WriteSettings();
  folder.AddFixtureGame();
  const RunResult result = RunLaunch(folder, HeadlessNullClient({{L"VIGILOR_TEST_WATCH_UNDER_WINE", L"1"},
                                                          {L"FIXTURE_GAME_WINDOW_AFTER_MS", L"1000"},
                                                          {L"FIXTURE_GAME_LIFETIME_MS", L"4000"}}),
                               L"-v");
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
  const std::string log = folder.Log();
  ASSERT_TRUE(Contains(log, "The game window has become visible, the bootstrapper will leave the visible state."))
      << log;
  const size_t at = log.find("Waited ");
  ASSERT_NE(at, std::string::npos) << log;
  const long waitedMs = std::stol(log.substr(at + 7));
  std::printf("[ figure ] game window watch ended %ld ms after the launch result\n", waitedMs);
  EXPECT_GE(waitedMs, 700);
  EXPECT_LE(waitedMs, 3000);
}

TEST(LaunchWindowWatch, OutcomesWithoutAGameWindow) {
  struct Case {
    const char* desc;
    Environment extra;
    const char* logLine;
  } cases[] = {
      {"game exits with 1 before any window", {{L"FIXTURE_GAME_EXIT_CODE", L"1"}},
       "Fatal error, game process handle: "},
      {"no window within the limit (clock jumps past 60 s)",
       {{L"FIXTURE_GAME_LIFETIME_MS", L"5000"}, {L"VIGILOR_TEST_WATCH_CLOCK_SKIP_MS", L"60001"}},
       "Exit defer time crossed, the bootstrapper will leave the visible state despite the game window not being "
       "visible."},
  };
  for (const auto& c : cases) {
    LaunchFolder folder(kSeamsExe, "e2ewatchoutcome");
    folder.WriteSettings();
    folder.AddFixtureGame();
    Environment environment = HeadlessNullClient({{L"VIGILOR_TEST_WATCH_UNDER_WINE", L"1"}});
    for (const auto& [name, value] : c.extra) environment[name] = value;
    const RunResult result = RunLaunch(folder, environment);
    ASSERT_FALSE(result.timedOut) << c.desc;
    EXPECT_EQ(result.exitCode, 0u) << c.desc;
    const std::string log = folder.Log();
    EXPECT_TRUE(Contains(log, c.logLine)) << c.desc << "\n" << log;
    if (std::string(c.desc).find("exits with 1") != std::string::npos) {
      EXPECT_TRUE(Contains(log, "exit code: 1.")) << log;
    }
  }
}

}  // namespace
}  // namespace vigilor::e2e
