// 窗口_分别替换 as the program opens it: its description and its 19 handlers.
#pragma once

#include "app/builder.h"

namespace velmora {

WindowSpec PerDocumentWindowSpec();

}  // namespace velmora
