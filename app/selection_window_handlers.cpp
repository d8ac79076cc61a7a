// 窗口_选择方式's one handler: open the main window of the checked mode. The selection window stays
// open beside it, so the program ends when the user closes the last window they can see.
#include "app/builder.h"
#include "app/program.h"
#include "app/selection_window.h"

namespace velmora {

WindowSpec SelectionWindowSpec() {
  return WindowSpec{
      .desc = SelectionWindowDesc(),
      .handlers = {{L"按钮1", Event::Clicked,
                    [](Window& w, std::intptr_t, std::intptr_t) {
                      const std::wstring_view mode =
                          w.Checked(L"单选框1") ? kSameTextWindow : kPerDocumentWindow;
                      if (const WindowSpec* spec = FindWindowSpec(mode)) OpenWindow(*spec);
                    }}},
  };
}

}  // namespace velmora
