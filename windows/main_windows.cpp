// The main windows that start-up prepares beside the selection window.
#include "app/program.h"
#include "windows/per_document_handlers.h"
#include "windows/same_text_handlers.h"

namespace velmora {

std::vector<WindowSpec> MainWindowSpecs() {
  std::vector<WindowSpec> specs;
  specs.push_back(SameTextWindowSpec());
  specs.push_back(PerDocumentWindowSpec());
  return specs;
}

}  // namespace velmora
