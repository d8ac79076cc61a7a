// Find and replace on one paragraph's text, the way the word processor's Replace All does it:
// caret codes, the 255-unit limit, case-insensitive matching with the found text's case carried over
// to the replacement, whole words, left-to-right non-overlapping matches.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "docx_document.h"

namespace docx {

// The longest find or replacement text the word processor takes, in UTF-16 units as given.
inline constexpr std::size_t kMaxFindTextUnits = 255;

// In parsed texts a tab is u'\t' and a paragraph mark u'\r'.
inline constexpr char16_t kTab = u'\t';
inline constexpr char16_t kParagraphMark = u'\r';

// A find text with its caret codes resolved: "^^" -> '^', "^t" -> tab, "^p" -> paragraph mark.
// Fails on a text longer than 255 units, an unknown code, "^&" or a lone '^' at the end.
std::variant<std::u16string, Error> ParseFindText(std::u16string_view given);

// One piece of a replacement: literal text, or the place where the found text goes ("^&").
struct ReplacementPart {
  bool foundText = false;
  std::u16string literal;
  bool operator==(const ReplacementPart&) const = default;
};
// A replacement with its caret codes resolved: "^^" -> '^', "^t" -> tab, "^&" -> the found text.
// Fails on a text longer than 255 units, an unknown code, a lone '^' at the end, and on a paragraph
// mark ("^p", CR or LF): the stand-in does not split paragraphs.
std::variant<std::vector<ReplacementPart>, Error> ParseReplaceWith(std::u16string_view given);

// A checked request, ready to run over paragraphs.
struct CompiledFind {
  std::u16string pattern;  // resolved find text
  std::vector<ReplacementPart> replacement;
  bool matchCase = false;
  bool matchWholeWord = false;
  // A find text holding a paragraph mark finds nothing: no match crosses or takes a paragraph end.
  bool findsNothing = false;
  std::vector<std::size_t> failure;  // the pattern's KMP failure table (in folded form if !matchCase)
  std::u16string folded;             // the pattern as compared
};
std::variant<CompiledFind, Error> CompileFind(const FindRequest& request);

// One unit of a paragraph's text: a character, a tab (u'\t'), or an object that no find text matches
// (a line break, a picture, a field mark, ...), given as kBarrier.
inline constexpr char32_t kBarrier = 0xFFFFFFFF;

struct Match {
  std::size_t begin = 0;  // first unit
  std::size_t end = 0;    // one past the last unit
  bool operator==(const Match&) const = default;
};
// All matches in one paragraph, left to right, not overlapping. Linear in the paragraph's length.
std::vector<Match> FindMatches(const CompiledFind& find, const std::vector<char32_t>& units);

// The text that replaces one match: the replacement with "^&" filled in, then, without matchCase, given
// the case of the match (all capitals -> all capitals; first letter capital -> first letter capital).
std::u16string ReplacementFor(const CompiledFind& find, const std::vector<char32_t>& units,
                              const Match& match);

// The case rule alone, exposed for tests.
std::u16string ApplyCaseOfMatch(std::u16string_view matched, std::u16string replacement);

}  // namespace docx
