// SPDX-License-Identifier: MIT
#include "settings/settings_lint_pairs.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace vigilor::settings {
namespace {

enum class TokenKind { String, Word, OpenBrace, CloseBrace, OpenBracket, CloseBracket, Colon, Comma };

struct Token {
  TokenKind kind;
  std::size_t begin;  // String: the first byte after the opening quote
  std::size_t end;    // String: the closing quote (or the end of the text)
  int line;
};

std::optional<TokenKind> Punctuation(char c) {
  switch (c) {
    case '{': return TokenKind::OpenBrace;
    case '}': return TokenKind::CloseBrace;
    case '[': return TokenKind::OpenBracket;
    case ']': return TokenKind::CloseBracket;
    case ':': return TokenKind::Colon;
    case ',': return TokenKind::Comma;
    default: return std::nullopt;
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\n'; }

bool IsOpening(TokenKind kind) { return kind == TokenKind::OpenBrace || kind == TokenKind::OpenBracket; }
bool IsClosing(TokenKind kind) { return kind == TokenKind::CloseBrace || kind == TokenKind::CloseBracket; }

int CountLines(std::string_view text, std::size_t begin, std::size_t end) {
  return static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                     text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  int line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsBlank(c)) {
      if (c == '\n') ++line;
      ++i;
    } else if (c == '"') {
      const std::size_t close = std::min(text.find('"', i + 1), text.size());
      tokens.push_back({TokenKind::String, i + 1, close, line});
      line += CountLines(text, i, close);
      i = close + 1;
    } else if (const auto kind = Punctuation(c)) {
      tokens.push_back({*kind, i, i + 1, line});
      ++i;
    } else {
      std::size_t end = i;
      while (end < text.size() && !IsBlank(text[end]) && text[end] != '"' && !Punctuation(text[end])) ++end;
      tokens.push_back({TokenKind::Word, i, end, line});
      i = end;
    }
  }
  return tokens;
}

// Index of the bracket that closes tokens[open], or the last token when the
// text ends first.
std::size_t MatchingClose(const std::vector<Token>& tokens, std::size_t open) {
  int depth = 0;
  for (std::size_t k = open; k < tokens.size(); ++k) {
    if (IsOpening(tokens[k].kind)) ++depth;
    if (IsClosing(tokens[k].kind) && --depth == 0) return k;
  }
  return tokens.size() - 1;
}

// Reads the pair whose key is tokens[keyIndex] (a colon follows it); returns
// the index of the first token after the value.
std::size_t ReadPair(std::string_view text, const std::vector<Token>& tokens, std::size_t keyIndex,
                     std::vector<WrittenPair>& pairs) {
  const Token& key = tokens[keyIndex];
  WrittenPair pair;
  pair.key.assign(text.substr(key.begin, key.end - key.begin));
  pair.keyLine = key.line;
  pair.valueLine = tokens[keyIndex + 1].line;
  std::size_t next = keyIndex + 2;
  if (next < tokens.size()) {
    const Token& value = tokens[next];
    std::size_t last = next;
    switch (value.kind) {
      case TokenKind::String: pair.form = WrittenValueForm::Quoted; break;
      case TokenKind::Word: pair.form = WrittenValueForm::Bare; break;
      case TokenKind::OpenBrace:
      case TokenKind::OpenBracket:
        pair.form = value.kind == TokenKind::OpenBrace ? WrittenValueForm::Object : WrittenValueForm::Array;
        last = MatchingClose(tokens, next);
        break;
      default: last = next - 1; break;  // nothing written: leave the comma or brace to the walk
    }
    if (pair.form != WrittenValueForm::Nothing) {
      pair.valueLine = value.line;
      pair.value.assign(text.substr(value.begin, tokens[last].end - value.begin));
    }
    next = last + 1;
  }
  pairs.push_back(std::move(pair));
  return next;
}

int LastLine(std::string_view text) {
  int lines = CountLines(text, 0, text.size());
  if (text.empty() || text.back() != '\n') ++lines;
  return std::max(lines, 1);
}

}  // namespace

WrittenSettings FindWrittenPairs(std::string_view text) {
  const std::vector<Token> tokens = Tokenize(text);
  WrittenSettings written;
  written.endLine = LastLine(text);
  bool closed = false;
  int depth = 0;
  for (std::size_t i = 0; i < tokens.size();) {
    const Token& token = tokens[i];
    const bool startsPair =
        token.kind == TokenKind::String && i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::Colon;
    if (startsPair && depth <= 1) {
      i = ReadPair(text, tokens, i, written.pairs);
      continue;
    }
    if (IsOpening(token.kind)) ++depth;
    if (IsClosing(token.kind) && depth > 0 && --depth == 0 && token.kind == TokenKind::CloseBrace && !closed) {
      written.endLine = token.line;
      closed = true;
    }
    ++i;
  }
  return written;
}

}  // namespace vigilor::settings
