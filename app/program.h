// The program's windows, as start-up prepares them.
#pragma once

#include <string_view>
#include <vector>

#include "app/builder.h"

namespace velmora {

inline constexpr std::wstring_view kSameTextWindow = L"窗口_相同替换";
inline constexpr std::wstring_view kPerDocumentWindow = L"窗口_分别替换";

WindowSpec SelectionWindowSpec();

}  // namespace velmora

namespace velmora {
// The two main windows, from windows/.
std::vector<WindowSpec> MainWindowSpecs();
// Program end: lets the runs under way finish their batch and quit their servers.
void FinishRuns();
}  // namespace velmora
