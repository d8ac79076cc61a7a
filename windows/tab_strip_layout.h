// Where the tab control puts its tabs: down the right edge, a tab as long as its caption written top to
// bottom, further rows to the left when a column is full; the page area is what remains on the left.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "app/model.h"

namespace velmora {

struct TabStripMetrics {
  int thickness = 20;   // width of a row of tabs, at least the caption font's height
  int charHeight = 12;  // one character of a caption
  int padding = 4;      // above the first and below the last character
};

struct TabStripLayout {
  std::vector<Rect> tabs;  // one per caption, in the control's client coordinates
  Rect pageArea;
  int rows = 0;
};

// `captionLengths`: the number of characters of each caption. A tab that would pass the bottom starts a
// new row to the left of the last one, unless it is the first of its row.
TabStripLayout LayOutRightTabs(std::span<const std::size_t> captionLengths, const TabStripMetrics& m,
                               int width, int height);

}  // namespace velmora
