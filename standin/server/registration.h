// The stand-in's registration as the local server of "Word.Application", machine-wide under
// HKLM\Software\Classes (wine does not merge per-user classes into HKCR).
#pragma once

#include <windows.h>

namespace standin {

// The stand-in's own class id: {86C959B5-7C91-47D0-BED0-741750A499C6}.
inline constexpr CLSID kClsid = {
    0x86c959b5, 0x7c91, 0x47d0, {0xbe, 0xd0, 0x74, 0x17, 0x50, 0xa4, 0x99, 0xc6}};
inline constexpr wchar_t kClsidText[] = L"{86C959B5-7C91-47D0-BED0-741750A499C6}";
inline constexpr wchar_t kProgId[] = L"Word.Application";

// ProgID -> CLSID, CLSID -> LocalServer32 (this .exe, quoted) and ProgID.
HRESULT RegisterServer();
// Removes the class, and the ProgID when it names this class.
HRESULT UnregisterServer();

}  // namespace standin
