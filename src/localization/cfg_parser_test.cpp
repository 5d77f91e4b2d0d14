// SPDX-License-Identifier: MIT
#include "localization/cfg_parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vigilor {
namespace {

using namespace std::string_literals;

CatalogueData Parse(const std::string& content, bool& parsed, std::wstring& error) {
  CatalogueData data;
  data.content = content;
  parsed = ParseCatalogue(data, error);
  return data;
}

struct ReadCase {
  const char* desc;
  std::string content;
  CatalogueSections expected;
};

TEST(CfgParser, ReadsSectionsAndExpressions) {
  const CatalogueSections loading = {{"launcher", {{"loading", "LOADING"}}}};
  const ReadCase cases[] = {
      {"LF lines", "launcher:\n{\nloading = \"LOADING\";\n}\n", loading},
      {"CRLF lines", "launcher:\r\n{\r\nloading = \"LOADING\";\r\n}\r\n", loading},
      {"indented", "  launcher:\n\t{\n    loading = \"LOADING\";\n\t}\n", loading},
      {"blank lines and comments between header and brace",
       "launcher:\n\n   \n# comment\n  // comment\n{\nloading = \"LOADING\";\n}\n", loading},
      {"comments inside a section", "launcher:\n{\n#x = \"y\";\n// a = b;\nloading = \"LOADING\";\n}\n",
       loading},
      {"several blank lines at the end", "launcher:\n{\nloading = \"LOADING\";\n}\n\n\r\n\n", loading},
      {"text after the last LF is not read",
       "launcher:\n{\nloading = \"LOADING\";\n}\nlauncher:\n{\nbtn_exit = \"Exit\";", loading},
      {"last section without closing brace", "launcher:\n{\nloading = \"LOADING\";\n", loading},
      {"rest of brace lines is ignored", "launcher:\n{ x = \"y\";\nloading = \"LOADING\";\n} z = \"w\";\n",
       loading},
      {"lines outside sections that are not headers are ignored",
       "garbage line\n= = =\nlauncher:\n{\nloading = \"LOADING\";\n}\nmore garbage\n", loading},
      {"two words keep one space between them", "s:\n{\nk = \"A   B\";\n}\n", {{"s", {{"k", "A B"}}}}},
      {"quotes and semicolons only separate words", "s:\n{\nk = \"a\";\"b\" ;c;\n}\n",
       {{"s", {{"k", "a b c"}}}}},
      {"blanks at either end of a value are lost", "s:\n{\nk = \"  padded  \";\n}\n",
       {{"s", {{"k", "padded"}}}}},
      {"line without terminator loses its last byte", "s:\n{\nkey = text\n}\n", {{"s", {{"key", "tex"}}}}},
      {"tab inside a word stays", "s:\n{\nk = a\tb;\n}\n", {{"s", {{"k", "a\tb"}}}}},
      {"repeated sections merge, the later value wins",
       "a:\n{\nk = \"1\";\nj = \"x\";\n}\na:\n{\nk = \"2\";\n}\nb:\n{\nk = \"3\";\n}\n",
       {{"a", {{"k", "2"}, {"j", "x"}}}, {"b", {{"k", "3"}}}}},
      {"section name keeps inner blanks", "my section :\n{\nk = v;\n}\n", {{"my section ", {{"k", "v"}}}}},
      {"a lone colon opens no section", ":\n{\nk = v;\n}\n", {}},
      {"keys and values are bytes", "s\0x:\n{\nk\0 = \"v\0w\";\n}\n"s, {{"s\0x"s, {{"k\0"s, "v\0w"s}}}}},
      {"UTF-8 value", "s:\n{\nk = \"\xE8\xAA\xAD\xE3\x81\xBF\";\n}\n", {{"s", {{"k", "\xE8\xAA\xAD\xE3\x81\xBF"}}}}},
      {"no LF at all reads nothing", "launcher:", {}},
  };
  for (const auto& c : cases) {
    bool parsed = false;
    std::wstring error = L"stale";
    const CatalogueData data = Parse(c.content, parsed, error);
    EXPECT_TRUE(parsed) << c.desc;
    EXPECT_EQ(error, L"") << c.desc;
    EXPECT_EQ(data.sections, c.expected) << c.desc;
  }
}

struct FailCase {
  const char* desc;
  std::string content;
  CatalogueSections kept;  // entries of the lines before the bad one
};

TEST(CfgParser, FirstBadLineStopsWithConfigParsingError) {
  const FailCase cases[] = {
      {"header followed directly by an expression", "launcher:\nloading = \"LOADING\";\n}\n", {}},
      {"missing equals", "s:\n{\nk = \"1\";\nloading \"LOADING\";\nlater = x;\n}\n", {{"s", {{"k", "1"}}}}},
      {"two words", "s:\n{\nloading = ;\n}\n", {}},
      {"header inside an open section", "s:\n{\nk = v;\nother:\n}\n", {{"s", {{"k", "v"}}}}},
      {"single slash is not a comment", "s:\n/\n{\n}\n", {}},
  };
  for (const auto& c : cases) {
    bool parsed = true;
    std::wstring error;
    const CatalogueData data = Parse(c.content, parsed, error);
    EXPECT_FALSE(parsed) << c.desc;
    EXPECT_EQ(error, L"Config parsing error") << c.desc;
    EXPECT_EQ(data.sections, c.kept) << c.desc;
  }
}

TEST(CfgParser, EmptyContentIsReported) {
  bool parsed = true;
  std::wstring error;
  Parse("", parsed, error);
  EXPECT_FALSE(parsed);
  EXPECT_EQ(error, L"Config file data empty");
}

struct LineCase {
  const char* desc;
  bool braceSeen;
  std::string line;
  std::int64_t offset;
  std::wstring expected;
};

TEST(CfgParser, LineDiagnosticsNameTheFirstNonBlankByte) {
  const LineCase cases[] = {
      {"expression where the brace belongs", false, "  loading = \"x\";", 10,
       L"Expected '{' at position 12"},
      {"one word", true, "\tlauncher_error:", 40, L"Expected an expression at position 41"},
      {"two words", true, "loading = ;", 7, L"Expected an expression at position 7"},
      {"no equals", true, "loading is \"LOADING\";", 0, L"Expected '=' at position 0"},
      {"no equals, two words", true, "loading \"LOADING\";", 0, L"Expected an expression at position 0"},
      {"equals glued to the key", true, "loading= \"LOADING\";", 3, L"Expected an expression at position 3"},
      {"offsets beyond 32 bits print in full", true, " a b c;", 5000000000, L"Expected '=' at position 5000000001"},
  };
  for (const auto& c : cases) {
    CatalogueData data;
    data.currentSection = "s";
    data.bracePosition = c.braceSeen ? 0 : -1;
    std::wstring error;
    EXPECT_FALSE(ParseCatalogueLine(data, c.line, c.offset, error)) << c.desc;
    EXPECT_EQ(error, c.expected) << c.desc;
  }
}

TEST(CfgParser, BraceLineRecordsItsPositionAndClosingBraceResetsState) {
  CatalogueData data;
  std::wstring error;
  ASSERT_TRUE(ParseCatalogueLine(data, "  launcher:  ", 0, error));
  EXPECT_EQ(data.currentSection, "launcher");
  EXPECT_EQ(data.bracePosition, -1);
  ASSERT_TRUE(ParseCatalogueLine(data, "\t{", 100, error));
  EXPECT_EQ(data.bracePosition, 101);
  ASSERT_TRUE(ParseCatalogueLine(data, "}", 200, error));
  EXPECT_EQ(data.currentSection, "");
  EXPECT_EQ(data.bracePosition, -1);
}

// A line that ends in "/" sits in an exactly sized heap buffer, so ASan
// reports the comment check if it looks at the byte after it.
TEST(CfgParser, LoneSlashAtTheEndOfALineIsNotReadPast) {
  for (bool inSection : {false, true}) {
    auto buffer = std::make_unique<char[]>(2);
    buffer[0] = ' ';
    buffer[1] = '/';
    CatalogueData data;
    data.currentSection = inSection ? "s" : "";
    std::wstring error;
    EXPECT_EQ(ParseCatalogueLine(data, std::string_view(buffer.get(), 2), 0, error), !inSection);
  }
}

TEST(CfgParser, ParseResetsStateAndAddsToEarlierSections) {
  CatalogueData data;
  data.sections["old"]["k"] = "kept";
  data.currentSection = "left open";
  data.bracePosition = 5;
  data.content = "new:\n{\nk = v;\n}\n";
  std::wstring error;
  ASSERT_TRUE(ParseCatalogue(data, error));
  EXPECT_EQ(data.sections, (CatalogueSections{{"old", {{"k", "kept"}}}, {"new", {{"k", "v"}}}}));
}

TEST(CfgParser, TenMegabyteFileParsesEveryEntry) {
  const std::string value(1000, 'v');
  std::string content = "big:\r\n{\r\n";
  std::size_t count = 0;
  while (content.size() < 10 * 1024 * 1024) {
    content += "    key" + std::to_string(count++) + " = \"" + value + "\";\r\n";
  }
  content += "}";  // no final LF: the closing line is not read, which is harmless
  bool parsed = false;
  std::wstring error;
  const CatalogueData data = Parse(content, parsed, error);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(data.sections.count("big"), 1u);
  EXPECT_EQ(data.sections.at("big").size(), count);
  EXPECT_EQ(data.sections.at("big").at("key" + std::to_string(count - 1)), value);
}

TEST(CfgParser, GarbageNeverStoresMalformedEntries) {
  std::uint32_t state = 99;
  for (int round = 0; round < 200; ++round) {
    std::string content = "s:\n{\n";
    for (int i = 0; i < 200; ++i) {
      state = state * 1103515245u + 12345u;
      content += " \t\r\n;\"=/#{}:x\0\xFF"s[(state >> 16) % 16];
    }
    bool parsed = false;
    std::wstring error;
    const CatalogueData data = Parse(content, parsed, error);
    EXPECT_TRUE(parsed || error == L"Config parsing error");
    for (const auto& [name, entries] : data.sections) {
      for (const auto& [key, value] : entries) {
        EXPECT_EQ(key.find_first_of(" ;\""), std::string::npos);
        EXPECT_EQ(value.find_first_of(";\""), std::string::npos);
        EXPECT_EQ(value.find("  "), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace vigilor
