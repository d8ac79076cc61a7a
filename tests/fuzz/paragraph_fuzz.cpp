// Fuzz target of the main part's XML and paragraph handling. The input is
//   <options byte><find text>\n<replacement>\n<document.xml>
// (texts in UTF-8, caret codes included; option bit 0 = match case, bit 1 = whole words). The body is
// read, the find run over it, the result read again: its paragraphs must show exactly the replaced texts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "docx_body.h"
#include "docx_find.h"
#include "docx_text.h"
#include "fuzz_check.h"

namespace {

using velmora::fuzz::Require;

std::string_view TakeLine(std::string_view& rest) {
  const std::size_t newline = rest.find('\n');
  const std::string_view line = rest.substr(0, newline);
  rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
  return line;
}

// UTF-8 to UTF-16 that also takes encoded surrogates (ED A0 80 gives the lone unit D800), so that find
// texts can hold half of a pair; any other bad byte becomes U+FFFD.
std::u16string Utf16Of(std::string_view in) {
  std::u16string out;
  for (std::size_t i = 0; i < in.size();) {
    const auto b = static_cast<unsigned char>(in[i]);
    const int extra = b < 0x80             ? 0
                      : (b & 0xE0) == 0xC0 ? 1
                      : (b & 0xF0) == 0xE0 ? 2
                      : (b & 0xF8) == 0xF0 ? 3
                                           : -1;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < in.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(in[i + static_cast<std::size_t>(k)]);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!ok || cp > 0x10FFFF) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

// Which requests the word processor takes, worked out apart from the engine's own parser.
bool CodesValid(std::u16string_view text, std::u16string_view codes) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'^') continue;
    if (i + 1 == text.size() || codes.find(text[i + 1]) == std::u16string_view::npos) return false;
    ++i;
  }
  return true;
}

bool RequestValid(const docx::FindRequest& request) {
  const std::u16string& f = request.findText;
  const std::u16string& r = request.replaceWith;
  if (f.empty() || f.size() > 255 || r.size() > 255) return false;
  if (!CodesValid(f, u"^tp") || !CodesValid(r, u"^t&")) return false;
  for (std::size_t i = 0; i < r.size(); ++i) {
    const char16_t c = r[i];
    if (c == u'\r' || c == u'\n' || (c < 0x20 && c != u'\t') || c == 0xFFFE || c == 0xFFFF) return false;
    if (c == u'^' && r[i + 1] == u'p') return false;
    if (c == u'^') ++i;
  }
  return true;
}

// A paragraph's units as the find sees them: characters, tabs, and objects as barriers.
std::vector<char32_t> Units(const docx::Body& body, const docx::Body::Paragraph& p) {
  std::vector<char32_t> units;
  for (std::size_t i = p.firstItem; i < p.endItem; ++i) {
    const docx::Body::Item& item = body.items[i];
    if (item.slot == docx::Body::kObject) {
      units.push_back(docx::kBarrier);
    } else if (body.slots[item.slot].tab) {
      units.push_back(docx::kTab);
    } else {
      for (char16_t c : body.slots[item.slot].text) units.push_back(c);
    }
  }
  return units;
}

bool IsWordAt(const std::vector<char32_t>& units, std::size_t i) {
  return units[i] != docx::kBarrier && docx::IsWordCharacter(static_cast<char16_t>(units[i]));
}

// Leftmost, non-overlapping matches by trying every start: the slow way, to hold the fast one to.
std::vector<docx::Match> NaiveMatches(const docx::CompiledFind& find, const std::vector<char32_t>& units) {
  std::vector<docx::Match> matches;
  const std::u16string& p = find.pattern;
  if (p.empty() || p.find(docx::kParagraphMark) != std::u16string::npos) return matches;
  auto same = [&find](char32_t unit, char16_t c) {
    if (unit == docx::kBarrier) return false;
    const char16_t u = static_cast<char16_t>(unit);
    return find.matchCase ? u == c : docx::FoldCase(u) == docx::FoldCase(c);
  };
  std::size_t i = 0;
  while (i + p.size() <= units.size()) {
    bool hit = true;
    for (std::size_t k = 0; k < p.size() && hit; ++k) hit = same(units[i + k], p[k]);
    if (hit && find.matchWholeWord) {
      hit = (i == 0 || !IsWordAt(units, i - 1)) &&
            (i + p.size() == units.size() || !IsWordAt(units, i + p.size()));
    }
    // Never half of a surrogate pair at either end.
    auto pairAt = [&units](std::size_t k) {
      return k > 0 && k < units.size() && units[k - 1] >= 0xD800 && units[k - 1] <= 0xDBFF &&
             units[k] >= 0xDC00 && units[k] <= 0xDFFF;
    };
    if (hit && (pairAt(i) || pairAt(i + p.size()))) hit = false;
    if (hit) {
      matches.push_back({i, i + p.size()});
      i += p.size();
    } else {
      ++i;
    }
  }
  return matches;
}

