#include "windows/tab_strip_layout.h"

#include <algorithm>

namespace velmora {

TabStripLayout LayOutRightTabs(std::span<const std::size_t> captionLengths, const TabStripMetrics& m,
                               int width, int height) {
  TabStripLayout out;
  int row = 0;
  int y = 0;
  for (const std::size_t chars : captionLengths) {
    const int length = std::max(m.thickness, static_cast<int>(chars) * m.charHeight + 2 * m.padding);
    if (y > 0 && y + length > height) {
      ++row;
      y = 0;
    }
    out.tabs.push_back(Rect{width - (row + 1) * m.thickness, y, m.thickness, length});
    y += length;
  }
  out.rows = captionLengths.empty() ? 0 : row + 1;
  out.pageArea = Rect{0, 0, std::max(0, width - out.rows * m.thickness), height};
  return out;
}

}  // namespace velmora
