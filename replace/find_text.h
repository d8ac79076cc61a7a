// Texts as the word processor's find-and-replace takes them: carets doubled, at most 255 UTF-16 code units
// per text, and a long replacement laid down in pieces through a marker.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The most UTF-16 code units that Find.Execute accepts in FindText and in ReplaceWith.
inline constexpr std::size_t kFindTextLimit = 255;

// Stands in the document for the part of a long replacement that is still to come. Private-use characters
// in this order never occur in a document, so finding the marker finds only what the run put there.
inline constexpr std::wstring_view kPieceMarker = L"\uE000\uF8FF\uE001";

// Length in UTF-16 code units: a character above U+FFFF counts 2 whether wchar_t holds it whole or as a
// surrogate pair.
std::size_t Utf16Length(std::wstring_view text);

// The find-and-replace reads "^" as the start of a special code; doubling every caret makes it literal.
std::wstring EscapeForFind(std::wstring_view text);

// Length of EscapeForFind(text) in UTF-16 code units, without building it.
std::size_t EscapedLength(std::wstring_view text);

// One Find.Execute with Replace set to replace all: its FindText and its ReplaceWith, ready to send.
struct ExecuteCall {
  std::wstring findText;
  std::wstring replaceWith;
  bool operator==(const ExecuteCall&) const = default;
};

// The calls that replace every occurrence of `find` by `replace` (both as the user typed them). A
// replacement that fits is one call; a longer one is sent as
//   (find, piece1 + marker), (marker, piece2 + marker), ..., (marker, lastPiece)
// where no piece cuts a doubled caret or a surrogate pair. Empty when `find` is empty or too long to send.
std::vector<ExecuteCall> PlanExecutes(std::wstring_view find, std::wstring_view replace);

}  // namespace velmora
