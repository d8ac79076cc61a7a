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

// Checks `input` and, when it is sound, starts the replacement run of `window` on a thread of its own;
// a fault of the input is shown as a message and nothing starts. One run a window at a time.
void StartRun(Window& window, RunInput input);

// The window is closing: its run finishes the batch under way, quits its server and stops.
void ForgetRun(Window& window);

}  // namespace velmora
