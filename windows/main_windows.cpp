// The main windows that start-up prepares beside the selection window.
#include "app/program.h"

namespace velmora {

std::vector<WindowSpec> MainWindowSpecs() {
  return {};
}

}  // namespace velmora
