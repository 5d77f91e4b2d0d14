// SPDX-License-Identifier: MIT
#include "acquisition/response_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vigilor::acquisition {
namespace {

TEST(ParseHeaderLine, NameLowerCasedValueWithoutBlanksOrLineBreak) {
  struct Case {
    const char* desc;
    std::string line;
    std::string name;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"entity tag keeps its quotes, CR LF dropped", "ETag: \"5f2b-1a\"\r\n", "etag", "\"5f2b-1a\""},
      {"no blank after the colon", "Content-Length:42\r\n", "content-length", "42"},
      {"blanks around the value", "X-Note: \t value with spaces \t\r\n", "x-note", "value with spaces"},
      {"lone LF keeps the last character", "ETag: \"abc\"\n", "etag", "\"abc\""},
      {"no line break at all", "ETag: \"abc\"", "etag", "\"abc\""},
      {"empty value", "X-Empty:\r\n", "x-empty", ""},
      {"value of blanks only", "X-Empty:   \r\n", "x-empty", ""},
      {"colon alone after the name with a lone LF", "X:\n", "x", ""},
      {"only the first colon separates", "Location: https://h:1/p\r\n", "location", "https://h:1/p"},
      {"only ASCII letters are lower-cased", "X-\xC3\x84rger: 1\r\n", "x-\xC3\x84rger", "1"},
  };
  for (const Case& c : cases) {
    std::string name = "unset";
    std::string value = "unset";
    ASSERT_TRUE(ParseHeaderLine(c.line, name, value)) << c.desc;
    EXPECT_EQ(name, c.name) << c.desc;
    EXPECT_EQ(value, c.value) << c.desc;
  }
}

TEST(ParseHeaderLine, LinesWithoutNameAreNoHeaders) {
  for (const std::string line : {"HTTP/1.1 200 OK\r\n", "\r\n", ": value\r\n", ""}) {
    std::string name = "unset";
    std::string value = "unset";
    EXPECT_FALSE(ParseHeaderLine(line, name, value)) << line;
    EXPECT_EQ(name, "unset") << line;
  }
}

TEST(CaptureHeaderLine, LaterLineOverwritesEarlierOneCaseInsensitively) {
  ResponseCapture capture;
  CaptureHeaderLine("HTTP/1.1 304 Not Modified\r\n", capture);
  CaptureHeaderLine("ETag: \"one\"\r\n", capture);
  CaptureHeaderLine("etag: \"two\"\r\n", capture);
  EXPECT_EQ(capture.headers, (ResponseHeaders{{"etag", "\"two\""}}));
}

TEST(CaptureHeaderLine, AnnouncedBodyWithinTheLimitGetsItsRoomAtOnce) {
  struct Case {
    const char* desc;
    const char* line;
    std::size_t capacityAtLeast;
    std::size_t capacityBelow;
  };
  const Case cases[] = {
      {"announced size is reserved", "Content-Length: 3000000\r\n", 3000000, 3000001 + 4096},
      {"any case, blanks around the number", "content-LENGTH:   3000000  \r\n", 3000000, 3000001 + 4096},
      {"beyond the limit: the bytes decide", "Content-Length: 5000001\r\n", 0, 5000001},
      {"not a plain number", "Content-Length: 3e6\r\n", 0, 3000000},
      {"signed", "Content-Length: +3000000\r\n", 0, 3000000},
      {"two values", "Content-Length: 3000000, 3000000\r\n", 0, 3000000},
      {"larger than any size", "Content-Length: 99999999999999999999999\r\n", 0, 3000000},
  };
  for (const auto& c : cases) {
    ResponseCapture capture;
    capture.body.SetLimit(5000000);
    CaptureHeaderLine(c.line, capture);
    EXPECT_GE(capture.body.bytes().capacity(), c.capacityAtLeast) << c.desc;
    EXPECT_LT(capture.body.bytes().capacity(), c.capacityBelow) << c.desc;
    EXPECT_TRUE(capture.body.bytes().empty()) << c.desc;
  }
}

TEST(CaptureHeaderLine, AnnouncedSizeNeverShrinksOrRefusesWhatArrives) {
  ResponseCapture capture;
  capture.body.SetLimit(100);
  CaptureHeaderLine("Content-Length: 2\r\n", capture);
  const std::string bytes(50, 'b');
  EXPECT_EQ(capture.body.Append(bytes.data(), bytes.size()), 50u) << "a wrong announcement limits nothing";
  CaptureHeaderLine("Content-Length: 10\r\n", capture);
  EXPECT_EQ(capture.body.bytes().size(), 50u);
  EXPECT_FALSE(capture.body.tooLarge());
}

TEST(CappedBody, KeepsBytesUpToTheLimitAndRefusesTheRest) {
  CappedBody body;
  body.SetLimit(10);
  EXPECT_EQ(body.Append("12345", 5), 5u);
  EXPECT_EQ(body.Append("67890", 5), 5u);
  EXPECT_FALSE(body.tooLarge());
  EXPECT_EQ(std::string(body.bytes().begin(), body.bytes().end()), "1234567890");

  EXPECT_EQ(body.Append("x", 1), 0u);
  EXPECT_TRUE(body.tooLarge());
  EXPECT_TRUE(body.bytes().empty());
  EXPECT_EQ(body.bytes().capacity(), 0u) << "a refused body gives its memory back";
  EXPECT_EQ(body.Append("y", 1), 0u) << "once refused, the body stays refused";

  body.Clear();
  EXPECT_FALSE(body.tooLarge());
  EXPECT_EQ(body.Append("abc", 3), 3u);
}

TEST(CappedBody, ChunkLargerThanTheWholeLimitIsRefused) {
  CappedBody body;
  body.SetLimit(4);
  const std::string chunk(5, 'z');
  EXPECT_EQ(body.Append(chunk.data(), chunk.size()), 0u);
  EXPECT_TRUE(body.tooLarge());
}

TEST(CappedBody, LoweredLimitBelowCurrentSizeRefusesFurtherBytes) {
  CappedBody body;
  EXPECT_EQ(body.Append("123456", 6), 6u);
  body.SetLimit(3);
  EXPECT_EQ(body.Append("7", 1), 0u);
  EXPECT_TRUE(body.tooLarge());
}

TEST(CappedBody, LimitNeverRaisedAboveTheHardCap) {
  CappedBody body;
  body.SetLimit(kMaxResponseBodyBytes * 2);
  EXPECT_EQ(body.limit(), kMaxResponseBodyBytes);
}

}  // namespace
}  // namespace vigilor::acquisition
