#include "windows/run_start.h"

#include <utility>

namespace velmora {

void StartRun(Window& window, RunInput input) {
  window.State<RunWindowState>().input = std::move(input);
}

void ForgetRun(Window& window) {
  window.State<RunWindowState>().input.reset();
}

}  // namespace velmora
