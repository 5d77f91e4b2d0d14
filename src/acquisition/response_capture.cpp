// SPDX-License-Identifier: MIT
#include "acquisition/response_capture.h"

#include <algorithm>
#include <charconv>
#include <new>
#include <system_error>

namespace vigilor::acquisition {
namespace {

constexpr std::size_t kInitialBodyReserve = 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ParseHeaderLine(std::string_view line, std::string& name, std::string& value) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;

  // Trim from the end, never past the colon: a line may end in CR LF, a lone
  // LF (lenient servers) or nothing at all.
  size_t end = line.size();
  if (end > colon + 1 && line[end - 1] == '\n') --end;
  if (end > colon + 1 && line[end - 1] == '\r') --end;
  while (end > colon + 1 && IsBlank(line[end - 1])) --end;
  size_t start = colon + 1;
  while (start < end && IsBlank(line[start])) ++start;

  name.assign(line.substr(0, colon));
  std::transform(name.begin(), name.end(), name.begin(), AsciiLower);
  value.assign(line.substr(start, end - start));
  return true;
}

void CaptureHeaderLine(std::string_view line, ResponseCapture& capture) {
  std::string name;
  std::string value;
  if (!ParseHeaderLine(line, name, value)) return;
  if (name == "content-length") {
    std::uint64_t announced = 0;
    const char* end = value.data() + value.size();
    const auto parsed = std::from_chars(value.data(), end, announced);
    if (!value.empty() && parsed.ec == std::errc() && parsed.ptr == end) capture.body.ExpectSize(announced);
  }
  capture.headers[name] = std::move(value);
}

CappedBody::CappedBody() { bytes_.reserve(kInitialBodyReserve); }

std::size_t CappedBody::Append(const char* data, std::size_t size) {
  if (tooLarge_ || bytes_.size() > limit_ || size > limit_ - bytes_.size()) {
    // Nothing of a refused body is of use; give its memory back at once.
    std::vector<std::uint8_t>().swap(bytes_);
    tooLarge_ = true;
    return 0;
  }
  bytes_.insert(bytes_.end(), data, data + size);
  return size;
}

void CappedBody::ExpectSize(std::uint64_t announced) {
  if (tooLarge_ || announced > limit_ || announced <= bytes_.capacity()) return;
  try {
    bytes_.reserve(static_cast<std::size_t>(announced));
  } catch (const std::bad_alloc&) {
    // The body may still fit once it arrives in smaller steps.
  }
}

void CappedBody::Clear() {
  bytes_.clear();
  tooLarge_ = false;
}

void CappedBody::SetLimit(std::size_t limit) { limit_ = std::min(limit, kMaxResponseBodyBytes); }

}  // namespace vigilor::acquisition
