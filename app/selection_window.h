// 窗口_选择方式: the small start window that offers the two replacement modes.
#pragma once

#include "app/model.h"

namespace velmora {

inline constexpr std::wstring_view kSelectionWindow = L"窗口_选择方式";

WindowDesc SelectionWindowDesc();

}  // namespace velmora
