// 窗口_相同替换: the main window of mode one, where every listed document gets the same replacements.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/model.h"
#include "replace/run_input.h"

namespace velmora {

namespace same_text {
inline constexpr std::wstring_view kFileList = L"列表框_文件列表";
inline constexpr std::wstring_view kFindBox = L"编辑框_被替换内容";
inline constexpr std::wstring_view kReplaceBox = L"编辑框_替换内容";
inline constexpr std::wstring_view kStart = L"按钮1";
inline constexpr std::wstring_view kAddFiles = L"按钮4";
inline constexpr std::wstring_view kClearList = L"按钮5";
inline constexpr std::wstring_view kDeleteSelected = L"按钮6";
inline constexpr std::wstring_view kClearFind = L"按钮8";
inline constexpr std::wstring_view kClearReplace = L"按钮10";
inline constexpr std::wstring_view kClearAll = L"按钮11";
}  // namespace same_text

WindowDesc SameTextWindowDesc();

// The run input of mode one: the listed documents in list order and both boxes exactly as they hold them.
RunInput SameTextRunInput(std::vector<std::wstring> documents, std::wstring findBox, std::wstring replaceBox);

// The item to select after the item at `deleted` was removed from a list that now holds `remaining`
// items: the one that took its place, else the new last one; -1 when the list is empty.
int SelectionAfterDelete(int deleted, int remaining);

}  // namespace velmora
