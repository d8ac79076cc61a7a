// Caret codes, the length limit, case rules and matching on one paragraph's units.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx_find.h"
#include "docx_text.h"

namespace docx {
namespace {

std::string Show(const std::u16string& text) {
  return ToUtf8(text);
}

struct FindTextCase {
  std::u16string given;
  std::u16string parsed;  // empty: an error containing `error`
  std::string error;
};

TEST(ParseFindText, ResolvesCaretCodesAndRefusesOthers) {
  const std::vector<FindTextCase> cases = {
      {u"plain", u"plain", ""},
      {u"a^^b", u"a^b", ""},
      {u"^^", u"^", ""},
      {u"a^tb", u"a\tb", ""},
      {u"end^p", u"end\r", ""},
      {u"中文^t", u"中文\t", ""},
      {u"", u"", "empty"},
      {u"^&", u"", "'^&' is not a valid special character for the Find What box"},
      {u"^x", u"", "'^x' is not a valid special character"},
      {u"^P", u"", "'^P' is not a valid special character"},
      {u"abc^", u"", "lone '^'"},
      {u"^^^", u"", "lone '^'"},
  };
  for (const FindTextCase& c : cases) {
    SCOPED_TRACE(Show(c.given));
    const auto result = ParseFindText(c.given);
    if (c.error.empty()) {
      ASSERT_TRUE(std::holds_alternative<std::u16string>(result)) << Show(std::get<Error>(result).message);
      EXPECT_EQ(std::get<std::u16string>(result), c.parsed);
    } else {
      ASSERT_TRUE(std::holds_alternative<Error>(result));
      EXPECT_NE(Show(std::get<Error>(result).message).find(c.error), std::string::npos)
          << Show(std::get<Error>(result).message);
    }
  }
}

struct ReplaceCase {
  std::u16string given;
  std::vector<ReplacementPart> parts;  // empty with `error` set: an error containing it
  std::string error;
};

TEST(ParseReplaceWith, ResolvesCaretCodesAndFoundText) {
  const std::vector<ReplaceCase> cases = {
      {u"", {}, ""},
      {u"new", {{false, u"new"}}, ""},
      {u"^&", {{true, u""}}, ""},
      {u"[^&]", {{false, u"["}, {true, u""}, {false, u"]"}}, ""},
      {u"^&^&", {{true, u""}, {true, u""}}, ""},
      {u"a^^b^tc", {{false, u"a^b\tc"}}, ""},
      {u"x^p", {}, "Paragraph marks"},
      {u"line\r\nnext", {}, "Paragraph marks"},
      {u"bell\a", {}, "control character"},
      {u"^w", {}, "'^w' is not a valid special character for the Replace With box"},
      {u"tail^", {}, "lone '^'"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(Show(c.given));
    const auto result = ParseReplaceWith(c.given);
    if (c.error.empty()) {
      ASSERT_TRUE(std::holds_alternative<std::vector<ReplacementPart>>(result))
          << Show(std::get<Error>(result).message);
      EXPECT_EQ(std::get<std::vector<ReplacementPart>>(result), c.parts);
    } else {
      ASSERT_TRUE(std::holds_alternative<Error>(result));
      EXPECT_NE(Show(std::get<Error>(result).message).find(c.error), std::string::npos)
          << Show(std::get<Error>(result).message);
    }
  }
}

TEST(CompileFind, LimitsBothTextsTo255UnitsAsGiven) {
  struct Case {
    std::size_t findLength;
    std::size_t replaceLength;
    bool doubledCarets;  // build the texts from "^^" pairs: each counts as two units
    bool tooLong;
  };
  const std::vector<Case> cases = {
      {255, 0, false, false}, {256, 0, false, true},   {1, 255, false, false},
      {1, 256, false, true},  {254, 254, true, false}, {256, 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.findLength << "/" << c.replaceLength
                                    << (c.doubledCarets ? " carets" : ""));
    auto text = [&](std::size_t n) {
      if (!c.doubledCarets) return std::u16string(n, u'a');
      std::u16string t;
      while (t.size() + 2 <= n) t += u"^^";
      if (t.size() < n) t += u"a";
      return t;
    };
    const auto result = CompileFind({.findText = text(c.findLength), .replaceWith = text(c.replaceLength)});
    if (c.tooLong) {
      ASSERT_TRUE(std::holds_alternative<Error>(result));
      EXPECT_EQ(std::get<Error>(result).message, u"String parameter too long");
    } else {
      EXPECT_TRUE(std::holds_alternative<CompiledFind>(result));
    }
  }
}

TEST(CaseTable, MapsLettersOfSeveralScriptsBothWays) {
  const std::vector<std::pair<char16_t, char16_t>> pairs = {
      {u'A', u'a'}, {u'Z', u'z'}, {u'À', u'à'}, {u'Þ', u'þ'}, {u'Ÿ', u'ÿ'}, {u'Ā', u'ā'}, {u'Ł', u'ł'},
      {u'Ž', u'ž'}, {u'Ω', u'ω'}, {u'Ά', u'ά'}, {u'Ж', u'ж'}, {u'Ё', u'ё'}, {u'Ѣ', u'ѣ'}, {u'Ａ', u'ａ'},
  };
  for (const auto& [upper, lower] : pairs) {
    SCOPED_TRACE(Show(std::u16string{upper, u' ', lower}));
    EXPECT_EQ(ToLowerCase(upper), lower);
    EXPECT_EQ(ToUpperCase(lower), upper);
    EXPECT_TRUE(IsUpperCase(upper));
    EXPECT_TRUE(IsLowerCase(lower));
    EXPECT_EQ(FoldCase(upper), FoldCase(lower));
  }
  for (char16_t uncased : std::u16string(u"1 _×÷中ß")) {
    EXPECT_FALSE(IsUpperCase(uncased)) << Show(std::u16string(1, uncased));
    EXPECT_EQ(ToUpperCase(uncased), uncased);
  }
  EXPECT_EQ(FoldCase(u'ς'), FoldCase(u'Σ'));
  EXPECT_EQ(ToLowerCase(u'İ'), u'İ');  // no partner in a per-unit table
}

TEST(WordCharacters, LettersAndDigitsOfAnyScript) {
  for (char16_t c : std::u16string(u"aZ09éЖω中あ한Ａ１"))
    EXPECT_TRUE(IsWordCharacter(c)) << Show(std::u16string(1, c));
  for (char16_t c : std::u16string(u" \t.,'\"-_()，。、！“”×")) {
    EXPECT_FALSE(IsWordCharacter(c)) << Show(std::u16string(1, c));
  }
}

TEST(ApplyCaseOfMatch, CarriesCapitalsOver) {
  struct Case {
    std::u16string matched, replacement, expected;
  };
  const std::vector<Case> cases = {
      {u"word", u"term", u"term"},
      {u"Word", u"term", u"Term"},
      {u"WORD", u"term", u"TERM"},
      {u"wORD", u"term", u"term"},
      {u"W", u"term", u"TERM"},
      {u"WORD 2", u"new one", u"NEW ONE"},
      {u"Word", u"iPhone", u"IPhone"},
      {u"word", u"TeRm", u"TeRm"},
      {u"123", u"abc", u"abc"},
      {u"中文", u"abc", u"abc"},
      {u"Ärger", u"ärger", u"Ärger"},
      {u"ЖУК", u"жук", u"ЖУК"},
      {u"WORD", u"", u""},
      {u"Word", u"(x)", u"(x)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(ApplyCaseOfMatch(c.matched, c.replacement)), Show(c.expected)) << Show(c.matched);
  }
}

std::vector<char32_t> Units(std::u16string_view text) {
  std::vector<char32_t> units;
  for (char16_t c : text) units.push_back(c == u'\x01' ? kBarrier : c);  // \x01 stands for an object
  return units;
}

TEST(FindMatches, LeftToRightWithoutOverlap) {
  struct Case {
    std::u16string find;
    bool matchCase, wholeWord;
    std::u16string text;
    std::vector<Match> expected;
  };
  const std::vector<Case> cases = {
      {u"aa", false, false, u"aaa", {{0, 2}}},
      {u"aa", false, false, u"aaaa", {{0, 2}, {2, 4}}},
      {u"aba", false, false, u"ababa", {{0, 3}}},
      {u"abab", false, false, u"abababab", {{0, 4}, {4, 8}}},
      {u"Word", false, false, u"word WORD Word", {{0, 4}, {5, 9}, {10, 14}}},
      {u"Word", true, false, u"word WORD Word", {{10, 14}}},
      {u"cat", false, true, u"cat concat cat's cats cat", {{0, 3}, {11, 14}, {22, 25}}},
      {u"aa", false, true, u"aaa aa", {{4, 6}}},
      {u"中", false, true, u"中文 中", {{3, 4}}},
      {u"ab",
       false,
       false,
       u"a\x01"
       u"b ab",
       {{4, 6}}},
      {u"ab",
       false,
       true,
       u"\x01"
       u"ab\x01",
       {{1, 3}}},
      {u"a^tb", false, false, u"a\tb", {{0, 3}}},
      {u"a^pb", false, false, u"a\rb", {}},
      {u"σ", false, false, u"ΣΑΣ ς", {{0, 1}, {2, 3}, {4, 5}}},
      // Half of a character above U+FFFF never matches; the whole one does.
      {u"\xD83D", true, false, u"a\U0001F600b\xD83D", {{4, 5}}},
      {u"\xDE00"
       u"b",
       true,
       false,
       u"a\U0001F600b",
       {}},
      {u"\U0001F600", true, false, u"\U0001F600\U0001F600", {{0, 2}, {2, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.find) + " in " + Show(c.text));
    auto compiled = CompileFind(
        {.findText = c.find, .replaceWith = u"", .matchCase = c.matchCase, .matchWholeWord = c.wholeWord});
    ASSERT_TRUE(std::holds_alternative<CompiledFind>(compiled));
    EXPECT_EQ(FindMatches(std::get<CompiledFind>(compiled), Units(c.text)), c.expected);
  }
}

TEST(ReplacementFor, FillsInTheFoundTextThenAppliesCase) {
  struct Case {
    std::u16string replaceWith;
    bool matchCase;
    std::u16string text;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {u"<^&>", false, u"Cat", u"<Cat>"},     {u"^&s", false, u"CAT", u"CATS"},
      {u"dog", false, u"Cat", u"Dog"},        {u"Dog", true, u"cat", u"Dog"},
      {u"^&^t^&", true, u"cat", u"cat\tcat"},
  };
  for (const Case& c : cases) {
    auto compiled = CompileFind({.findText = u"cat", .replaceWith = c.replaceWith, .matchCase = c.matchCase});
    ASSERT_TRUE(std::holds_alternative<CompiledFind>(compiled));
    const CompiledFind& find = std::get<CompiledFind>(compiled);
    const std::vector<char32_t> units = Units(c.text);
    const std::vector<Match> matches = FindMatches(find, units);
    ASSERT_EQ(matches.size(), 1u) << Show(c.text);
    EXPECT_EQ(Show(ReplacementFor(find, units, matches[0])), Show(c.expected));
  }
}

}  // namespace
}  // namespace docx
