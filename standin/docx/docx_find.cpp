#include "docx_find.h"

#include <algorithm>

#include "docx_text.h"

namespace docx {

namespace {

Error TooLong() {
  return Error{u"String parameter too long"};
}

Error BadCode(char16_t code, std::u16string_view box) {
  return Error{u"'^" + std::u16string(1, code) + u"' is not a valid special character for the " +
               std::u16string(box) + u" box."};
}

Error LoneCaret(std::u16string_view box) {
  return Error{u"The " + std::u16string(box) + u" text ends with a lone '^'; write a caret as '^^'."};
}

bool IsParagraphMark(char16_t c) {
  return c == u'\r' || c == u'\n';
}

// Characters that XML 1.0 cannot carry, so no document text holds them.
bool IsStorable(char16_t c) {
  return (c >= 0x20 && c != 0xFFFE && c != 0xFFFF) || c == u'\t';
}

char32_t Compared(char32_t unit, bool matchCase) {
  if (matchCase || unit == kBarrier) return unit;
  return FoldCase(static_cast<char16_t>(unit));
}

bool TouchesWord(const std::vector<char32_t>& units, std::size_t index) {
  const char32_t u = units[index];
  return u != kBarrier && IsWordCharacter(static_cast<char16_t>(u));
}

bool IsHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// A character above U+FFFF is two units; a find text holding half of one must not take half of it from the
// document, which would leave the other half to be stored as U+FFFD.
bool CutsAPair(const std::vector<char32_t>& units, std::size_t begin, std::size_t end) {
  return (begin > 0 && IsHighSurrogate(units[begin - 1]) && IsLowSurrogate(units[begin])) ||
         (end < units.size() && IsHighSurrogate(units[end - 1]) && IsLowSurrogate(units[end]));
}

}  // namespace

std::variant<std::u16string, Error> ParseFindText(std::u16string_view given) {
  static constexpr std::u16string_view kBox = u"Find What";
  if (given.size() > kMaxFindTextUnits) return TooLong();
  if (given.empty()) return Error{u"The Find What text is empty."};
  std::u16string text;
  for (std::size_t i = 0; i < given.size(); ++i) {
    const char16_t c = given[i];
    if (c != u'^') {
      text.push_back(IsParagraphMark(c) ? kParagraphMark : c);
      continue;
    }
    if (i + 1 == given.size()) return LoneCaret(kBox);
    const char16_t code = given[++i];
    switch (code) {
      case u'^':
        text.push_back(u'^');
        break;
      case u't':
        text.push_back(kTab);
        break;
      case u'p':
        text.push_back(kParagraphMark);
        break;
      default:
        return BadCode(code, kBox);
    }
  }
  return text;
}

std::variant<std::vector<ReplacementPart>, Error> ParseReplaceWith(std::u16string_view given) {
  static constexpr std::u16string_view kBox = u"Replace With";
  if (given.size() > kMaxFindTextUnits) return TooLong();
  const Error paragraphMark{u"Paragraph marks in the replacement are not supported by the stand-in."};
  std::vector<ReplacementPart> parts;
  auto literal = [&parts]() -> std::u16string& {
    if (parts.empty() || parts.back().foundText) parts.push_back({});
    return parts.back().literal;
  };
  for (std::size_t i = 0; i < given.size(); ++i) {
    const char16_t c = given[i];
    if (c != u'^') {
      if (IsParagraphMark(c)) return paragraphMark;
      if (!IsStorable(c))
        return Error{u"The replacement holds a control character that a document cannot store."};
      literal().push_back(c);
      continue;
    }
    if (i + 1 == given.size()) return LoneCaret(kBox);
    const char16_t code = given[++i];
    switch (code) {
      case u'^':
        literal().push_back(u'^');
        break;
      case u't':
        literal().push_back(kTab);
        break;
      case u'&':
        parts.push_back({.foundText = true, .literal = {}});
        break;
      case u'p':
        return paragraphMark;
      default:
        return BadCode(code, kBox);
    }
  }
  return parts;
}

std::variant<CompiledFind, Error> CompileFind(const FindRequest& request) {
  auto pattern = ParseFindText(request.findText);
  if (auto* error = std::get_if<Error>(&pattern)) return *error;
  auto replacement = ParseReplaceWith(request.replaceWith);
  if (auto* error = std::get_if<Error>(&replacement)) return *error;

  CompiledFind find;
  find.pattern = std::move(std::get<std::u16string>(pattern));
  find.replacement = std::move(std::get<std::vector<ReplacementPart>>(replacement));
  find.matchCase = request.matchCase;
  find.matchWholeWord = request.matchWholeWord;
  find.findsNothing = find.pattern.find(kParagraphMark) != std::u16string::npos;
  find.folded = find.pattern;
  if (!find.matchCase) std::transform(find.folded.begin(), find.folded.end(), find.folded.begin(), FoldCase);

  // KMP: failure[i] is the length of the longest proper border of folded[0..i].
  const std::u16string& p = find.folded;
  find.failure.assign(p.size(), 0);
  std::size_t k = 0;
  for (std::size_t i = 1; i < p.size(); ++i) {
    while (k > 0 && p[i] != p[k]) k = find.failure[k - 1];
    if (p[i] == p[k]) ++k;
    find.failure[i] = k;
  }
  return find;
}

std::vector<Match> FindMatches(const CompiledFind& find, const std::vector<char32_t>& units) {
  std::vector<Match> matches;
  const std::u16string& p = find.folded;
  if (find.findsNothing || p.empty()) return matches;
  std::size_t j = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t c = Compared(units[i], find.matchCase);
    while (j > 0 && c != p[j]) j = find.failure[j - 1];
    if (c == p[j]) ++j;
    if (j < p.size()) continue;
    const Match match{.begin = i + 1 - p.size(), .end = i + 1};
    const bool whole =
        !find.matchWholeWord || ((match.begin == 0 || !TouchesWord(units, match.begin - 1)) &&
                                 (match.end == units.size() || !TouchesWord(units, match.end)));
    if (whole && !CutsAPair(units, match.begin, match.end)) {
      matches.push_back(match);
      j = 0;
    } else {
      j = find.failure[j - 1];
    }
  }
  return matches;
}

std::u16string ApplyCaseOfMatch(std::u16string_view matched, std::u16string replacement) {
  const bool anyLower = std::any_of(matched.begin(), matched.end(), IsLowerCase);
  const bool anyUpper = std::any_of(matched.begin(), matched.end(), IsUpperCase);
  if (anyUpper && !anyLower) {
    std::transform(replacement.begin(), replacement.end(), replacement.begin(), ToUpperCase);
  } else if (!matched.empty() && IsUpperCase(matched.front()) && !replacement.empty()) {
    replacement.front() = ToUpperCase(replacement.front());
  }
  return replacement;
}

std::u16string ReplacementFor(const CompiledFind& find, const std::vector<char32_t>& units,
                              const Match& match) {
  std::u16string matched;
  matched.reserve(match.end - match.begin);
  for (std::size_t i = match.begin; i < match.end; ++i) matched.push_back(static_cast<char16_t>(units[i]));
  std::u16string text;
  for (const ReplacementPart& part : find.replacement) text += part.foundText ? matched : part.literal;
  if (find.matchCase) return text;
  return ApplyCaseOfMatch(matched, std::move(text));
}

}  // namespace docx
