// SPDX-License-Identifier: MIT
// LoadFile reads through the Windows file helpers; these run under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "settings/flat_json_reader.h"

namespace vigilor {
namespace {

using namespace std::string_literals;

// A file in a private temporary folder, removed with the fixture.
class FlatJsonReaderFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vigilor_flat_json_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::wstring Write(const char* name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.wstring();
  }
  std::filesystem::path dir_;
};

TEST_F(FlatJsonReaderFile, LoadFileScansTheWholeFile) {
  FlatJsonReader reader;
  std::string error = "stale";
  ASSERT_TRUE(reader.LoadFile(Write("Settings.json", "{\"productid\":\"p\",\n\"hide_gui\":\"true\"}"), error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(reader.Strings(), (FlatJsonReader::StringMap{{"productid", "p"}}));
  EXPECT_EQ(reader.Bools(), (FlatJsonReader::BoolMap{{"hide_gui", true}}));
}

TEST_F(FlatJsonReaderFile, LoadFileFailsWithAReasonAndLeavesTablesEmpty) {
  const struct {
    const char* desc;
    std::wstring path;
    const char* expected;
  } cases[] = {
      {"empty path", L"", "Json parser provided with an empty path!"},
      {"missing file", (dir_ / "missing.json").wstring(), "Could not read the .json file!"},
      {"empty file", Write("empty.json", ""), "Could not read the .json file!"},
      {"a directory", dir_.wstring(), "Could not read the .json file!"},
  };
  for (const auto& c : cases) {
    FlatJsonReader reader;
    std::string error;
    EXPECT_FALSE(reader.LoadFile(c.path, error)) << c.desc;
    EXPECT_EQ(error, c.expected) << c.desc;
    EXPECT_TRUE(reader.Strings().empty() && reader.Bools().empty()) << c.desc;
  }
}

TEST_F(FlatJsonReaderFile, LoadFileKeepsBinaryBytes) {
  FlatJsonReader reader;
  std::string error;
  ASSERT_TRUE(reader.LoadFile(Write("bin.json", "\xFF\0{\"k\0\":\"\r\n\x1A\"}"s), error));
  EXPECT_EQ(reader.Strings(), (FlatJsonReader::StringMap{{"k\0"s, "\r\n\x1A"}}));
}

}  // namespace
}  // namespace vigilor
