// The system's multi-select file-open dialog, as both main windows use it to pick documents.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The filter of the program's document dialogs, in its "description|pattern|..." form.
inline constexpr std::wstring_view kDocumentFilter = L"word文件（*.doc）|*.doc|word文件（*.docx）|*.docx";

// Shows the dialog owned by `owner` and gives the full paths picked, in the dialog's order, or none
// when the user cancels. Only existing files in existing folders are accepted; `filter` is in its
// "description|pattern|..." form. The folder of the last pick is where the next dialog starts, for as
// long as the program runs.
std::vector<std::wstring> PickFiles(HWND owner, std::wstring_view title, std::wstring_view filter);

}  // namespace velmora
