// The test inspector: reads the program's windows back through Win32 from another process.
// One command a line on standard input (UTF-8), one JSON line a command on standard output:
//   windows                         the program's top-level windows
//   dump WINDOW                     a window, its controls and its focused control
//   settext WINDOW CONTROL TEXT     WM_SETTEXT; "\r", "\n" and "\\" in TEXT are escapes
//   select WINDOW CONTROL INDEX     LB_SETCURSEL
//   dialogs                         visible system dialogs (message boxes, the file dialog): title, texts
//   quit
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kNameProperty[] = L"Velmora.Name";

std::string Utf8(std::wstring_view w) {
  if (w.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring Wide(std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Json(std::wstring_view w) {
  std::string out = "\"";
  for (unsigned char c : Utf8(w)) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::wstring NameOf(HWND h) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, kNameProperty)));
  if (!atom) return {};
  wchar_t buf[256] = {};
  const UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return std::wstring(buf, n);
}

std::wstring TextOf(HWND h) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      2000, &got);
  text.resize(got);
  return text;
}

std::wstring ClassOf(HWND h) {
  wchar_t buf[128] = {};
  GetClassNameW(h, buf, 128);
  return buf;
}

std::string RectJson(const RECT& r) {
  std::ostringstream o;
  o << "[" << r.left << "," << r.top << "," << (r.right - r.left) << "," << (r.bottom - r.top) << "]";
  return o.str();
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        if (!NameOf(h).empty() && !GetParent(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindTop(const std::wstring& name) {
  for (HWND h : TopWindows()) {
    if (NameOf(h) == name) return h;
  }
  return nullptr;
}

HWND FindControl(HWND top, const std::wstring& name) {
  struct Search {
    std::wstring name;
    HWND found = nullptr;
  } search{name};
  EnumChildWindows(
      top,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (NameOf(h) == s->name) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowJson(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  std::ostringstream o;
  o << "{\"name\":" << Json(NameOf(h)) << ",\"title\":" << Json(TextOf(h)) << ",\"rect\":" << RectJson(r)
    << ",\"client\":[" << origin.x << "," << origin.y << "]"
    << ",\"visible\":" << (IsWindowVisible(h) ? "true" : "false")
    << ",\"iconic\":" << (IsIconic(h) ? "true" : "false")
    << ",\"enabled\":" << (IsWindowEnabled(h) ? "true" : "false")
    << ",\"foreground\":" << (GetForegroundWindow() == h ? "true" : "false")
    << ",\"hwnd\":" << reinterpret_cast<UINT_PTR>(h) << "}";
  return o.str();
}

std::string ControlJson(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  const std::wstring cls = ClassOf(h);
  std::ostringstream o;
  o << "{\"name\":" << Json(NameOf(h)) << ",\"class\":" << Json(cls) << ",\"rect\":" << RectJson(r)
    << ",\"visible\":" << (IsWindowVisible(h) ? "true" : "false")
    << ",\"enabled\":" << (IsWindowEnabled(h) ? "true" : "false") << ",\"text\":" << Json(TextOf(h))
    << ",\"style\":" << static_cast<unsigned long>(GetWindowLongPtrW(h, GWL_STYLE));
  if (_wcsicmp(cls.c_str(), L"Button") == 0) {
    o << ",\"checked\":" << (SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? "true" : "false");
  }
  if (_wcsicmp(cls.c_str(), L"ListBox") == 0) {
    const int count = static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0));
    o << ",\"selection\":" << static_cast<int>(SendMessageW(h, LB_GETCURSEL, 0, 0))
      << ",\"itemHeight\":" << static_cast<int>(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0)) << ",\"items\":[";
    for (int i = 0; i < count; ++i) {
      const int n = static_cast<int>(SendMessageW(h, LB_GETTEXTLEN, i, 0));
      std::wstring item(static_cast<std::size_t>(n) + 1, L'\0');
      SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      item.resize(static_cast<std::size_t>(n));
      o << (i ? "," : "") << Json(item);
    }
    o << "]";
  }
  o << "}";
  return o.str();
}

std::string Dump(HWND top) {
  GUITHREADINFO info{sizeof(info)};
  std::wstring focus;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) && info.hwndFocus &&
      (info.hwndFocus == top || IsChild(top, info.hwndFocus))) {
    focus = NameOf(info.hwndFocus);
  }
  std::vector<HWND> controls;
  EnumChildWindows(
      top,
      [](HWND h, LPARAM lp) -> BOOL {
        if (!NameOf(h).empty()) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&controls));
  std::string out = WindowJson(top);
  out.pop_back();
  out += ",\"focus\":" + Json(focus) + ",\"controls\":[";
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (i) out += ",";
    out += ControlJson(controls[i]);
  }
  return out + "]}";
}

std::wstring Unescape(const std::wstring& s) {
  std::wstring out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'\\' && i + 1 < s.size()) {
      const wchar_t c = s[++i];
      out.push_back(c == L'r' ? L'\r' : c == L'n' ? L'\n' : c == L't' ? L'\t' : c);
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// Visible top-level dialogs (class #32770) with the texts of their children.
std::string Dialogs() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        if (IsWindowVisible(h) && ClassOf(h) == L"#32770")
          reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  std::string out = "[";
  for (std::size_t i = 0; i < found.size(); ++i) {
    std::vector<HWND> children;
    EnumChildWindows(
        found[i],
        [](HWND h, LPARAM lp) -> BOOL {
          reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    out += i ? ",{" : "{";
    out += "\"title\":";
    out += Json(TextOf(found[i]));
    out += ",\"texts\":[";
    bool first = true;
    for (HWND c : children) {
      const std::wstring t = TextOf(c);
      if (t.empty()) continue;
      if (!first) out += ",";
      out += Json(t);
      first = false;
    }
    out += "]}";
  }
  return out + "]";
}

std::string Error(const char* what) {
  return std::string("{\"error\":\"") + what + "\"}";
}

std::string Run(const std::wstring& line) {
  std::wistringstream in(line);
  std::wstring verb, window, control;
  in >> verb;
  if (verb == L"windows") {
    std::string out = "[";
    bool first = true;
    for (HWND h : TopWindows()) {
      if (!first) out += ",";
      out += WindowJson(h);
      first = false;
    }
    return out + "]";
  }
  if (verb == L"dialogs") return Dialogs();
  in >> window;
  HWND top = FindTop(window);
  if (verb == L"dump") return top ? Dump(top) : "null";
  if (!top) return Error("no such window");
  in >> control;
  HWND h = FindControl(top, control);
  if (!h) return Error("no such control");
  if (verb == L"settext") {
    std::wstring rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == L' ') rest.erase(0, 1);
    const std::wstring text = Unescape(rest);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
    return "{\"ok\":true}";
  }
  if (verb == L"select") {
    int index = -1;
    in >> index;
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 5000, &r);
    return "{\"ok\":true}";
  }
  return Error("unknown command");
}

}  // namespace

int wmain() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "quit") break;
    const std::string reply = Run(Wide(line));
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}
