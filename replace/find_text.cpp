#include "replace/find_text.h"

#include <cstdint>

namespace velmora {
namespace {

bool IsHighSurrogate(wchar_t c) {
  const auto v = static_cast<std::uint32_t>(c);
  return v >= 0xD800 && v <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
  const auto v = static_cast<std::uint32_t>(c);
  return v >= 0xDC00 && v <= 0xDFFF;
}

// A 32-bit wchar_t holds a character above U+FFFF whole, and it counts the two units it takes in UTF-16;
// a 16-bit wchar_t holds it as a surrogate pair whose halves count one each.
std::size_t UnitsOf(wchar_t c) {
  return (static_cast<std::uint32_t>(c) >> 16) != 0 ? 2 : 1;
}

// The smallest run of wchar_t at `at` that must stay whole: a surrogate pair, or one element.
std::size_t CharacterSize(std::wstring_view text, std::size_t at) {
  if (IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) return 2;
  return 1;
}

}  // namespace

std::size_t Utf16Length(std::wstring_view text) {
  std::size_t units = 0;
  for (wchar_t c : text) units += UnitsOf(c);
  return units;
}

std::wstring EscapeForFind(std::wstring_view text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    escaped += c;
    if (c == L'^') escaped += L'^';
  }
  return escaped;
}

std::size_t EscapedLength(std::wstring_view text) {
  std::size_t units = Utf16Length(text);
  for (wchar_t c : text) {
    if (c == L'^') ++units;
  }
  return units;
}

std::vector<ExecuteCall> PlanExecutes(std::wstring_view find, std::wstring_view replace) {
  std::vector<ExecuteCall> calls;
  if (find.empty() || EscapedLength(find) > kFindTextLimit) return calls;

  std::size_t remaining = EscapedLength(replace);
  if (remaining <= kFindTextLimit) {
    calls.push_back({EscapeForFind(find), EscapeForFind(replace)});
    return calls;
  }

  // Every piece but the last carries the marker after it, so it has that much less room.
  const std::size_t marker = Utf16Length(kPieceMarker);
  const std::size_t pieceRoom = kFindTextLimit - marker;
  std::wstring findText = EscapeForFind(find);
  std::size_t at = 0;
  while (remaining > kFindTextLimit) {
    std::wstring piece;
    std::size_t units = 0;
    while (at < replace.size()) {
      const std::size_t size = CharacterSize(replace, at);
      const std::wstring_view character = replace.substr(at, size);
      const std::size_t cost = EscapedLength(character);
      if (units + cost > pieceRoom) break;
      piece += EscapeForFind(character);
      units += cost;
      at += size;
    }
    remaining -= units;
    piece += kPieceMarker;
    calls.push_back({std::move(findText), std::move(piece)});
    findText = std::wstring(kPieceMarker);
  }
  calls.push_back({std::move(findText), EscapeForFind(replace.substr(at))});
  return calls;
}

}  // namespace velmora
