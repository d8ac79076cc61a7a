// Start-up and end of the program.
#include <ole2.h>
#include <windows.h>

#include <string>

#include "app/builder.h"
#include "app/program.h"
#include "app/selection_window.h"
#include "windows/tab_control.h"

namespace {

// OLE for the main thread, for as long as the program runs.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

void SetCurrentDirectoryToProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) SetCurrentDirectoryW(path.substr(0, slash).c_str());
}

bool PrepareWindows() {
  velmora::WindowSpec selection = velmora::SelectionWindowSpec();
  if (!velmora::Validate(selection.desc).empty()) return false;
  velmora::AddWindowSpec(std::move(selection));
  for (const velmora::WindowSpec& spec : velmora::MainWindowSpecs()) {
    if (!velmora::Validate(spec.desc).empty()) return false;
    velmora::AddWindowSpec(spec);
  }
  return true;
}

int StartUpFailed(const wchar_t* what) {
  MessageBoxW(nullptr, what, L"Velmora", MB_OK | MB_ICONERROR);
  return -1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  OleSession ole;  // step 1
  if (!ole.Ok()) return StartUpFailed(L"程序无法初始化 OLE，无法启动。");
  SetCurrentDirectoryToProgramFolder();                                                              // step 2
  if (!velmora::InitialiseBuilder(instance)) return StartUpFailed(L"程序无法创建窗口，无法启动。");  // step 3
  if (!velmora::RegisterTabControl(instance)) return StartUpFailed(L"程序无法创建窗口，无法启动。");
  if (!PrepareWindows()) return StartUpFailed(L"程序的窗口描述有误，无法启动。");  // step 4
  const velmora::WindowSpec* selection = velmora::FindWindowSpec(velmora::kSelectionWindow);
  if (!selection || !velmora::OpenWindow(*selection)) {  // step 5
    return StartUpFailed(L"程序无法创建选择方式窗口，无法启动。");
  }
  const int code = velmora::RunMessageLoop();  // step 6
  velmora::FinishRuns();
  return code;  // step 7
}
