// The focus rules and keys of every window, as pure functions over a description and runtime state.
#pragma once

#include <span>
#include <vector>

#include "app/model.h"

namespace velmora {

// What the builder reads off a live control: shown (its parents included) and enabled.
struct ControlState {
  bool visible = true;
  bool enabled = true;
};

// The controls Tab walks: visible, enabled, with a tab stop; ascending tab order, equal tab orders in
// descending control order.
std::vector<int> TabCycle(const WindowDesc& w, std::span<const ControlState> states);

// Where the focus goes when nothing remembered can take it: the head of the Tab cycle, or -1.
int FirstFocus(const WindowDesc& w, std::span<const ControlState> states);

// The next (or previous) control of the cycle from `current`, wrapping; from a control outside the
// cycle, the first (or last). -1 for an empty cycle.
int StepInCycle(const std::vector<int>& cycle, int current, bool forward);

// The radio box the arrow keys move to from radio box `current`: the radio boxes with the same parent,
// in Tab order, wrapping. `current` itself when it is alone, -1 when it is no radio box.
int StepInRadioGroup(const WindowDesc& w, std::span<const ControlState> states, int current, bool forward);

// The radio boxes that lose their check when `checked` gets it: the rest of its group.
std::vector<int> RadioGroupOthers(const WindowDesc& w, int checked);

enum class Key { Tab, Escape, Enter, Left, Right, Up, Down, Other };

enum class KeyAction {
  PassThrough,  // the focused control takes the key
  Swallow,      // nothing happens
  FocusNext,
  FocusPrevious,
  RadioNext,
  RadioPrevious,
  Close,
};

// What a key press does in window `w` with control `focused` (-1: none) holding the focus.
KeyAction ActionForKey(const WindowDesc& w, int focused, Key key, bool shift);

}  // namespace velmora
