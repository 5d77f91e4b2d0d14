// SPDX-License-Identifier: MIT
// In-memory capture of an HTTP response for HttpSession: the header-line rule
// and a body buffer with a hard size limit. Pure logic; one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vigilor::acquisition {

// No response body is kept beyond this size, whatever the caller asks for.
inline constexpr std::size_t kMaxResponseBodyBytes = std::size_t{256} * 1024 * 1024;

// Lower-case header name to value; a later line overwrites an earlier one.
using ResponseHeaders = std::map<std::string, std::string>;

// One received header line, line break included. A line without ':' or with
// nothing before it is no header: false, outputs untouched. Otherwise name is
// the text before the first ':' in ASCII lower case, and value the rest
// without leading blanks, the line break (CR LF or a lone LF) and trailing
// blanks.
bool ParseHeaderLine(std::string_view line, std::string& name, std::string& value);

// The response body, refused as a whole once it would grow beyond its limit:
// Append then takes nothing, drops the bytes kept so far (and their memory)
// and marks the body as too large; the transfer that feeds it must stop.
class CappedBody {
 public:
  CappedBody();

  // Answers the number of bytes taken: size, or 0 when they do not fit.
  std::size_t Append(const char* data, std::size_t size);
  void Clear();

  // Makes room for a body the server announced (its Content-Length), so that
  // a large body is not copied over and over while it grows. Announcements
  // beyond the limit, or that cannot be met, change nothing: the bytes decide.
  void ExpectSize(std::uint64_t announced);

  // Lowers the limit (never above kMaxResponseBodyBytes); applies to the next
  // transfer as well as to the bytes still to come.
  void SetLimit(std::size_t limit);
  std::size_t limit() const { return limit_; }
  bool tooLarge() const { return tooLarge_; }

  std::vector<std::uint8_t>& bytes() { return bytes_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t limit_ = kMaxResponseBodyBytes;
  bool tooLarge_ = false;
};

// What HttpSession keeps of one response.
struct ResponseCapture {
  ResponseHeaders headers;
  CappedBody body;
};

// Stores a parsed line in the headers (lines that are no header are skipped);
// a Content-Length (a plain decimal number) also goes to the body's
// ExpectSize.
void CaptureHeaderLine(std::string_view line, ResponseCapture& capture);

}  // namespace vigilor::acquisition
