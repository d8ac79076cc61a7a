#include "app/focus.h"

#include <gtest/gtest.h>

#include "app/selection_window.h"

namespace velmora {
namespace {

std::vector<std::wstring_view> Names(const WindowDesc& w, const std::vector<int>& indices) {
  std::vector<std::wstring_view> names;
  for (int i : indices) names.push_back(w.controls[i].name);
  return names;
}

int At(const WindowDesc& w, std::wstring_view name) {
  return FindControl(w, name);
}

TEST(Focus, SelectionWindowCycleAndFirstFocus) {
  const WindowDesc w = SelectionWindowDesc();
  const std::vector<ControlState> shown(w.controls.size());
  EXPECT_EQ(Names(w, TabCycle(w, shown)), (std::vector<std::wstring_view>{L"单选框2", L"按钮1", L"单选框1"}));
  EXPECT_EQ(FirstFocus(w, shown), At(w, L"单选框2"));
}

TEST(Focus, HiddenDisabledAndUnstoppedControlsAreSkipped) {
  WindowDesc w{.name = L"w",
               .controls = {{.name = L"a"},
                            {.name = L"b"},
                            {.name = L"c", .disabled = true},
                            {.name = L"d", .tabStop = false},
                            {.name = L"e", .kind = Kind::Label},
                            {.name = L"f"}}};
  std::vector<ControlState> states(w.controls.size());
  states[5].visible = false;
  EXPECT_EQ(Names(w, TabCycle(w, states)), (std::vector<std::wstring_view>{L"b", L"a"}));
  states[1].enabled = false;
  EXPECT_EQ(FirstFocus(w, states), 0);
  states[0].visible = false;
  EXPECT_EQ(FirstFocus(w, states), -1);
}

TEST(Focus, StepWrapsBothWaysAndEntersFromOutside) {
  const std::vector<int> cycle{4, 2, 7};
  struct Case {
    int from;
    bool forward;
    int expected;
  };
  for (const Case& c : {Case{4, true, 2}, Case{2, true, 7}, Case{7, true, 4}, Case{4, false, 7},
                        Case{7, false, 2}, Case{-1, true, 4}, Case{9, false, 7}}) {
    EXPECT_EQ(StepInCycle(cycle, c.from, c.forward), c.expected) << c.from << " " << c.forward;
  }
  EXPECT_EQ(StepInCycle({}, 1, true), -1);
}

TEST(Focus, ArrowKeysStayInTheRadioGroupAndWrap) {
  const WindowDesc w = SelectionWindowDesc();
  const std::vector<ControlState> shown(w.controls.size());
  const int one = At(w, L"单选框1"), two = At(w, L"单选框2");
  EXPECT_EQ(StepInRadioGroup(w, shown, two, true), one);
  EXPECT_EQ(StepInRadioGroup(w, shown, one, true), two);
  EXPECT_EQ(StepInRadioGroup(w, shown, two, false), one);
  EXPECT_EQ(StepInRadioGroup(w, shown, At(w, L"按钮1"), true), -1);
  EXPECT_EQ(RadioGroupOthers(w, one), std::vector<int>{two});
}

TEST(Focus, RadioGroupsAreSiblingsOnly) {
  WindowDesc w{.name = L"w",
               .controls = {{.name = L"g", .kind = Kind::GroupBox},
                            {.name = L"r1", .kind = Kind::RadioBox},
                            {.name = L"r2", .kind = Kind::RadioBox, .parent = L"g"},
                            {.name = L"r3", .kind = Kind::RadioBox}}};
  const std::vector<ControlState> shown(w.controls.size());
  EXPECT_EQ(StepInRadioGroup(w, shown, 1, true), 3);
  EXPECT_EQ(StepInRadioGroup(w, shown, 2, true), 2);  // alone in its group
  EXPECT_EQ(RadioGroupOthers(w, 3), std::vector<int>{1});
}

TEST(Keys, WhatEachKeyDoes) {
  WindowDesc w{.name = L"w",
               .controls = {{.name = L"button"},
                            {.name = L"radio", .kind = Kind::RadioBox},
                            {.name = L"big", .kind = Kind::EditBox, .multiLine = true},
                            {.name = L"line", .kind = Kind::EditBox},
                            {.name = L"list", .kind = Kind::ListBox}}};
  struct Case {
    int focused;
    Key key;
    bool shift;
    KeyAction expected;
  };
  const Case cases[] = {
      {0, Key::Tab, false, KeyAction::FocusNext},      {2, Key::Tab, false, KeyAction::FocusNext},
      {2, Key::Tab, true, KeyAction::FocusPrevious},   {2, Key::Escape, false, KeyAction::Close},
      {-1, Key::Escape, false, KeyAction::Close},      {2, Key::Enter, false, KeyAction::PassThrough},
      {0, Key::Enter, false, KeyAction::Swallow},      {3, Key::Enter, false, KeyAction::Swallow},
      {4, Key::Enter, false, KeyAction::Swallow},      {1, Key::Down, false, KeyAction::RadioNext},
      {1, Key::Right, false, KeyAction::RadioNext},    {1, Key::Up, false, KeyAction::RadioPrevious},
      {1, Key::Left, false, KeyAction::RadioPrevious}, {4, Key::Down, false, KeyAction::PassThrough},
      {2, Key::Left, false, KeyAction::PassThrough},   {0, Key::Other, false, KeyAction::PassThrough},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ActionForKey(w, c.focused, c.key, c.shift), c.expected)
        << c.focused << " " << static_cast<int>(c.key);
  }
  w.controls[2].readOnly = true;
  EXPECT_EQ(ActionForKey(w, 2, Key::Enter, false), KeyAction::Swallow);
  w.escCloses = false;
  EXPECT_EQ(ActionForKey(w, 0, Key::Escape, false), KeyAction::Swallow);
}

}  // namespace
}  // namespace velmora
