#include "windows/tab_control.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/builder.h"
#include "app/model.h"
#include "app/win_raii.h"
#include "windows/tab_strip_layout.h"

namespace velmora {

namespace {

constexpr int kTabThickness = 20;
constexpr int kCaptionPadding = 4;  // above the first and below the last character of a caption
constexpr Colour kTabFill = Rgb(0, 136, 255);
constexpr Colour kCaptionNormal = Rgb(0, 0, 255);
constexpr Colour kCaptionHover = Rgb(255, 0, 0);
constexpr Colour kCaptionCurrent = Rgb(255, 255, 0);
constexpr Colour kFrameLine = Rgb(0, 136, 255);
constexpr Colour kBorderLine = Rgb(236, 236, 236);
constexpr Colour kBack = Rgb(0, 136, 255);

// What one tab control keeps between messages; owned through the window's user data.
struct TabStrip {
  std::vector<std::wstring> captions;
  int current = 0;
  int hover = -1;
  bool tracking = false;
  int thickness = kTabThickness;
  int charHeight = 12;
  OwnedFont font;
  OwnedBrush fill, back, border;
  std::vector<RECT> tabs;  // client coordinates, one per page
  RECT pageArea{};
};

TabStrip* StripOf(HWND hwnd) {
  return reinterpret_cast<TabStrip*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Layout(HWND hwnd, TabStrip& s) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  std::vector<std::size_t> lengths;
  for (const std::wstring& caption : s.captions) lengths.push_back(caption.size());
  const TabStripLayout layout =
      LayOutRightTabs(lengths, {s.thickness, s.charHeight, kCaptionPadding}, rc.right, rc.bottom);
  s.tabs.clear();
  for (const Rect& r : layout.tabs) s.tabs.push_back(RECT{r.left, r.top, r.left + r.width, r.top + r.height});
  const Rect& p = layout.pageArea;
  s.pageArea = RECT{p.left, p.top, p.left + p.width, p.top + p.height};
}

int TabAt(const TabStrip& s, POINT p) {
  for (std::size_t i = 0; i < s.tabs.size(); ++i) {
    if (PtInRect(&s.tabs[i], p)) return static_cast<int>(i);
  }
  return -1;
}

bool OnCreate(HWND hwnd, const CREATESTRUCTW& cs) {
  auto strip = std::make_unique<TabStrip>();
  if (const auto* desc = static_cast<const ControlDesc*>(cs.lpCreateParams)) {
    for (std::wstring_view page : desc->pages) strip->captions.emplace_back(page);
  }
  strip->font.Reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH,
                                L"SimSun"));
  strip->fill.Reset(CreateSolidBrush(kTabFill));
  strip->back.Reset(CreateSolidBrush(kBack));
  strip->border.Reset(CreateSolidBrush(kBorderLine));
  if (!strip->font || !strip->fill || !strip->back || !strip->border) return false;
  if (HDC dc = GetDC(hwnd)) {
    HGDIOBJ old = SelectObject(dc, strip->font.Get());
    TEXTMETRICW tm;
    if (GetTextMetricsW(dc, &tm)) strip->charHeight = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
  }
  strip->thickness = std::max(kTabThickness, strip->charHeight);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(strip.release()));
  return true;
}

void OnPaint(HWND hwnd, TabStrip& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, s.back.Get());
  if (HBRUSH frame = CreateSolidBrush(kFrameLine)) {
    OwnedBrush owned(frame);
    FrameRect(dc, &s.pageArea, owned.Get());
  }
  HGDIOBJ oldFont = SelectObject(dc, s.font.Get());
  SetBkMode(dc, TRANSPARENT);
  for (std::size_t i = 0; i < s.tabs.size(); ++i) {
    const RECT& tab = s.tabs[i];
    FillRect(dc, &tab, s.fill.Get());
    FrameRect(dc, &tab, s.border.Get());
    const int index = static_cast<int>(i);
    SetTextColor(dc, index == s.current ? kCaptionCurrent
                     : index == s.hover ? kCaptionHover
                                        : kCaptionNormal);
    const std::wstring& caption = s.captions[i];
    int y = tab.top + kCaptionPadding;
    for (const wchar_t& ch : caption) {
      RECT cell{tab.left, y, tab.right, y + s.charHeight};
      DrawTextW(dc, &ch, 1, &cell, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      y += s.charHeight;
    }
  }
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
}

void SetHover(HWND hwnd, TabStrip& s, int hover) {
  if (hover == s.hover) return;
  s.hover = hover;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void OnMouseMove(HWND hwnd, TabStrip& s, POINT p) {
  if (!s.tracking) {
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
    s.tracking = TrackMouseEvent(&tme) != FALSE;
  }
  SetHover(hwnd, s, TabAt(s, p));
}

// Hides the children of page `from` and shows those of page `to` that their description marks visible.
void ShowPage(HWND hwnd, int from, int to) {
  Window* w = WindowOf(hwnd);
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int page = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(child, kPageProperty))) - 1;
    if (page == from) {
      ShowWindow(child, SW_HIDE);
    } else if (page == to) {
      const int index = w ? w->IndexOf(child) : -1;
      const bool visible = index < 0 || w->Description().controls[index].visible;
      if (visible) ShowWindow(child, SW_SHOWNA);
    }
  }
}

bool Switch(HWND hwnd, TabStrip& s, int page) {
  if (page < 0 || page >= static_cast<int>(s.captions.size())) return false;
  if (page == s.current) return true;
  HWND focus = GetFocus();
  const bool focusInside = focus && IsChild(hwnd, focus);
  ShowPage(hwnd, s.current, page);
  s.current = page;
  InvalidateRect(hwnd, nullptr, FALSE);
  if (focusInside && !IsWindowVisible(focus)) {
    if (Window* w = WindowOf(hwnd)) w->FocusByRules();
  }
  return true;
}

LRESULT CALLBACK TabControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT forwarded = 0;
  if (ForwardToWindow(hwnd, msg, wp, lp, forwarded)) return forwarded;
  if (msg == WM_NCCREATE) {
    if (!OnCreate(hwnd, *reinterpret_cast<const CREATESTRUCTW*>(lp))) return FALSE;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  TabStrip* s = StripOf(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_CREATE:
    case WM_SIZE:
      Layout(hwnd, *s);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint(hwnd, *s);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(hwnd, *s, POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
      return 0;
    case WM_MOUSELEAVE:
      s->tracking = false;
      SetHover(hwnd, *s, -1);
      return 0;
    case WM_LBUTTONDOWN: {
      const int tab = TabAt(*s, POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
      if (tab >= 0) Switch(hwnd, *s, tab);
      return 0;
    }
    case WM_NCDESTROY: {
      std::unique_ptr<TabStrip> owned(s);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterTabControl(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &TabControlProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kTabControlClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int CurrentPage(HWND tabs) {
  wchar_t cls[64] = {};
  if (!GetClassNameW(tabs, cls, 64) || std::wstring_view(cls) != kTabControlClass) return -1;
  const TabStrip* s = StripOf(tabs);
  return s ? s->current : -1;
}

bool SwitchPage(HWND tabs, int page) {
  if (CurrentPage(tabs) < 0) return false;
  return Switch(tabs, *StripOf(tabs), page);
}

}  // namespace velmora
