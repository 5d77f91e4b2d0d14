// SPDX-License-Identifier: MIT
#include "foundation/text.h"

#include <gtest/gtest.h>

namespace vigilor {
namespace {

using Strings = std::vector<std::string>;

TEST(FormatPlaceholders, ReplacesFirstOccurrenceOfEachTokenInOrder) {
  struct Case {
    const char* desc;
    std::string text;
    Strings arguments;
    std::string expected;
  } cases[] = {
      {"single argument", "Module initialization failed with {0}", {"5"},
       "Module initialization failed with 5"},
      {"second occurrence stays", "{0} and {0}", {"x"}, "x and {0}"},
      {"token brought in by an earlier argument is filled", "{0}", {"{1}", "y"}, "y"},
      {"token without argument stays", "only {2}", {"a", "b"}, "only {2}"},
      {"argument without token is ignored", "plain", {"a"}, "plain"},
      {"no arguments", "{0}", {}, "{0}"},
      {"tokens in any order", "{1} before {0}", {"a", "b"}, "b before a"},
      {"percent signs are not interpreted", "100% {0} %s", {"%d%n"}, "100% %d%n %s"},
      {"braces that form no token stay", "{} {x} {{0}} {0", {"v"}, "{} {x} {v} {0"},
      {"empty argument removes the token", "a{0}b", {""}, "ab"},
      {"argument holding its own token is not re-expanded", "{0}", {"{0}"}, "{0}"},
      {"multi-digit token", "{10}{1}", Strings{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten1"},
      {"utf-8 passes through", "\xE2\x82\xAC {0}", {"\xC3\xBC"}, "\xE2\x82\xAC \xC3\xBC"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    FormatPlaceholders(text, c.arguments);
    EXPECT_EQ(text, c.expected) << c.desc;
  }
}

TEST(ReplaceFirst, ReplacesOnlyTheFirstMatch) {
  struct Case {
    const char* desc;
    std::string text;
    std::string token;
    std::string replacement;
    bool found;
    std::string expected;
  } cases[] = {
      {"first of two", "{{id}}/{{id}}", "{{id}}", "42", true, "42/{{id}}"},
      {"missing token leaves text", "abc", "x", "y", false, "abc"},
      {"empty token never matches", "abc", "", "y", false, "abc"},
      {"empty text", "", "x", "y", false, ""},
      {"replacement longer than token", "a-b", "-", "<=>", true, "a<=>b"},
      {"replacement holds the token", "ab", "a", "aa", true, "aab"},
      {"whole text", "tok", "tok", "", true, ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(ReplaceFirst(text, c.token, c.replacement), c.found) << c.desc;
    EXPECT_EQ(text, c.expected) << c.desc;
  }
}

TEST(SplitString, GivesMaximalRunsWithoutEmptyPieces) {
  struct Case {
    const char* desc;
    std::string text;
    std::string delimiters;
    Strings expected;
  } cases[] = {
      {"runs and ends of delimiters", "  a  b ", " ", {"a", "b"}},
      {"no delimiter gives the text", "abc", " ", {"abc"}},
      {"empty text", "", " ", {}},
      {"only delimiters", " ;; ", " ;", {}},
      {"several delimiter characters", "k = \"v w\";", " ;\"", {"k", "=", "v", "w"}},
      {"dotted identifier", "launcher.title", ".", {"launcher", "title"}},
      {"empty delimiter set", "a b", "", {"a b"}},
      {"single characters", "a.b.c", ".", {"a", "b", "c"}},
      {"line feeds", "l1\n\nl2\n", "\n", {"l1", "l2"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitString(c.text, c.delimiters), c.expected) << c.desc;
  }
}

TEST(SplitString, EmbeddedNulIsAnOrdinaryCharacter) {
  const std::string text("a\0b c", 5);
  EXPECT_EQ(SplitString(text, " "), (Strings{std::string("a\0b", 3), "c"}));
}

}  // namespace
}  // namespace vigilor
