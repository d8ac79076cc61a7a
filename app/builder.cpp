#include "app/builder.h"

#include <algorithm>
#include <deque>

#include "app/focus.h"

namespace velmora {

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraWindow";
constexpr wchar_t kOwnerClass[] = L"VelmoraOwner";
constexpr UINT kCloseLater = WM_APP + 1;
constexpr int kAppIcon = 1;

HINSTANCE g_instance = nullptr;
OwnedWindow g_owner;                 // invisible owner of modal windows
std::vector<Window*> g_windows;      // every window of the program that exists
std::deque<WindowSpec> g_catalogue;  // stable addresses: windows keep a reference to their spec
bool g_loopRunning = false;

HFONT GuiFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF ToColorRef(Colour c) {
  return c == kSystemFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(c);
}

UINT DrawTextAlign(const ControlDesc& c) {
  UINT flags = DT_SINGLELINE | DT_NOPREFIX;
  flags |= c.hAlign == Align::Centre ? DT_CENTER : c.hAlign == Align::Far ? DT_RIGHT : DT_LEFT;
  flags |= c.vAlign == Align::Centre ? DT_VCENTER : c.vAlign == Align::Far ? DT_BOTTOM : DT_TOP;
  return flags;
}

// Labels are painted by the program: fill with the back colour, then one line of text, transparently.
LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_SETFONT:
      SetPropW(hwnd, L"Velmora.Font", reinterpret_cast<HANDLE>(wp));
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(GetPropW(hwnd, L"Velmora.Font"));
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const auto* c = reinterpret_cast<const ControlDesc*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      Window* w = WindowOf(hwnd);
      const Colour back = c ? BackColour(*c) : kSystemFace;
      FillRect(dc, &rc, w ? w->Brush(back) : GetSysColorBrush(COLOR_BTNFACE));
      const int length = GetWindowTextLengthW(hwnd);
      std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
      GetWindowTextW(hwnd, text.data(), length + 1);
      text.resize(static_cast<std::size_t>(length));
      HGDIOBJ old =
          SelectObject(dc, GetPropW(hwnd, L"Velmora.Font") ? GetPropW(hwnd, L"Velmora.Font") : GuiFont());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, ToColorRef(c ? TextColour(*c) : kBlack));
      DrawTextW(dc, text.c_str(), length, &rc, c ? DrawTextAlign(*c) : DT_SINGLELINE);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      RemovePropW(hwnd, L"Velmora.Font");
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Group boxes contain controls; their children's notifications belong to the window.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, L"Velmora.Proc"));
  LRESULT forwarded = 0;
  if (ForwardToWindow(hwnd, msg, wp, lp, forwarded)) return forwarded;
  if (msg == WM_ERASEBKGND) {
    // The frame paints only its lines and title; its inside shows the control's back colour.
    Window* w = WindowOf(hwnd);
    const int i = w ? w->IndexOf(hwnd) : -1;
    if (i >= 0) {
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, w->Brush(BackColour(w->Description().controls[i])));
      return 1;
    }
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(hwnd, L"Velmora.Proc");
  }
  return CallWindowProcW(original, hwnd, msg, wp, lp);
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Shown on the screen as far as its own and its parents' visibility go, the top window aside.
bool ShownInWindow(HWND control, HWND top) {
  for (HWND h = control; h && h != top; h = GetParent(h)) {
    if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

Key KeyOf(WPARAM vk) {
  switch (vk) {
    case VK_TAB:
      return Key::Tab;
    case VK_ESCAPE:
      return Key::Escape;
    case VK_RETURN:
      return Key::Enter;
    case VK_LEFT:
      return Key::Left;
    case VK_RIGHT:
      return Key::Right;
    case VK_UP:
      return Key::Up;
    case VK_DOWN:
      return Key::Down;
    default:
      return Key::Other;
  }
}

}  // namespace

// ---- the catalogue --------------------------------------------------------------------------------

void AddWindowSpec(WindowSpec spec) {
  g_catalogue.push_back(std::move(spec));
}

const WindowSpec* FindWindowSpec(std::wstring_view name) {
  for (const WindowSpec& s : g_catalogue) {
    if (s.desc.name == name) return &s;
  }
  return nullptr;
}

// ---- start-up -------------------------------------------------------------------------------------

HINSTANCE ProgramInstance() {
  return g_instance;
}

bool InitialiseBuilder(HINSTANCE instance) {
  g_instance = instance;
  auto icon = [&](int size) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIcon), IMAGE_ICON, size, size,
                                         LR_SHARED | LR_DEFAULTCOLOR));
  };
  WNDCLASSEXW wc{sizeof(wc)};
  wc.lpfnWndProc = &Window::Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icon(32);
  wc.hIconSm = icon(GetSystemMetrics(SM_CXSMICON));
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) return false;

  WNDCLASSEXW label{sizeof(label)};
  label.lpfnWndProc = &LabelProc;
  label.hInstance = instance;
  label.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  label.lpszClassName = kLabelClass;
  if (!RegisterClassExW(&label)) return false;

  WNDCLASSEXW owner{sizeof(owner)};
  owner.lpfnWndProc = &OwnerProc;
  owner.hInstance = instance;
  owner.lpszClassName = kOwnerClass;
  if (!RegisterClassExW(&owner)) return false;
  g_owner.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr));
  return static_cast<bool>(g_owner);
}

