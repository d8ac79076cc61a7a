#include "windows/tab_strip_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

TEST(TabStripLayout, SixPagesFitOneRowOnTheRightEdge) {
  const std::vector<std::size_t> captions{4, 3, 3, 3, 3, 3};  // 文件列表, 文档一 … 文档五
  const TabStripLayout l = LayOutRightTabs(captions, {}, 432, 402);
  EXPECT_EQ(l.rows, 1);
  EXPECT_EQ(l.tabs, (std::vector<Rect>{{412, 0, 20, 56},
                                       {412, 56, 20, 44},
                                       {412, 100, 20, 44},
                                       {412, 144, 20, 44},
                                       {412, 188, 20, 44},
                                       {412, 232, 20, 44}}));
  EXPECT_EQ(l.pageArea, (Rect{0, 0, 412, 402}));
}

TEST(TabStripLayout, FullColumnsStartRowsToTheLeft) {
  struct Case {
    std::vector<std::size_t> captions;
    int height;
    std::vector<Rect> tabs;
    int rows;
  };
  const TabStripMetrics m{.thickness = 20, .charHeight = 10, .padding = 5};  // a tab of n chars: 10n + 10
  const std::vector<Case> cases = {
      {{4, 4, 4}, 100, {{80, 0, 20, 50}, {80, 50, 20, 50}, {60, 0, 20, 50}}, 2},
      {{4, 4, 4}, 99, {{80, 0, 20, 50}, {60, 0, 20, 50}, {40, 0, 20, 50}}, 3},
      {{20, 1}, 100, {{80, 0, 20, 210}, {60, 0, 20, 20}}, 2},  // a too long tab still gets its own row
      {{0}, 100, {{80, 0, 20, 20}}, 1},                        // never shorter than the row is wide
      {{}, 100, {}, 0},
  };
  for (const Case& c : cases) {
    const TabStripLayout l = LayOutRightTabs(c.captions, m, 100, c.height);
    EXPECT_EQ(l.tabs, c.tabs) << c.captions.size() << " " << c.height;
    EXPECT_EQ(l.rows, c.rows);
    EXPECT_EQ(l.pageArea, (Rect{0, 0, 100 - 20 * c.rows, c.height}));
  }
}

}  // namespace
}  // namespace velmora
