// The pairs file of docx-replace's batch mode: UTF-8 text, the texts to find one per line, then a line
// "----", then the replacement texts one per line, the i-th replacement going with the i-th find text.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "docx_document.h"

namespace docx {

struct ReplacePair {
  std::u16string find;
  std::u16string replaceWith;
  bool operator==(const ReplacePair&) const = default;
};

// A text's lines: CR LF, a lone CR and a lone LF each end a line; one line break at the very end ends the
// last line and makes no line of its own; blank lines count. An empty text has no lines.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// The pairs of a pairs file, in line order. A UTF-8 byte order mark at the start is skipped. The first
// line that is exactly "----" divides find texts from replacements. Fails on bytes that are not UTF-8, a
// file without the divider or without any find text, and find and replacement lines that differ in
// number. The texts themselves (caret codes, lengths, empty find texts) are checked by the find.
std::variant<std::vector<ReplacePair>, Error> ParsePairsFile(std::string_view bytes);

}  // namespace docx