// ---- window registry ------------------------------------------------------------------------------

Window* FindWindowByName(std::wstring_view name) {
  for (Window* w : g_windows) {
    if (w->Name() == name && !w->Destroying()) return w;
  }
  return nullptr;
}

Window* WindowOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  HWND top = GetAncestor(hwnd, GA_ROOT);
  for (Window* w : g_windows) {
    if (w->Handle() == top) return w;
  }
  return nullptr;
}

bool ForwardToWindow(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      break;
    default:
      return false;
  }
  // A control's own colour request goes to its parent; only those of its children are passed on.
  HWND top = GetAncestor(container, GA_ROOT);
  if (!top || top == container) return false;
  result = SendMessageW(top, msg, wp, lp);
  return true;
}

// ---- Window ---------------------------------------------------------------------------------------

Window::Window(const WindowSpec& spec) : spec_(spec) {}

Window::~Window() = default;

HWND Window::Control(std::wstring_view name) const {
  const int i = FindControl(spec_.desc, name);
  return i >= 0 && i < static_cast<int>(controls_.size()) ? controls_[i] : nullptr;
}

int Window::IndexOf(HWND control) const {
  const auto it = indexOf_.find(control);
  return it == indexOf_.end() ? -1 : it->second;
}

HWND Window::ControlAt(int index) const {
  return index >= 0 && index < static_cast<int>(controls_.size()) ? controls_[index] : nullptr;
}

