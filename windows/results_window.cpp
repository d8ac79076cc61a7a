#include "windows/results_window.h"

#include "replace/texts.h"
#include "windows/shared_controls.h"

namespace velmora {

WindowDesc ResultsWindowDesc() {
  ControlDesc box = BigTextBox(kResultsBox, L"", -1, {8, 8, 578, 364});
  box.readOnly = true;
  box.vScroll = true;
  return WindowDesc{
      .name = kResultsWindow,
      .title = CompletionText(),
      .rect = {50, 50, 600, 410},
      .controls = {box},
  };
}

}  // namespace velmora
