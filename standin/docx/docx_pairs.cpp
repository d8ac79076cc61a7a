#include "docx_pairs.h"

#include <string>

#include "docx_text.h"

namespace docx {

namespace {

std::u16string Number(std::size_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') {
      ++i;
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::variant<std::vector<ReplacePair>, Error> ParsePairsFile(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::u16string text;
  if (!Utf8ToUtf16(bytes, text)) return Error{u"The pairs file is not UTF-8 text."};
  const std::vector<std::u16string> lines = SplitLines(text);
  std::size_t divider = 0;
  while (divider < lines.size() && lines[divider] != u"----") ++divider;
  if (divider == lines.size()) return Error{u"The pairs file has no line \"----\" between its two lists."};
  if (divider == 0) return Error{u"The pairs file has no text to find before its line \"----\"."};
  const std::size_t finds = divider;
  const std::size_t replacements = lines.size() - divider - 1;
  if (finds != replacements) {
    return Error{u"The pairs file has " + Number(finds) + u" texts to find but " + Number(replacements) +
                 u" replacement texts."};
  }
  std::vector<ReplacePair> pairs;
  pairs.reserve(finds);
  for (std::size_t i = 0; i < finds; ++i) pairs.push_back({lines[i], lines[divider + 1 + i]});
  return pairs;
}

}  // namespace docx