std::wstring Window::Text(std::wstring_view name) const {
  HWND h = Control(name);
  if (!h) return {};
  const int length = GetWindowTextLengthW(h);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(h, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void Window::SetText(std::wstring_view name, std::wstring_view text) {
  if (HWND h = Control(name)) SetWindowTextW(h, std::wstring(text).c_str());
}

bool Window::Checked(std::wstring_view name) const {
  HWND h = Control(name);
  return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::SetChecked(std::wstring_view name, bool checked) {
  const int i = FindControl(spec_.desc, name);
  if (i < 0) return;
  if (checked) {
    CheckRadio(i);
  } else if (HWND h = ControlAt(i)) {
    SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

int Window::AddItem(std::wstring_view list, std::wstring_view text, std::intptr_t data) {
  HWND h = Control(list);
  if (!h) return -1;
  const std::wstring item(text);
  const LRESULT at = SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  if (at == LB_ERR || at == LB_ERRSPACE) return -1;
  SendMessageW(h, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(data));
  return static_cast<int>(at);
}

std::wstring Window::ItemText(std::wstring_view list, int index) const {
  HWND h = Control(list);
  if (!h || index < 0 || index >= ItemCount(list)) return {};
  const LRESULT length = SendMessageW(h, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendMessageW(h, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

int Window::ItemCount(std::wstring_view list) const {
  HWND h = Control(list);
  return h ? static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0)) : 0;
}

bool Window::DeleteItem(std::wstring_view list, int index) {
  HWND h = Control(list);
  return h && SendMessageW(h, LB_DELETESTRING, static_cast<WPARAM>(index), 0) != LB_ERR;
}

void Window::ClearItems(std::wstring_view list) {
  if (HWND h = Control(list)) SendMessageW(h, LB_RESETCONTENT, 0, 0);
}

int Window::Selection(std::wstring_view list) const {
  HWND h = Control(list);
  if (!h) return -1;
  const LRESULT sel = SendMessageW(h, LB_GETCURSEL, 0, 0);
  return sel == LB_ERR ? -1 : static_cast<int>(sel);
}

void Window::SetSelection(std::wstring_view list, int index) {
  if (HWND h = Control(list)) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Window::Close() {
  PostMessageW(hwnd_, kCloseLater, 0, 0);
}

HBRUSH Window::Brush(Colour colour) {
  if (colour == kSystemFace) return GetSysColorBrush(COLOR_BTNFACE);
  auto it = brushes_.find(colour);
  if (it == brushes_.end()) {
    it = brushes_.emplace(colour, OwnedBrush(CreateSolidBrush(static_cast<COLORREF>(colour)))).first;
  }
  return it->second.Get();
}

std::vector<ControlState> Window::States() const {
  std::vector<ControlState> states(controls_.size());
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    states[i].visible = controls_[i] && ShownInWindow(controls_[i], hwnd_);
    states[i].enabled = controls_[i] && IsWindowEnabled(controls_[i]);
  }
  return states;
}

void Window::FocusControl(int index) {
  if (HWND h = ControlAt(index)) {
    SetFocus(h);
    lastFocus_ = h;
  }
}

void Window::FocusByRules() {
  const std::vector<ControlState> states = States();
  const int remembered = IndexOf(lastFocus_);
  if (remembered >= 0 && IsWindow(lastFocus_) && states[remembered].visible && states[remembered].enabled) {
    SetFocus(lastFocus_);
    return;
  }
  const int first = FirstFocus(spec_.desc, states);
  if (first >= 0) FocusControl(first);
}

void Window::Raise(int control, Event event, std::intptr_t a, std::intptr_t b) {
  if (building_) return;  // no event is delivered while a window is being built
  const std::wstring_view name = control >= 0 ? spec_.desc.controls[control].name : std::wstring_view{};
  for (const HandlerBinding& binding : spec_.handlers) {
    if (binding.control == name && binding.event == event && binding.handler) {
      binding.handler(*this, a, b);
      return;
    }
  }
}

void Window::CheckRadio(int index) {
  HWND h = ControlAt(index);
  if (!h) return;
  SendMessageW(h, BM_SETCHECK, BST_CHECKED, 0);
  for (int other : RadioGroupOthers(spec_.desc, index)) {
    if (HWND o = ControlAt(other)) SendMessageW(o, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

bool Window::CreateControl(int index) {
  const ControlDesc& c = spec_.desc.controls[index];
  HWND parent = hwnd_;
  if (!c.parent.empty()) {
    parent = Control(c.parent);
    if (!parent) return false;
  }
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const wchar_t* cls = L"BUTTON";
  if (HasTabStop(c)) style |= WS_TABSTOP;
  if (c.disabled) style |= WS_DISABLED;
  switch (c.kind) {
    case Kind::Button:
      style |= BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
      break;
    case Kind::RadioBox:
      style |= BS_RADIOBUTTON | BS_MULTILINE | BS_VCENTER;
      style |= c.hAlign == Align::Centre ? BS_CENTER : c.hAlign == Align::Far ? BS_RIGHT : BS_LEFT;
      break;
    case Kind::GroupBox:
      style |= BS_GROUPBOX | WS_CLIPCHILDREN;
      break;
    case Kind::Label:
      cls = kLabelClass;
      break;
    case Kind::EditBox:
      cls = L"EDIT";
      exStyle |= WS_EX_CLIENTEDGE;
      style |= c.hAlign == Align::Centre ? ES_CENTER : c.hAlign == Align::Far ? ES_RIGHT : ES_LEFT;
      style |= c.multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN : ES_AUTOHSCROLL;
      if (c.readOnly) style |= ES_READONLY;
      if (c.vScroll) style |= WS_VSCROLL;
      break;
    case Kind::ListBox:
      cls = L"LISTBOX";
      exStyle |= WS_EX_CLIENTEDGE;
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
      break;
    case Kind::TabControl:
      cls = kTabControlClass;
      style |= WS_CLIPCHILDREN;
      break;
  }
  HWND h = CreateWindowExW(exStyle, cls, std::wstring(c.caption).c_str(), style, c.rect.left, c.rect.top,
                           c.rect.width, c.rect.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + index)), g_instance,
                           const_cast<ControlDesc*>(&c));
  if (!h) return false;
  controls_[index] = h;
  indexOf_[h] = index;

  const ATOM atom = GlobalAddAtomW(std::wstring(c.name).c_str());
  if (atom) {
    nameAtoms_.push_back(atom);
    SetPropW(h, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
  }
  if (c.page >= 0) SetPropW(h, kPageProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(c.page + 1)));

  HFONT font = GuiFont();
  if (c.font) {
    const FontDesc& f = *c.font;
    HFONT own = CreateFontW(f.height, f.width, 0, 0, f.weight, f.italic, f.underline, f.strikeOut,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                            DEFAULT_PITCH, std::wstring(f.face).c_str());
    if (own) {
      fonts_.emplace_back(own);
      font = own;
    }
  }
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  if (c.kind == Kind::RadioBox && c.checked) CheckRadio(index);
  if (c.kind == Kind::EditBox) SendMessageW(h, EM_SETLIMITTEXT, 0, 0);  // the system's limit
  if (c.kind == Kind::ListBox && c.rowSpacing != 0) {
    const LRESULT height = SendMessageW(h, LB_GETITEMHEIGHT, 0, 0);
    if (height != LB_ERR) SendMessageW(h, LB_SETITEMHEIGHT, 0, height + c.rowSpacing);
  }
  if (c.kind == Kind::GroupBox) {
    SetPropW(h, L"Velmora.Proc", reinterpret_cast<HANDLE>(GetWindowLongPtrW(h, GWLP_WNDPROC)));
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ContainerProc));
  }
  return true;
}

bool Window::Build(HWND owner) {
  const WindowDesc& d = spec_.desc;
  // Step 3: hidden, centred on the primary screen.
  const Point at = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), d.rect.width,
                                 d.rect.height);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD exStyle = owner ? 0 : WS_EX_APPWINDOW;
  hwnd_ = CreateWindowExW(exStyle, kWindowClass, d.title.c_str(), style, at.x, at.y, d.rect.width,
                          d.rect.height, owner, nullptr, g_instance, this);
  if (!hwnd_) return false;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  const ATOM atom = GlobalAddAtomW(std::wstring(d.name).c_str());
  if (atom) {
    nameAtoms_.push_back(atom);
    SetPropW(hwnd_, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
  }

  // Step 4: every control hidden, parents before their children.
  controls_.assign(d.controls.size(), nullptr);
  for (int i : CreationOrder(d)) {
    if (!CreateControl(i)) return false;
  }

  // Step 5: among siblings, earlier in control order lies on top.
  std::map<std::wstring_view, HWND> previous;
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    const auto it = previous.find(d.controls[i].parent);
    SetWindowPos(controls_[i], it == previous.end() ? HWND_TOP : it->second, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous[d.controls[i].parent] = controls_[i];
  }

  // Step 6: show what is visible; inside a tab control only the first page is shown.
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    const ControlDesc& c = d.controls[i];
    const int p = FindControl(d, c.parent);
    const bool onHiddenPage = p >= 0 && d.controls[p].kind == Kind::TabControl && c.page != 0;
    if (c.visible && !onHiddenPage) ShowWindow(controls_[i], SW_SHOWNA);
  }
  building_ = false;  // step 7
  return true;
}

bool OpenWindow(const WindowSpec& spec, Window* parent, bool modal) {
  if (Window* open = FindWindowByName(spec.desc.name)) {
    if (IsIconic(open->Handle())) {
      ShowWindow(open->Handle(), SW_RESTORE);
    } else {
      SetForegroundWindow(open->Handle());
      SetActiveWindow(open->Handle());
    }
    return true;
  }
  if (parent && (!IsWindow(parent->Handle()) || parent->Destroying())) return false;
  if (!Validate(spec.desc).empty()) return false;

  HWND owner = modal ? g_owner.Get() : parent ? parent->Handle() : nullptr;
  auto window = std::make_unique<Window>(spec);
  Window* w = window.get();
  g_windows.push_back(window.release());  // from here the window's WM_NCDESTROY owns it
  if (!w->Build(owner)) {
    if (IsWindow(w->Handle())) {
      DestroyWindow(w->Handle());
    } else {
      std::erase(g_windows, w);
      delete w;
    }
    return false;
  }

  std::vector<HWND> disabled;
  if (modal) {
    for (Window* other : g_windows) {
      if (other != w && IsWindowEnabled(other->Handle())) {
        EnableWindow(other->Handle(), FALSE);
        disabled.push_back(other->Handle());
      }
    }
  }
  // Step 8: show and activate; WM_ACTIVATE places the focus by the focus rules.
  const HWND hwnd = w->Handle();
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  if (!modal) return true;

  MSG msg;
  while (IsWindow(hwnd)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!HandleKey(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  for (HWND h : disabled) {
    if (IsWindow(h)) EnableWindow(h, TRUE);
  }
  return true;
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    std::erase(g_windows, self);
    delete self;
    if (g_windows.empty() && g_loopRunning) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->OnMessage(msg, wp, lp);
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd_, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, Brush(spec_.desc.backColour));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return OnColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg, wp, lp);
    case WM_COMMAND:
      if (lp) OnCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wp) != WA_INACTIVE);
      return 0;
    case WM_SETFOCUS:
      FocusByRules();
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case kCloseLater:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Window::OnColour(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp) {
  const int i = IndexOf(control);
  if (i < 0 || msg == WM_CTLCOLORBTN) return DefWindowProcW(hwnd_, msg, wp, lp);
  const ControlDesc& c = spec_.desc.controls[i];
  const Colour back = BackColour(c);
  SetTextColor(dc, ToColorRef(TextColour(c)));
  SetBkColor(dc, ToColorRef(back));
  return reinterpret_cast<LRESULT>(Brush(back));
}

void Window::OnCommand(HWND control, int code) {
  const int i = IndexOf(control);
  if (i < 0 || building_ || code != BN_CLICKED) return;
  const ControlDesc& c = spec_.desc.controls[i];
  if (c.kind == Kind::RadioBox) {
    if (SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED) CheckRadio(i);
  }
  if (c.kind == Kind::Button || c.kind == Kind::RadioBox) Raise(i, Event::Clicked);
}

void Window::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  if (!IsIconic(hwnd_)) FocusByRules();
}

void Window::OnDestroy() {
  destroying_ = true;
  Raise(-1, Event::Destroying);  // the controls still hold their contents
  for (HWND h : controls_) {
    if (h) {
      RemovePropW(h, kNameProperty);
      RemovePropW(h, kPageProperty);
    }
  }
  RemovePropW(hwnd_, kNameProperty);
  for (ATOM a : nameAtoms_) GlobalDeleteAtom(a);
  nameAtoms_.clear();
}

// ---- keys and the message loop --------------------------------------------------------------------

bool HandleKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
  Window* w = WindowOf(msg.hwnd);
  if (!w || w->Destroying()) return false;
  if (msg.message == WM_CHAR) {
    // Characters of keys the window handles never reach a control.
    return msg.wParam == L'\t' || msg.wParam == 27;
  }
  const Key key = KeyOf(msg.wParam);
  if (key == Key::Other) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (key == Key::Tab && GetKeyState(VK_CONTROL) < 0) return true;
  const int focused = w->IndexOf(GetFocus());
  const KeyAction action = ActionForKey(w->Description(), focused, key, shift);
  switch (action) {
    case KeyAction::PassThrough:
      return false;
    case KeyAction::Swallow:
      return true;
    case KeyAction::FocusNext:
    case KeyAction::FocusPrevious: {
      const std::vector<int> cycle = TabCycle(w->Description(), w->States());
      const int next = StepInCycle(cycle, focused, action == KeyAction::FocusNext);
      if (next >= 0) w->FocusControl(next);
      return true;
    }
    case KeyAction::RadioNext:
    case KeyAction::RadioPrevious: {
      const int next =
          StepInRadioGroup(w->Description(), w->States(), focused, action == KeyAction::RadioNext);
      if (next >= 0) {
        w->FocusControl(next);
        w->SetChecked(w->Description().controls[next].name, true);
        w->Raise(next, Event::Clicked);
      }
      return true;
    }
    case KeyAction::Close:
      PostMessageW(w->Handle(), WM_CLOSE, 0, 0);
      return true;
  }
  return false;
}

int RunMessageLoop() {
  if (g_windows.empty()) return 0;
  g_loopRunning = true;
  MSG msg;
  int code = 0;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(msg.wParam);
      break;
    }
    if (got < 0) {
      code = -1;
      break;
    }
    if (!HandleKey(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  g_loopRunning = false;
  return code;
}

}  // namespace velmora
