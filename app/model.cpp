#include "app/model.h"

#include <set>

namespace velmora {

bool HasTabStop(const ControlDesc& c) {
  if (c.tabStop) return *c.tabStop;
  switch (c.kind) {
    case Kind::Button:
    case Kind::RadioBox:
    case Kind::EditBox:
    case Kind::ListBox:
      return true;
    case Kind::Label:
    case Kind::GroupBox:
    case Kind::TabControl:
      return false;
  }
  return false;
}

Colour TextColour(const ControlDesc& c) {
  if (c.textColour != kKindDefault) return c.textColour;
  return kBlack;
}

Colour BackColour(const ControlDesc& c) {
  if (c.backColour != kKindDefault) return c.backColour;
  switch (c.kind) {
    case Kind::EditBox:
    case Kind::ListBox:
      return kWhite;
    default:
      return kSystemFace;
  }
}

int FindControl(const WindowDesc& w, std::wstring_view name) {
  for (std::size_t i = 0; i < w.controls.size(); ++i) {
    if (w.controls[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

namespace {
bool IsContainer(Kind k) {
  return k == Kind::GroupBox || k == Kind::TabControl;
}
}  // namespace

std::wstring Validate(const WindowDesc& w) {
  std::set<std::wstring_view> names;
  for (const ControlDesc& c : w.controls) {
    if (c.name.empty()) return L"a control has no name";
    if (!names.insert(c.name).second) return L"duplicate control name " + std::wstring(c.name);
  }
  for (const ControlDesc& c : w.controls) {
    const std::wstring name(c.name);
    if (c.parent.empty()) {
      if (c.page >= 0) return name + L": a page outside a tab control";
      continue;
    }
    const int p = FindControl(w, c.parent);
    if (p < 0) return name + L": no parent " + std::wstring(c.parent);
    const ControlDesc& parent = w.controls[p];
    if (!IsContainer(parent.kind)) return name + L": parent is not a container";
    if (parent.kind == Kind::TabControl) {
      if (c.page < 0 || c.page >= static_cast<int>(parent.pages.size())) return name + L": no such page";
    } else if (c.page >= 0) {
      return name + L": a page outside a tab control";
    }
    // Walk up: a cycle never reaches the window.
    int steps = 0;
    for (int q = p; q >= 0; q = FindControl(w, w.controls[q].parent)) {
      if (++steps > static_cast<int>(w.controls.size())) return name + L": parent cycle";
    }
  }
  return {};
}

std::vector<int> CreationOrder(const WindowDesc& w) {
  const int n = static_cast<int>(w.controls.size());
  std::vector<bool> placed(n, false);
  std::vector<int> order;
  order.reserve(n);
  auto place = [&](auto& self, int i, int depth) -> void {
    if (placed[i] || depth > n) return;
    const int p = FindControl(w, w.controls[i].parent);
    if (p >= 0) self(self, p, depth + 1);
    placed[i] = true;
    order.push_back(i);
  };
  for (int i = 0; i < n; ++i) place(place, i, 0);
  return order;
}

Point CentredOrigin(int screenWidth, int screenHeight, int width, int height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

}  // namespace velmora
