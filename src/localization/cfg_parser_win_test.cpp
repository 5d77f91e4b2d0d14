// SPDX-License-Identifier: MIT
// LoadCatalogueFile reads through the Windows file helpers; these run under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <system_error>

#include "localization/cfg_parser.h"

namespace vigilor {
namespace {

// Files in a private temporary folder, removed with the fixture.
class CfgParserFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vigilor_cfg_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::wstring Write(const std::filesystem::path& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.wstring();
  }
  std::filesystem::path dir_;
  CatalogueData data_;
  std::mutex lock_;
};

TEST_F(CfgParserFile, LaterFileAddsToEarlierOneAndWinsOnSameKey) {
  std::wstring error;
  ASSERT_TRUE(LoadCatalogueFile(Write("de.cfg", "launcher:\n{\nloading = LADEN;\nbtn_exit = Beenden;\n}\n"),
                                data_, lock_, error));
  ASSERT_TRUE(LoadCatalogueFile(Write("en_us.cfg", "launcher:\n{\nloading = LOADING;\n}\n"), data_, lock_, error));
  EXPECT_EQ(error, L"");
  EXPECT_EQ(data_.sections, (CatalogueSections{{"launcher", {{"loading", "LOADING"}, {"btn_exit", "Beenden"}}}}));
  EXPECT_EQ(data_.content, "launcher:\n{\nloading = LOADING;\n}\n");
  EXPECT_TRUE(lock_.try_lock());
  lock_.unlock();
}

TEST_F(CfgParserFile, MissingFileLeavesTheCatalogueUnchanged) {
  data_.content = "before";
  data_.sections["s"]["k"] = "v";
  const std::wstring path = (dir_ / "missing.cfg").wstring();
  std::wstring error;
  EXPECT_FALSE(LoadCatalogueFile(path, data_, lock_, error));
  EXPECT_EQ(error, L"File not found '" + path + L"'");
  EXPECT_EQ(data_.content, "before");
  EXPECT_EQ(data_.sections, (CatalogueSections{{"s", {{"k", "v"}}}}));
}

TEST_F(CfgParserFile, ReadsAFileWhoseNameIsNotAscii) {
  std::wstring error;
  ASSERT_TRUE(LoadCatalogueFile(Write(L"fran\u00E7ais_\u65E5\u672C.cfg", "s:\n{\nk = v;\n}\n"), data_, lock_, error));
  EXPECT_EQ(data_.sections, (CatalogueSections{{"s", {{"k", "v"}}}}));
}

TEST_F(CfgParserFile, FileErrorsAreReported) {
  const struct {
    const char* desc;
    const char* name;
    std::string bytes;
    std::wstring expected;
  } cases[] = {
      {"empty file", "empty.cfg", "", L"Config file data empty"},
      {"syntax error", "bad.cfg", "s:\nk = v;\n", L"Config parsing error"},
  };
  for (const auto& c : cases) {
    std::wstring error;
    EXPECT_FALSE(LoadCatalogueFile(Write(c.name, c.bytes), data_, lock_, error)) << c.desc;
    EXPECT_EQ(error, c.expected) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor
