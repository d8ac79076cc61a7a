// Description pieces the two main windows share: the big text boxes, the file list and the red note.
#pragma once

#include <string_view>

#include "app/model.h"

namespace velmora {

// Big text boxes: one text per line, blue on yellow, in a font of their own of height -14 with no face
// name, so the system picks the face.
inline constexpr FontDesc kBigBoxFont{.height = -14};

inline ControlDesc BigTextBox(std::wstring_view name, std::wstring_view parent, int page, Rect rect) {
  return {.name = name,
          .kind = Kind::EditBox,
          .parent = parent,
          .page = page,
          .rect = rect,
          .textColour = kTextBlue,
          .backColour = kYellow,
          .multiLine = true,
          .font = kBigBoxFont};
}

// The list of added documents: full paths, blue on yellow, in the order they were added.
inline ControlDesc FileList(std::wstring_view name, std::wstring_view parent, int page, Rect rect) {
  return {.name = name,
          .kind = Kind::ListBox,
          .parent = parent,
          .page = page,
          .rect = rect,
          .textColour = kTextBlue,
          .backColour = kYellow};
}

// The note that texts to be replaced and replacement texts go in the same order: red on blue.
inline ControlDesc RedNote(std::wstring_view name, Rect rect, std::wstring_view caption) {
  return {.name = name,
          .kind = Kind::Label,
          .rect = rect,
          .caption = caption,
          .textColour = kRed,
          .backColour = kBlue};
}

}  // namespace velmora
