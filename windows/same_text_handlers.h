// 窗口_相同替换 as the program opens it: its description and its eight handlers.
#pragma once

#include "app/builder.h"

namespace velmora {

WindowSpec SameTextWindowSpec();

}  // namespace velmora
