#include "windows/file_dialog.h"

#include <commdlg.h>

#include "windows/document_list.h"

namespace velmora {

namespace {

// Room for hundreds of long paths picked at once: half a million characters.
constexpr DWORD kResultChars = 1u << 19;

// The folder of a full path; a drive's root keeps its backslash.
std::wstring FolderOf(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring_view::npos) return {};
  if (slash == 2 && path[1] == L':') return std::wstring(path.substr(0, 3));
  return std::wstring(path.substr(0, slash));
}

std::wstring& LastFolder() {
  static std::wstring folder;
  return folder;
}

}  // namespace

std::vector<std::wstring> PickFiles(HWND owner, std::wstring_view title, std::wstring_view filter) {
  std::vector<wchar_t> result(kResultChars, L'\0');
  const std::wstring filterText = DialogFilter(filter);
  const std::wstring titleText(title);
  const std::wstring startFolder = LastFolder();

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filterText.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = result.data();
  ofn.nMaxFile = kResultChars;
  ofn.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
  ofn.lpstrTitle = titleText.c_str();
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return {};

  std::vector<std::wstring> paths = PathsFromDialog(std::wstring_view(result.data(), result.size()));
  if (!paths.empty()) LastFolder() = FolderOf(paths.front());
  return paths;
}

}  // namespace velmora
