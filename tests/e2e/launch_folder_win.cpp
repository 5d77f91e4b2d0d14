// SPDX-License-Identifier: MIT
#include "launch_folder_win.h"

#include <fstream>
#include <sstream>

namespace vigilor::e2e {

void WriteTextFile(const std::wstring& path, const std::string& text) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadTextFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string WideToAscii(const std::wstring& wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring ProductLogPath(const std::string& productId, const std::string& deploymentId) {
  wchar_t appData[MAX_PATH] = {};
  GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  return std::wstring(appData) + L"\\Vigilor\\" + Widen(productId) + L"\\" + Widen(deploymentId) +
         L"\\anticheatlauncher.log";
}

std::string SettingsJson(const std::map<std::string, std::string>& members) {
  std::string json = "{\n";
  bool first = true;
  for (const auto& [key, value] : members) {
    json += (first ? "  \"" : ",\n  \"") + key + "\": \"" + value + "\"";
    first = false;
  }
  return json + "\n}\n";
}

LaunchFolder::LaunchFolder(const wchar_t* bootstrapper, std::string productId)
    : GameFolder(bootstrapper), productId_(std::move(productId)) {
  CreateDirectoryW(File(L"Vigilor").c_str(), nullptr);
  DeleteFileW(ProductLogPath(productId_, "deployment1").c_str());
}

LaunchFolder::~LaunchFolder() { DeleteFileW(ProductLogPath(productId_, "deployment1").c_str()); }

void LaunchFolder::WriteSettings(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> members = {{"productid", productId_},
                                                {"sandboxid", "sandbox1"},
                                                {"deploymentid", "deployment1"},
                                                {"executable", "Game.exe"}};
  for (const auto& [key, value] : extra) members[key] = value;
  WriteTextFile(File(L"Vigilor\\Settings.json"), SettingsJson(members));
}

void LaunchFolder::AddFixtureGame(const wchar_t* name) {
  CopyFileW((ProgramDirectory() + L"FixtureGame.exe").c_str(), File(name).c_str(), FALSE);
}

std::map<std::string, std::string> LaunchFolder::GameRecord(const wchar_t* name) const {
  std::map<std::string, std::string> record;
  std::istringstream lines(ReadTextFile(File(name) + L".record.txt"));
  std::string line;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return record;
}

std::map<std::string, std::string> LaunchFolder::WaitForGameRecord(DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    auto record = GameRecord();
    if (record.count("window") != 0 || GetTickCount() - start > timeoutMs) return record;
    Sleep(50);
  }
}

}  // namespace vigilor::e2e
