// The window builder: turns a WindowDesc into a live Win32 window, routes events to bound handlers,
// applies the focus rules and keys, and ends the program when its last window is gone.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/focus.h"
#include "app/model.h"
#include "app/win_raii.h"

namespace velmora {

class Window;

// A handler gets the event's arguments as plain integers.
using Handler = std::function<void(Window&, std::intptr_t, std::intptr_t)>;

struct HandlerBinding {
  std::wstring_view control;  // empty: the window itself
  Event event = Event::Clicked;
  Handler handler;
};

// A window as the program knows it: its description and the handlers bound to it.
struct WindowSpec {
  WindowDesc desc;
  std::vector<HandlerBinding> handlers;
};

// Window classes of the program's own controls.
inline constexpr wchar_t kLabelClass[] = L"VelmoraLabel";
inline constexpr wchar_t kTabControlClass[] = L"VelmoraTabControl";

// Window properties through which a control's name (a global atom) and page can be read, also from
// another process (the test inspector reads names this way).
inline constexpr wchar_t kNameProperty[] = L"Velmora.Name";
inline constexpr wchar_t kPageProperty[] = L"Velmora.Page";

// Per-window state of a window's handlers, made on first use and destroyed with the window.
struct WindowState {
  virtual ~WindowState() = default;
};

class Window {
 public:
  Window(const WindowSpec& spec);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_; }
  const WindowDesc& Description() const { return spec_.desc; }
  std::wstring_view Name() const { return spec_.desc.name; }
  bool Destroying() const { return destroying_; }

  // Controls are found by name; nullptr when the window has none of that name.
  HWND Control(std::wstring_view name) const;
  int IndexOf(HWND control) const;  // -1 when not a control of this window
  HWND ControlAt(int index) const;

  std::wstring Text(std::wstring_view name) const;
  void SetText(std::wstring_view name, std::wstring_view text);
  bool Checked(std::wstring_view name) const;
  void SetChecked(std::wstring_view name, bool checked);

  // List boxes.
  int AddItem(std::wstring_view list, std::wstring_view text, std::intptr_t data = 0);
  std::wstring ItemText(std::wstring_view list, int index) const;
  int ItemCount(std::wstring_view list) const;
  bool DeleteItem(std::wstring_view list, int index);
  void ClearItems(std::wstring_view list);
  int Selection(std::wstring_view list) const;
  void SetSelection(std::wstring_view list, int index);

  template <class T>
  T& State() {
    if (!dynamic_cast<T*>(state_.get())) state_ = std::make_unique<T>();
    return static_cast<T&>(*state_);
  }

  // Closes the window once the current handler has returned.
  void Close();

  // Focus rules.
  std::vector<ControlState> States() const;
  void FocusControl(int index);
  void FocusByRules();
  void Raise(int control, Event event, std::intptr_t a = 0, std::intptr_t b = 0);

  // Colours for the controls' backgrounds: one brush per colour, owned by the window.
  HBRUSH Brush(Colour colour);

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend bool OpenWindow(const WindowSpec& spec, Window* parent, bool modal);
  friend bool HandleKey(MSG& msg);

  bool Build(HWND owner);
  bool CreateControl(int index);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnColour(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(HWND control, int code);
  void OnActivate(bool active);
  void OnDestroy();
  void CheckRadio(int index);

  const WindowSpec& spec_;
  HWND hwnd_ = nullptr;
  bool building_ = true;
  bool destroying_ = false;
  std::vector<HWND> controls_;
  std::unordered_map<HWND, int> indexOf_;
  std::vector<ATOM> nameAtoms_;
  std::vector<OwnedFont> fonts_;
  std::map<Colour, OwnedBrush> brushes_;
  HWND lastFocus_ = nullptr;
  std::unique_ptr<WindowState> state_;
};

// Registers the builder's window classes and creates the invisible owner window.
bool InitialiseBuilder(HINSTANCE instance);
HINSTANCE ProgramInstance();

// Opens a window: only restores or activates it when it is already open. False when a parent is given
// that is not open or the window cannot be built. Modal: returns once the window is closed.
bool OpenWindow(const WindowSpec& spec, Window* parent = nullptr, bool modal = false);

// The open window of that name (not being destroyed), or nullptr.
Window* FindWindowByName(std::wstring_view name);
// The program's window that holds `hwnd` (a window or one of its controls), or nullptr.
Window* WindowOf(HWND hwnd);

// The keys of the focus rules; true when the message was taken.
bool HandleKey(MSG& msg);

// Runs the message loop until the last window of the program is gone; returns the exit code.
int RunMessageLoop();

// Sends the messages a container (group box, tab control) gets from its children on to the window.
bool ForwardToWindow(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// The window catalogue, filled at start-up.
void AddWindowSpec(WindowSpec spec);
const WindowSpec* FindWindowSpec(std::wstring_view name);

}  // namespace velmora
