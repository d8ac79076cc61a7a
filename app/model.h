// The window-and-control model: every window of the program is one WindowDesc, read by one builder.
// Plain data, no platform calls, so descriptions and the focus rules are tested natively.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// 0x00BBGGRR, the layout of a Win32 COLORREF, so values pass to GDI as they are.
using Colour = std::uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
// Marker for "the system's button-face colour".
inline constexpr Colour kSystemFace = 0xFF000000u;
// Marker for "the default of the control's kind".
inline constexpr Colour kKindDefault = 0xFE000000u;

inline constexpr Colour kBlue = Rgb(0, 136, 255);  // window and caption backgrounds
inline constexpr Colour kYellow = Rgb(255, 255, 0);
inline constexpr Colour kRed = Rgb(255, 0, 0);
inline constexpr Colour kTextBlue = Rgb(0, 0, 255);
inline constexpr Colour kBlack = Rgb(0, 0, 0);
inline constexpr Colour kWhite = Rgb(255, 255, 255);

enum class Kind { Button, Label, RadioBox, GroupBox, EditBox, ListBox, TabControl };
enum class Align { Near, Centre, Far };  // left/top, centre, right/bottom

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A font of a control's own. Created with the default character set, output and clipping precision,
// proof quality and default pitch; an empty face lets the system choose.
struct FontDesc {
  std::wstring_view face;
  int height = 0;
  int width = 0;
  int weight = 400;
  bool italic = false, underline = false, strikeOut = false;
};

// Events the program binds handlers to.
enum class Event { Clicked, Destroying };

struct ControlDesc {
  std::wstring_view name;
  Kind kind = Kind::Button;
  std::wstring_view parent;  // empty: the window itself
  int page = -1;             // inside a tab control: the index of the page the control belongs to
  Rect rect;
  std::wstring_view caption;  // caption, initial text
  bool visible = true;
  bool disabled = false;
  std::optional<bool> tabStop;  // unset: the kind's default
  int tabOrder = 0;
  bool clicked = false;  // the clicked event has a handler

  Colour textColour = kKindDefault;
  Colour backColour = kKindDefault;
  Align hAlign = Align::Near;  // labels, radio boxes and edit boxes; buttons are always centred
  Align vAlign = Align::Centre;
  bool checked = false;  // radio boxes

  // Edit boxes.
  bool multiLine = false;
  bool readOnly = false;
  bool vScroll = false;  // a vertical scroll bar (multi-line boxes)
  std::optional<FontDesc> font;

  // List boxes: pixels added to the system's item height.
  int rowSpacing = 1;

  // Tab controls: page captions, in order.
  std::span<const std::wstring_view> pages;
};

struct WindowDesc {
  std::wstring_view name;
  std::wstring title;
  Rect rect{50, 50, 0, 0};  // left and top are stored but windows open centred
  Colour backColour = kBlue;
  bool escCloses = true;
  bool enterMovesFocus = false;
  bool destroying = false;  // the about-to-be-destroyed event has a handler
  std::vector<ControlDesc> controls;
};

// Resolved kind defaults.
bool HasTabStop(const ControlDesc& c);
Colour TextColour(const ControlDesc& c);
Colour BackColour(const ControlDesc& c);

// Index of the control with that name, or -1.
int FindControl(const WindowDesc& w, std::wstring_view name);

// Checks what the builder relies on: unique non-empty names, parents that exist and are containers,
// no parent cycles, pages only inside tab controls and within their page count. Empty when sound,
// else a description of the first fault.
std::wstring Validate(const WindowDesc& w);

// Order in which controls can be created: every parent before its children, otherwise control order.
std::vector<int> CreationOrder(const WindowDesc& w);

// Outer origin of a window of the given size centred on a screen (integer division).
struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
Point CentredOrigin(int screenWidth, int screenHeight, int width, int height);

}  // namespace velmora
