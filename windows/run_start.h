// Where a main window's start button hands its input to the replacement run.
#pragma once

#include <optional>

#include "app/builder.h"
#include "replace/run_input.h"

namespace velmora {

// What a main window keeps of its run. A window whose handlers keep more derives its state from this.
struct RunWindowState : WindowState {
  std::optional<RunInput> input;  // the input last handed over
};

// Hands `input` to the replacement run of `window`. The run itself is not built yet: the input is kept
// with the window until the window is destroyed or the next input replaces it.
void StartRun(Window& window, RunInput input);

// Drops what the window keeps of its run; its about-to-be-destroyed handler calls this.
void ForgetRun(Window& window);

}  // namespace velmora
