// SPDX-License-Identifier: MIT
#include "settings/flat_json_reader.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace vigilor {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Sorted positions of one byte value. The scan restarts its searches from
// earlier positions (an unquoted value sends the value search far ahead, the
// next key search starts again just after the comma), which makes plain
// forward searches quadratic on crafted input. Here a lookup starts from the
// previous answer (the scan's queries repeat it or move a little forward) and
// falls back to a binary search; the answers are those of a forward search.
class BytePositions {
 public:
  BytePositions(std::string_view text, char byte) {
    for (std::size_t i = text.find(byte); i != kNone; i = text.find(byte, i + 1)) {
      positions_.push_back(i);
    }
  }

  // First position at or after from, or kNone.
  std::size_t NextAtOrAfter(std::size_t from) {
    if (positions_.empty()) return kNone;
    auto begin = positions_.begin();
    auto end = positions_.end();
    const auto last = begin + static_cast<std::ptrdiff_t>(last_);
    if (from <= *last) {
      if (last == begin || *(last - 1) < from) return *last;  // the same answer again
      end = last;
    } else {
      // Queries mostly move forward by a few entries: probe them first.
      auto probe = last + 1;
      for (int step = 0; step < 8 && probe != end; ++step, ++probe) {
        if (*probe >= from) return Remember(probe);
      }
      begin = probe;
    }
    const auto it = std::lower_bound(begin, end, from);
    return it == positions_.end() ? kNone : Remember(it);
  }

 private:
  std::size_t Remember(std::vector<std::size_t>::const_iterator it) {
    last_ = static_cast<std::size_t>(it - positions_.cbegin());
    return *it;
  }

  std::vector<std::size_t> positions_;
  std::size_t last_ = 0;
};

// ExtractQuoted over the quote index; the view points into text.
bool FindQuoted(std::string_view text, BytePositions& quotes, std::size_t start,
                std::string_view& out) {
  if (text.empty() || start >= text.size()) return false;
  const std::size_t open = quotes.NextAtOrAfter(start);
  if (open == kNone || open == text.size() - 1) return false;
  const std::size_t close = quotes.NextAtOrAfter(open + 1);
  if (close == kNone) return false;
  out = text.substr(open + 1, close - open - 1);
  return true;
}

enum class ValueKind { True, False, String };

ValueKind Classify(std::string_view value) {
  if (value == "true") return ValueKind::True;
  if (value == "false") return ValueKind::False;
  if (value.size() == 1 && value[0] >= '0' && value[0] <= '9') {
    return value[0] != '0' ? ValueKind::True : ValueKind::False;
  }
  return ValueKind::String;
}

}  // namespace

bool FlatJsonReader::Scan(std::string_view text) {
  if (text.empty()) return false;
  if (text.size() == 1) return true;

  BytePositions quotes(text, '"');
  BytePositions colons(text, ':');
  BytePositions commas(text, ',');
  const std::size_t last = text.size() - 1;
  std::size_t pos = 0;
  for (;;) {
    std::string_view key;
    if (!FindQuoted(text, quotes, pos, key)) break;
    // The colon search starts key length + 1 after pos, not after the key's
    // closing quote: settings files in the field rely on what this finds.
    const std::size_t colonFrom = pos + key.size() + 1;
    const std::size_t colon = colonFrom > last ? kNone : colons.NextAtOrAfter(colonFrom);
    std::string_view value;
    if (colon == kNone || !FindQuoted(text, quotes, colon, value)) break;
    Store(key, value);
    const std::size_t comma = commas.NextAtOrAfter(colon + 1);
    if (comma == kNone) break;
    pos = comma + 1;
    if (pos >= last) break;
  }
  return true;
}

void FlatJsonReader::Store(std::string_view key, std::string_view value) {
  const ValueKind kind = Classify(value);
  if (kind == ValueKind::String) {
    if (strings_.find(key) == strings_.end()) {
      strings_.emplace(std::string(key), CollapseBackslashRuns(value));
    }
    return;
  }
  if (bools_.find(key) == bools_.end()) bools_.emplace(std::string(key), kind == ValueKind::True);
}

bool FlatJsonReader::GetString(std::string_view key, std::string& value) const {
  auto it = strings_.find(key);
  if (it == strings_.end()) return false;
  value = it->second;
  return true;
}

bool FlatJsonReader::GetBool(std::string_view key, bool& value) const {
  auto it = bools_.find(key);
  if (it == bools_.end()) return false;
  value = it->second;
  return true;
}

bool FlatJsonReader::ExtractQuoted(std::string_view text, std::size_t start, std::string& out) {
  if (text.empty() || start >= text.size()) return false;
  const std::size_t open = text.find('"', start);
  if (open == kNone || open == text.size() - 1) return false;
  const std::size_t close = text.find('"', open + 1);
  if (close == kNone) return false;
  out.assign(text.substr(open + 1, close - open - 1));
  return true;
}

std::string CollapseBackslashRuns(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i > 0 && value[i - 1] == '\\') continue;
    out.push_back(value[i]);
  }
  return out;
}

std::string EscapeJsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
      case 0x08: out += "\\b"; break;
      case 0x09: out += "\\t"; break;
      case 0x0A: out += "\\n"; break;
      case 0x0C: out += "\\f"; break;
      case 0x0D: out += "\\r"; break;
      case 0x22: out += "\\\""; break;
      case 0x5C: out += "\\\\"; break;
      default:
        if (byte < 0x20) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(byte));
          out += hex;
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

}  // namespace vigilor
