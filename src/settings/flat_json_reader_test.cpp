// SPDX-License-Identifier: MIT
#include "settings/flat_json_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vigilor {
namespace {

using namespace std::string_literals;

struct ScanCase {
  const char* desc;
  std::string input;
  FlatJsonReader::StringMap strings;
  FlatJsonReader::BoolMap bools;
};

TEST(FlatJsonReader, ScanCollectsQuotedPairsWithTheirQuirks) {
  const ScanCase cases[] = {
      {"string and boolean values", R"({"a":"x","b":"true"})", {{"a", "x"}}, {{"b", true}}},
      {"unquoted value takes the next quoted string",
       R"({"hide_gui": true, "title": "Game"})",
       {{"hide_gui", "title"}, {"title", "Game"}},
       {}},
      {"single digits are booleans, longer numbers strings",
       R"({"on":"1","off":"0","nine":"9","ten":"10"})",
       {{"ten", "10"}},
       {{"on", true}, {"off", false}, {"nine", true}}},
      {"other letter cases are strings", R"({"a":"TRUE","b":"True","c":"FALSE"})",
       {{"a", "TRUE"}, {"b", "True"}, {"c", "FALSE"}}, {}},
      {"first occurrence wins", R"({"k":"first","k":"second","b":"0","b":"1"})",
       {{"k", "first"}}, {{"b", false}}},
      {"one key in both tables", R"({"k":"text","k":"true"})", {{"k", "text"}}, {{"k", true}}},
      {"backslash runs collapse to one",
       R"({"path":"C:\\Games\\x.exe","four":"a\\\\b","one":"a\b"})",
       {{"path", R"(C:\Games\x.exe)"}, {"four", R"(a\b)"}, {"one", R"(a\b)"}},
       {}},
      {"backslash does not protect a quote", R"({"a":"x\","b":"y"})", {{"a", "x\\"}, {"b", "y"}}, {}},
      {"empty object", "{}", {}, {}},
      {"empty key and empty value", R"({"":"v","e":""})", {{"", "v"}, {"e", ""}}, {}},
      {"whitespace, CRLF and braces outside quotes are ignored",
       "{\r\n\t\"environment\" :\t\"gamedev\" ,\r\n  \"x\"  :  \"1\"\r\n}",
       {{"environment", "gamedev"}},
       {{"x", true}}},
      {"nested object yields its first inner key as the value",
       R"({"outer":{"inner":"v"},"after":"w"})",
       {{"outer", "inner"}, {"after", "w"}},
       {}},
      {"comma inside a value desynchronizes the next pair",
       R"({"list":"a,b","next":"v"})",
       {{"list", "a,b"}, {",", "v"}},
       {}},
      {"colon search starts key length after pos, inside an indented key",
       R"({    "a:b":"x"})",
       {{"a:b", ":"}},
       {}},
      {"colon inside a value is kept when the comma follows", R"({"url":"http://h:80/x","n":"v"})",
       {{"url", "http://h:80/x"}, {"n", "v"}}, {}},
      {"value cut off at end of file", R"({"a":"x","productid": "abc)", {{"a", "x"}}, {}},
      {"key cut off at end of file", R"({"a":"x","produ)", {{"a", "x"}}, {}},
      {"pair without a colon borrows the next colon and value", R"({"a" "x", "b":"y"})", {{"a", "y"}},
       {}},
      {"NUL bytes inside key and value are kept",
       "{\"pro\0d\":\"va\0l\",\"z\":\"\0\"}"s,
       {{"pro\0d"s, "va\0l"s}, {"z", "\0"s}},
       {}},
      {"UTF-8 passes through as bytes", "{\"t\":\"\xE6\xB8\xB8\xE6\x88\x8F\"}",
       {{"t", "\xE6\xB8\xB8\xE6\x88\x8F"}}, {}},
      {"no final line feed", "{\"a\":\"x\"}", {{"a", "x"}}, {}},
  };
  for (const auto& c : cases) {
    FlatJsonReader reader;
    EXPECT_TRUE(reader.Scan(c.input)) << c.desc;
    EXPECT_EQ(reader.Strings(), c.strings) << c.desc;
    EXPECT_EQ(reader.Bools(), c.bools) << c.desc;
  }
}

TEST(FlatJsonReader, ScanFailsOnlyOnEmptyText) {
  FlatJsonReader reader;
  EXPECT_FALSE(reader.Scan(""));
  for (const char* text : {"\"", "x", "\"\"", "garbage without quotes", "\x01\xFF"}) {
    EXPECT_TRUE(reader.Scan(text)) << text;
  }
  EXPECT_TRUE(reader.Strings().empty());
  EXPECT_TRUE(reader.Bools().empty());
}

TEST(FlatJsonReader, LaterScanDoesNotReplaceEarlierKeys) {
  FlatJsonReader reader;
  reader.Scan(R"({"a":"first"})");
  reader.Scan(R"({"a":"second","b":"new"})");
  EXPECT_EQ(reader.Strings(), (FlatJsonReader::StringMap{{"a", "first"}, {"b", "new"}}));
}

TEST(FlatJsonReader, LookupsLeaveOutParameterUntouchedWhenMissing) {
  FlatJsonReader reader;
  reader.Scan(R"({"title":"Game","hide_gui":"1"})");
  std::string text = "default";
  bool flag = false;
  EXPECT_FALSE(reader.GetString("missing", text));
  EXPECT_FALSE(reader.GetString("hide_gui", text));  // a bool is not a string
  EXPECT_FALSE(reader.GetString("Title", text));     // case-sensitive
  EXPECT_EQ(text, "default");
  EXPECT_FALSE(reader.GetBool("title", flag));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(reader.GetString("title", text));
  EXPECT_EQ(text, "Game");
  EXPECT_TRUE(reader.GetBool("hide_gui", flag));
  EXPECT_TRUE(flag);
}

struct ExtractCase {
  const char* desc;
  std::string text;
  std::size_t start;
  bool found;
  std::string expected;
};

TEST(FlatJsonReader, ExtractQuotedFindsTheNextQuotePair) {
  const ExtractCase cases[] = {
      {"simple", R"(x "abc" y)", 0, true, "abc"},
      {"start on the opening quote", R"("abc")", 0, true, "abc"},
      {"start after the opening quote takes the closing one", R"("abc" "d")", 1, true, " "},
      {"empty string", R"("")", 0, true, ""},
      {"backslash does not protect", R"("a\"b")", 0, true, "a\\"},
      {"empty text", "", 0, false, "untouched"},
      {"start beyond the last character", R"("abc")", 5, false, "untouched"},
      {"start far beyond", R"("abc")", 1000, false, "untouched"},
      {"no quote", "abc", 0, false, "untouched"},
      {"quote is the last character", "abc\"", 0, false, "untouched"},
      {"no closing quote", "\"abc", 0, false, "untouched"},
  };
  for (const auto& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(FlatJsonReader::ExtractQuoted(c.text, c.start, out), c.found) << c.desc;
    EXPECT_EQ(out, c.expected) << c.desc;
  }
}

TEST(FlatJsonReader, EscapeJsonStringWritesEachByteAsSpecified) {
  const struct {
    const char* desc;
    std::string input;
    std::string expected;
  } cases[] = {
      {"quote, tab and 0x01", "\"\t\x01", R"(\"\t\u0001)"},
      {"named controls", "\b\n\f\r", R"(\b\n\f\r)"},
      {"backslash doubles", R"(C:\x)", R"(C:\\x)"},
      {"other controls as upper-case \\u", "\x0B\x1F\0"s, R"(\u000B\u001F\u0000)"},
      {"slash, DEL and high bytes pass", "/\x7F\xC3\xA9\xFF", "/\x7F\xC3\xA9\xFF"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeJsonString(c.input), c.expected) << c.desc;
  }
}

// An unquoted value sends the value search to the far end of the file while
// the next key search restarts right after the comma. A plain forward search
// rescans the ten megabytes on every one of the 250 000 restarts; the scan
// must instead finish well inside ctest's timeout, with the literal result.
TEST(FlatJsonReader, TenMegabytesWithRestartsScanToTheLiteralResult) {
  std::string text = "\"k\":";
  for (int i = 0; i < 250000; ++i) text += ":,";
  text.append(10 * 1024 * 1024, ' ');
  text += "\"v\"";
  FlatJsonReader reader;
  EXPECT_TRUE(reader.Scan(text));
  EXPECT_EQ(reader.Strings(), (FlatJsonReader::StringMap{{"k", "v"}, {"v", "v"}}));
}

TEST(FlatJsonReader, EveryPairOfAMegabyteFileIsRead) {
  std::string text = "{";
  std::size_t count = 0;
  while (text.size() < 1024 * 1024) {
    text += "\"k" + std::to_string(count) + "\":\"" + std::to_string(count % 10) + "\",\n";
    ++count;
  }
  text += "\"last\":\"end\"}";
  FlatJsonReader reader;
  ASSERT_TRUE(reader.Scan(text));
  EXPECT_EQ(reader.Bools().size(), count);
  const std::size_t zero = count - 1 - (count - 1) % 10;
  bool flag = true;
  EXPECT_TRUE(reader.GetBool("k" + std::to_string(zero), flag));
  EXPECT_FALSE(flag);
  std::string last;
  EXPECT_TRUE(reader.GetString("last", last));
  EXPECT_EQ(last, "end");
}

TEST(FlatJsonReader, LongBackslashRunCollapsesToOne) {
  const std::string text = "{\"p\":\"a" + std::string(5 * 1024 * 1024, '\\') + "b\"}";
  FlatJsonReader reader;
  reader.Scan(text);
  EXPECT_EQ(reader.Strings(), (FlatJsonReader::StringMap{{"p", "a\\b"}}));
}

// Garbage in an exactly sized heap buffer: ASan reports any read past it.
TEST(FlatJsonReader, GarbageIsNeverReadPastItsEnd) {
  std::uint32_t state = 12345;
  for (std::size_t size = 1; size < 300; ++size) {
    auto buffer = std::make_unique<char[]>(size);
    for (std::size_t i = 0; i < size; ++i) {
      state = state * 1103515245u + 12345u;
      buffer[i] = "\"\\:,{}x\0\xFF"[(state >> 16) % 10];
    }
    buffer[size - 1] = '"';
    FlatJsonReader reader;
    EXPECT_TRUE(reader.Scan(std::string_view(buffer.get(), size)));
    for (const auto& [key, value] : reader.Strings()) {
      EXPECT_EQ(value.find('"'), std::string::npos);
      EXPECT_EQ(value.find("\\\\"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace vigilor
