// 窗口_替换结果: the report of a run, one line a document, in a box that scrolls however long it is.
#pragma once

#include "app/model.h"

namespace velmora {

inline constexpr std::wstring_view kResultsWindow = L"窗口_替换结果";
inline constexpr std::wstring_view kResultsBox = L"编辑框_结果";

WindowDesc ResultsWindowDesc();

}  // namespace velmora
