#include "app/model.h"

#include <gtest/gtest.h>

#include "app/selection_window.h"

namespace velmora {
namespace {

TEST(Centring, UsesIntegerDivisionOfTheWholeScreen) {
  struct Case {
    int sw, sh, w, h;
    Point expected;
  };
  for (const Case& c : {Case{1024, 768, 403, 200, {310, 284}}, Case{1024, 768, 846, 541, {89, 113}},
                        Case{1024, 768, 846, 479, {89, 144}}, Case{1920, 1080, 403, 200, {758, 440}},
                        Case{300, 200, 403, 200, {-51, 0}}}) {
    EXPECT_EQ(CentredOrigin(c.sw, c.sh, c.w, c.h), c.expected) << c.sw << "x" << c.sh << " " << c.w;
  }
}

TEST(SelectionWindow, DescriptionIsSoundAndInControlOrder) {
  const WindowDesc w = SelectionWindowDesc();
  EXPECT_EQ(Validate(w), L"");
  std::vector<std::wstring_view> names;
  for (const ControlDesc& c : w.controls) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::wstring_view>{L"按钮1", L"标签2", L"单选框2", L"单选框1", L"标签1",
                                                   L"分组框1", L"分组框2"}));
  EXPECT_EQ(w.rect, (Rect{50, 50, 403, 200}));
  EXPECT_EQ(w.backColour, Rgb(0, 136, 255));
  EXPECT_TRUE(w.controls[2].checked);
  EXPECT_FALSE(w.controls[3].checked);
  EXPECT_EQ(w.controls[0].caption, L"选择替换方式并点击此按钮以启动主界面");
}

TEST(Validate, FindsTheFaultsTheBuilderCannotBuild) {
  const std::wstring_view pages[] = {L"一", L"二"};
  struct Case {
    const char* what;
    std::vector<ControlDesc> controls;
    bool sound;
  };
  const std::vector<Case> cases = {
      {"sound", {{.name = L"g", .kind = Kind::GroupBox}, {.name = L"b", .parent = L"g"}}, true},
      {"duplicate name", {{.name = L"b"}, {.name = L"b"}}, false},
      {"empty name", {{.name = L""}}, false},
      {"missing parent", {{.name = L"b", .parent = L"g"}}, false},
      {"parent not a container", {{.name = L"a"}, {.name = L"b", .parent = L"a"}}, false},
      {"cycle",
       {{.name = L"g", .kind = Kind::GroupBox, .parent = L"h"},
        {.name = L"h", .kind = Kind::GroupBox, .parent = L"g"}},
       false},
      {"page in range",
       {{.name = L"t", .kind = Kind::TabControl, .pages = pages}, {.name = L"b", .parent = L"t", .page = 1}},
       true},
      {"page out of range",
       {{.name = L"t", .kind = Kind::TabControl, .pages = pages}, {.name = L"b", .parent = L"t", .page = 2}},
       false},
      {"no page in a tab control",
       {{.name = L"t", .kind = Kind::TabControl, .pages = pages}, {.name = L"b", .parent = L"t"}},
       false},
      {"page outside a tab control", {{.name = L"b", .page = 0}}, false},
  };
  for (const Case& c : cases) {
    WindowDesc w{.name = L"w", .controls = c.controls};
    EXPECT_EQ(Validate(w).empty(), c.sound) << c.what;
  }
}

TEST(CreationOrder, PutsParentsFirstAndKeepsControlOrderOtherwise) {
  WindowDesc w{.name = L"w",
               .controls = {{.name = L"a", .parent = L"g2"},
                            {.name = L"b"},
                            {.name = L"g2", .kind = Kind::GroupBox, .parent = L"g1"},
                            {.name = L"g1", .kind = Kind::GroupBox},
                            {.name = L"c", .parent = L"g1"}}};
  EXPECT_EQ(CreationOrder(w), (std::vector<int>{3, 2, 0, 1, 4}));
}

TEST(KindDefaults, TabStopsAndColours) {
  EXPECT_TRUE(HasTabStop({.kind = Kind::Button}));
  EXPECT_TRUE(HasTabStop({.kind = Kind::ListBox}));
  EXPECT_FALSE(HasTabStop({.kind = Kind::Label}));
  EXPECT_FALSE(HasTabStop({.kind = Kind::GroupBox}));
  EXPECT_FALSE(HasTabStop({.kind = Kind::TabControl}));
  EXPECT_FALSE(HasTabStop({.kind = Kind::Button, .tabStop = false}));
  EXPECT_EQ(BackColour({.kind = Kind::EditBox}), kWhite);
  EXPECT_EQ(BackColour({.kind = Kind::Label}), kSystemFace);
  EXPECT_EQ(TextColour({.kind = Kind::Label}), kBlack);
  EXPECT_EQ(BackColour({.kind = Kind::Label, .backColour = kBlue}), kBlue);
}

}  // namespace
}  // namespace velmora
