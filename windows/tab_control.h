// The tab control kind: a container whose pages share its client area, with the tab strip on the right
// edge drawn by the program. Each child belongs to one page (window property kPageProperty = page + 1);
// a click on a tab hides the current page's children and shows the new page's.
#pragma once

#include <windows.h>

namespace velmora {

// Registers the window class kTabControlClass; the program calls it once at start-up, after the builder
// is initialised. False when the class cannot be registered.
bool RegisterTabControl(HINSTANCE instance);

// The page shown by tab control `tabs` (0 at start), or -1 when `tabs` is no tab control.
int CurrentPage(HWND tabs);

// Shows page `page` as a click on its tab does. False when there is no such page.
bool SwitchPage(HWND tabs, int page);

}  // namespace velmora