// How a text reads once stored: a surrogate without its partner becomes U+FFFD.
std::u16string AsStored(std::u16string_view text) {
  std::u16string out;
  docx::Utf8ToUtf16(docx::ToUtf8(text), out);
  return out;
}

// The engine's own text conversions: valid UTF-8 comes back as it was; the lenient form drops nothing.
void CheckConversions(std::string_view line) {
  std::u16string strict;
  if (docx::Utf8ToUtf16(line, strict)) {
    Require(docx::ToUtf8(strict) == line, "valid UTF-8 converts both ways unchanged");
    Require(docx::Utf8ToUtf16Lenient(line) == strict, "the lenient form agrees on valid UTF-8");
  }
  Require(docx::Utf8ToUtf16Lenient(line).empty() == line.empty(), "the lenient form drops nothing");
}

void CheckSlots(const docx::Body& body, std::size_t xmlSize) {
  std::size_t previousEnd = 0;
  for (const docx::Body::Slot& slot : body.slots) {
    Require(slot.begin >= previousEnd && slot.begin < slot.end && slot.end <= xmlSize,
            "slots in document order, inside the part, not overlapping");
    Require(slot.tab || !slot.text.empty(), "no empty text slot");
    previousEnd = slot.end;
  }
  std::size_t previousItem = 0;
  for (const docx::Body::Paragraph& p : body.paragraphs) {
    Require(p.firstItem >= previousItem && p.firstItem <= p.endItem && p.endItem <= body.items.size(),
            "paragraphs take items in order");
    previousItem = p.endItem;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view findLine = TakeLine(rest);
  const std::string_view replaceLine = TakeLine(rest);
  docx::FindRequest request;
  request.matchCase = (data[0] & 1) != 0;
  request.matchWholeWord = (data[0] & 2) != 0;
  request.findText = Utf16Of(findLine);
  request.replaceWith = Utf16Of(replaceLine);
  const std::string_view xml = rest;

  CheckConversions(findLine);

  std::string error;
  const std::optional<docx::Body> body = docx::ReadBody(xml, error);
  if (!body) {
    Require(!error.empty(), "a refused part says why");
    return 0;
  }
  CheckSlots(*body, xml.size());

  auto compiled = docx::CompileFind(request);
  Require(std::holds_alternative<docx::CompiledFind>(compiled) == RequestValid(request),
          "a request is refused exactly when it breaks the rules");
  if (auto* refused = std::get_if<docx::Error>(&compiled)) {
    Require(!refused->message.empty(), "a refused request says why");
    return 0;
  }
  const docx::CompiledFind& find = std::get<docx::CompiledFind>(compiled);

  // The paragraphs as they must read after the replacement.
  std::vector<std::u16string> expected;
  std::size_t expectedCount = 0;
  for (const docx::Body::Paragraph& p : body->paragraphs) {
    const std::vector<char32_t> units = Units(*body, p);
    const std::u16string before = docx::ParagraphText(*body, p);
    Require(before.size() == units.size(), "one shown character a unit");
    const std::vector<docx::Match> matches = docx::FindMatches(find, units);
    Require(matches == NaiveMatches(find, units), "the find gives the leftmost non-overlapping matches");
    expectedCount += matches.size();
    std::u16string after;
    std::size_t at = 0;
    for (const docx::Match& m : matches) {
      after += before.substr(at, m.begin - at);
      after += docx::ReplacementFor(find, units, m);
      at = m.end;
    }
    after += before.substr(at);
    expected.push_back(AsStored(after));
  }

  std::string out = "untouched";
  const std::size_t count = docx::ReplaceInBody(*body, xml, find, out);
  Require(count == expectedCount, "every match replaced once");
  if (count == 0) {
    Require(out == "untouched", "nothing written without a match");
    return 0;
  }

  std::string againError;
  const std::optional<docx::Body> again = docx::ReadBody(out, againError);
  if (!again) std::fprintf(stderr, "re-read: %s\n", againError.c_str());
  Require(again.has_value(), "the replaced part reads again");
  CheckSlots(*again, out.size());
  Require(again->paragraphs.size() == body->paragraphs.size(), "the same paragraphs");
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Require(docx::ParagraphText(*again, again->paragraphs[i]) == expected[i],
            "each paragraph reads as replaced");
  }
  return 0;
}
