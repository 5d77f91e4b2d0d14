// SPDX-License-Identifier: MIT
// A scratch game folder for launch tests: the bootstrapper, a Vigilor folder
// with Settings.json, and the fixture game as Game.exe. Also reads what a run
// left behind: the game's record and the run's log file.
#pragma once

#include <windows.h>

#include <string>

#include "process_runner_win.h"

namespace vigilor::e2e {

void WriteTextFile(const std::wstring& path, const std::string& text);
// Empty when the file is missing.
std::string ReadTextFile(const std::wstring& path);
std::wstring Widen(const std::string& ascii);
// The path as UTF-8 (the tests' folders are plain ASCII).
std::string WideToAscii(const std::wstring& wide);

// The run's log: %APPDATA%\Vigilor\<product>\<deployment>\anticheatlauncher.log
std::wstring ProductLogPath(const std::string& productId, const std::string& deploymentId);

// A Settings.json text with the given members, every value quoted.
std::string SettingsJson(const std::map<std::string, std::string>& members);

class LaunchFolder : public GameFolder {
 public:
  // productId should be unique per test so that logs never mix.
  LaunchFolder(const wchar_t* bootstrapper, std::string productId);
  ~LaunchFolder();

  // Writes Vigilor\Settings.json with the folder's ids, Game.exe and extra members.
  void WriteSettings(const std::map<std::string, std::string>& extra = {});
  void AddFixtureGame(const wchar_t* name = L"Game.exe");

  const std::string& productId() const { return productId_; }
  std::string Log() const { return ReadTextFile(ProductLogPath(productId_, "deployment1")); }
  // FixtureGame's record, parsed "key=value" lines; empty when the game never ran.
  std::map<std::string, std::string> GameRecord(const wchar_t* name = L"Game") const;
  // The record, waiting up to timeoutMs for the game (which may still be
  // starting after the bootstrapper left) to write it.
  std::map<std::string, std::string> WaitForGameRecord(DWORD timeoutMs = 15000) const;

 private:
  std::string productId_;
};

}  // namespace vigilor::e2e
