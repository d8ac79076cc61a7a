#include "app/focus.h"

#include <algorithm>

namespace velmora {

namespace {

bool CanFocus(const WindowDesc& w, std::span<const ControlState> states, int i) {
  const bool shown = i < static_cast<int>(states.size()) ? states[i].visible && states[i].enabled : true;
  return shown && HasTabStop(w.controls[i]) && !w.controls[i].disabled;
}

// Tab order among `candidates`: ascending tab order, ties in descending control order.
void SortForTab(const WindowDesc& w, std::vector<int>& candidates) {
  std::stable_sort(candidates.begin(), candidates.end(), [&](int a, int b) {
    if (w.controls[a].tabOrder != w.controls[b].tabOrder)
      return w.controls[a].tabOrder < w.controls[b].tabOrder;
    return a > b;
  });
}

}  // namespace

std::vector<int> TabCycle(const WindowDesc& w, std::span<const ControlState> states) {
  std::vector<int> cycle;
  for (int i = 0; i < static_cast<int>(w.controls.size()); ++i) {
    if (CanFocus(w, states, i)) cycle.push_back(i);
  }
  SortForTab(w, cycle);
  return cycle;
}

int FirstFocus(const WindowDesc& w, std::span<const ControlState> states) {
  const std::vector<int> cycle = TabCycle(w, states);
  return cycle.empty() ? -1 : cycle.front();
}

int StepInCycle(const std::vector<int>& cycle, int current, bool forward) {
  if (cycle.empty()) return -1;
  const auto at = std::find(cycle.begin(), cycle.end(), current);
  if (at == cycle.end()) return forward ? cycle.front() : cycle.back();
  const std::size_t n = cycle.size();
  const std::size_t i = static_cast<std::size_t>(at - cycle.begin());
  return cycle[forward ? (i + 1) % n : (i + n - 1) % n];
}

int StepInRadioGroup(const WindowDesc& w, std::span<const ControlState> states, int current, bool forward) {
  if (current < 0 || current >= static_cast<int>(w.controls.size())) return -1;
  const ControlDesc& from = w.controls[current];
  if (from.kind != Kind::RadioBox) return -1;
  std::vector<int> group;
  for (int i = 0; i < static_cast<int>(w.controls.size()); ++i) {
    const ControlDesc& c = w.controls[i];
    const bool shown = i >= static_cast<int>(states.size()) || (states[i].visible && states[i].enabled);
    if (c.kind == Kind::RadioBox && c.parent == from.parent && c.page == from.page &&
        (shown || i == current)) {
      group.push_back(i);
    }
  }
  SortForTab(w, group);
  return StepInCycle(group, current, forward);
}

std::vector<int> RadioGroupOthers(const WindowDesc& w, int checked) {
  std::vector<int> others;
  if (checked < 0 || checked >= static_cast<int>(w.controls.size())) return others;
  const ControlDesc& from = w.controls[checked];
  for (int i = 0; i < static_cast<int>(w.controls.size()); ++i) {
    const ControlDesc& c = w.controls[i];
    if (i != checked && c.kind == Kind::RadioBox && c.parent == from.parent && c.page == from.page) {
      others.push_back(i);
    }
  }
  return others;
}

KeyAction ActionForKey(const WindowDesc& w, int focused, Key key, bool shift) {
  const ControlDesc* c =
      focused >= 0 && focused < static_cast<int>(w.controls.size()) ? &w.controls[focused] : nullptr;
  switch (key) {
    case Key::Tab:
      return shift ? KeyAction::FocusPrevious : KeyAction::FocusNext;
    case Key::Escape:
      return w.escCloses ? KeyAction::Close : KeyAction::Swallow;
    case Key::Enter:
      if (c && c->kind == Kind::EditBox && c->multiLine && !c->readOnly) return KeyAction::PassThrough;
      return w.enterMovesFocus ? KeyAction::FocusNext : KeyAction::Swallow;
    case Key::Left:
    case Key::Up:
      return c && c->kind == Kind::RadioBox ? KeyAction::RadioPrevious : KeyAction::PassThrough;
    case Key::Right:
    case Key::Down:
      return c && c->kind == Kind::RadioBox ? KeyAction::RadioNext : KeyAction::PassThrough;
    case Key::Other:
      return KeyAction::PassThrough;
  }
  return KeyAction::PassThrough;
}

}  // namespace velmora
