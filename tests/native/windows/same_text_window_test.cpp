// The description of 窗口_相同替换 and the pure parts of its handlers.
#include "windows/same_text_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/focus.h"
#include "app/model.h"

namespace velmora {
namespace {

std::vector<std::wstring> Names(const WindowDesc& w, const std::vector<int>& indices) {
  std::vector<std::wstring> names;
  for (int i : indices) names.emplace_back(w.controls[static_cast<std::size_t>(i)].name);
  return names;
}

TEST(SameTextWindow, IsSoundAndHasItsFourteenControlsInOrder) {
  const WindowDesc w = SameTextWindowDesc();
  EXPECT_EQ(Validate(w), L"");
  EXPECT_EQ(w.name, L"窗口_相同替换");
  EXPECT_EQ(w.rect.width, 846);
  EXPECT_EQ(w.rect.height, 541);
  EXPECT_TRUE(w.destroying);
  EXPECT_TRUE(w.escCloses);
  EXPECT_FALSE(w.enterMovesFocus);
  EXPECT_EQ(w.backColour, kBlue);
  const std::vector<std::wstring> order = {L"编辑框_替换内容", L"编辑框_被替换内容",
                                           L"按钮11",          L"按钮10",
                                           L"按钮8",           L"按钮6",
                                           L"标签1",           L"按钮5",
                                           L"按钮4",           L"分组框3",
                                           L"列表框_文件列表", L"分组框2",
                                           L"分组框1",         L"按钮1"};
  std::vector<int> all;
  for (std::size_t i = 0; i < w.controls.size(); ++i) all.push_back(static_cast<int>(i));
  EXPECT_EQ(Names(w, all), order);
}

struct Placed {
  const wchar_t* name;
  Kind kind;
  const wchar_t* parent;
  Rect rect;
  bool clicked;
};

TEST(SameTextWindow, ControlsSitWhereTheWindowPlacesThem) {
  const Placed table[] = {
      {L"编辑框_替换内容", Kind::EditBox, L"分组框2", {7, 15, 365, 187}, false},
      {L"编辑框_被替换内容", Kind::EditBox, L"分组框1", {7, 15, 365, 187}, false},
      {L"按钮11", Kind::Button, L"", {784, 440, 46, 64}, true},
      {L"按钮10", Kind::Button, L"分组框2", {302, 207, 70, 20}, true},
      {L"按钮8", Kind::Button, L"分组框1", {302, 207, 70, 20}, true},
      {L"按钮6", Kind::Button, L"分组框3", {632, 230, 89, 20}, true},
      {L"标签1", Kind::Label, L"分组框3", {18, 229, 384, 20}, false},
      {L"按钮5", Kind::Button, L"分组框3", {727, 230, 89, 20}, true},
      {L"按钮4", Kind::Button, L"分组框3", {455, 230, 168, 20}, true},
      {L"分组框3", Kind::GroupBox, L"", {8, 8, 824, 256}, false},
      {L"列表框_文件列表", Kind::ListBox, L"分组框3", {8, 16, 808, 208}, false},
      {L"分组框2", Kind::GroupBox, L"", {395, 270, 380, 234}, false},
      {L"分组框1", Kind::GroupBox, L"", {8, 270, 380, 234}, false},
      {L"按钮1", Kind::Button, L"", {784, 277, 48, 155}, true},
  };
  const WindowDesc w = SameTextWindowDesc();
  for (const Placed& p : table) {
    SCOPED_TRACE(p.name);
    const int i = FindControl(w, p.name);
    ASSERT_GE(i, 0);
    const ControlDesc& c = w.controls[static_cast<std::size_t>(i)];
    EXPECT_EQ(c.kind, p.kind);
    EXPECT_EQ(c.parent, p.parent);
    EXPECT_EQ(c.rect, p.rect);
    EXPECT_EQ(c.clicked, p.clicked);
    EXPECT_TRUE(c.visible);
    EXPECT_FALSE(c.disabled);
    EXPECT_EQ(c.tabOrder, 0);
    EXPECT_EQ(c.page, -1);
  }
}

TEST(SameTextWindow, CaptionsAndColours) {
  const WindowDesc w = SameTextWindowDesc();
  auto at = [&](const wchar_t* name) -> const ControlDesc& {
    return w.controls[static_cast<std::size_t>(FindControl(w, name))];
  };
  EXPECT_EQ(at(L"按钮1").caption, L"开\r\n\r\n始\r\n\r\n替\r\n\r\n换");
  EXPECT_EQ(at(L"按钮11").caption, L"全部\r\n清空");
  EXPECT_EQ(at(L"按钮4").caption, L"1、添加WORD文件");
  EXPECT_EQ(at(L"标签1").caption, L"注意：添加 被替换内容 的顺序 和，添加 替换文本 的顺序必须一致！");
  EXPECT_EQ(at(L"标签1").textColour, kRed);
  EXPECT_EQ(at(L"标签1").backColour, kBlue);
  EXPECT_EQ(at(L"分组框3").caption, L"1、添加WORD文件列表");
  EXPECT_EQ(at(L"分组框1").caption, L"2、添加被替换内容（每行一处）");
  EXPECT_EQ(at(L"分组框2").caption, L"3、添加替换内容（每行一处）");
  for (const wchar_t* group : {L"分组框1", L"分组框2", L"分组框3"}) {
    EXPECT_EQ(TextColour(at(group)), kYellow) << group;
    EXPECT_FALSE(HasTabStop(at(group))) << group;
  }
  for (const wchar_t* box : {L"编辑框_被替换内容", L"编辑框_替换内容"}) {
    const ControlDesc& c = at(box);
    EXPECT_TRUE(c.multiLine) << box;
    EXPECT_FALSE(c.readOnly) << box;
    EXPECT_EQ(c.textColour, kTextBlue) << box;
    EXPECT_EQ(c.backColour, kYellow) << box;
    ASSERT_TRUE(c.font.has_value()) << box;
    EXPECT_EQ(c.font->height, -14) << box;
    EXPECT_EQ(c.font->weight, 400) << box;
    EXPECT_TRUE(c.font->face.empty()) << box;
    EXPECT_TRUE(c.caption.empty()) << box;
  }
  EXPECT_EQ(at(L"列表框_文件列表").rowSpacing, 1);
  EXPECT_EQ(at(L"列表框_文件列表").textColour, kTextBlue);
  EXPECT_EQ(at(L"列表框_文件列表").backColour, kYellow);
  EXPECT_FALSE(at(L"列表框_文件列表").font.has_value());
}

TEST(SameTextWindow, TabWalksTheCycleFromTheStartButton) {
  const WindowDesc w = SameTextWindowDesc();
  const std::vector<ControlState> states(w.controls.size());
  EXPECT_EQ(Names(w, TabCycle(w, states)),
            (std::vector<std::wstring>{L"按钮1", L"列表框_文件列表", L"按钮4", L"按钮5", L"按钮6", L"按钮8",
                                       L"按钮10", L"按钮11", L"编辑框_被替换内容", L"编辑框_替换内容"}));
  EXPECT_EQ(FirstFocus(w, states), FindControl(w, L"按钮1"));
}

TEST(SameTextWindow, KeysInTheBoxesAndElsewhere) {
  const WindowDesc w = SameTextWindowDesc();
  const int box = FindControl(w, L"编辑框_被替换内容");
  const int list = FindControl(w, L"列表框_文件列表");
  const int start = FindControl(w, L"按钮1");
  EXPECT_EQ(ActionForKey(w, box, Key::Escape, false), KeyAction::Close);
  EXPECT_EQ(ActionForKey(w, box, Key::Tab, false), KeyAction::FocusNext);
  EXPECT_EQ(ActionForKey(w, box, Key::Tab, true), KeyAction::FocusPrevious);
  EXPECT_EQ(ActionForKey(w, box, Key::Enter, false), KeyAction::PassThrough);
  EXPECT_NE(ActionForKey(w, list, Key::Enter, false), KeyAction::FocusNext);
  EXPECT_NE(ActionForKey(w, start, Key::Enter, false), KeyAction::FocusNext);
}

TEST(SameTextWindow, RunInputHoldsTheListAndBothBoxesAsTheyAre) {
  const RunInput input = SameTextRunInput({L"C:\\b.docx", L"C:\\a.doc"}, L"甲\r\n乙\r\n", L"丙\r\n\r\n丁");
  EXPECT_EQ(input.mode, Mode::kSameText);
  EXPECT_EQ(input.documents, (std::vector<std::wstring>{L"C:\\b.docx", L"C:\\a.doc"}));
  EXPECT_EQ(input.findBox, L"甲\r\n乙\r\n");
  EXPECT_EQ(input.replaceBox, L"丙\r\n\r\n丁");
  for (const PageInput& page : input.pages) {
    EXPECT_TRUE(page.path.empty());
    EXPECT_TRUE(page.replaceBox.empty());
  }
}

TEST(SameTextWindow, SelectionAfterDelete) {
  struct Case {
    int deleted, remaining, expected;
  };
  const Case cases[] = {
      {0, 2, 0},   // the next item moves up into place
      {1, 2, 1},   // a middle item: its follower
      {2, 2, 1},   // the last item: the new last one
      {0, 0, -1},  // the list is empty now
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectionAfterDelete(c.deleted, c.remaining), c.expected) << c.deleted << " " << c.remaining;
  }
}

}  // namespace
}  // namespace velmora
