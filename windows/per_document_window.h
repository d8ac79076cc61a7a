// 窗口_分别替换, the window of mode two: one box of texts to be replaced, and a tab control with the file
// list and five document pages, each with its document's name box and replacement texts.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/model.h"
#include "replace/run_input.h"

namespace velmora {

inline constexpr std::wstring_view kPerDocumentTabs = L"高级选择夹1";
inline constexpr std::wstring_view kPerDocumentFileList = L"列表框_文件列表";
inline constexpr std::wstring_view kPerDocumentFindBox = L"编辑框_被替换内容";

// The controls of document page k (page index k + 1 of the tab control, k counted from 0).
struct DocumentPage {
  std::wstring_view label;
  std::wstring_view nameBox;
  std::wstring_view openButton;
  std::wstring_view clearButton;
  std::wstring_view replaceBox;
};

inline constexpr std::array<DocumentPage, kDocumentPages> kDocumentPageControls{{
    {L"标签2", L"编辑框1_路径", L"按钮3", L"按钮11", L"编辑框1_替换内容"},
    {L"标签3", L"编辑框2_路径", L"按钮7", L"按钮14", L"编辑框2_替换内容"},
    {L"标签4", L"编辑框3_路径", L"按钮9", L"按钮17", L"编辑框3_替换内容"},
    {L"标签5", L"编辑框4_路径", L"按钮10", L"按钮20", L"编辑框4_替换内容"},
    {L"标签6", L"编辑框5_路径", L"按钮12", L"按钮23", L"编辑框5_替换内容"},
}};

WindowDesc PerDocumentWindowDesc();

// The document model: list item k is the document of page k, and the page's replacement texts belong
// to that document. Removing item `removed` drops its texts and moves the later documents' texts up one
// page; the last page is left empty. Out of range: the texts as they are.
std::array<std::wstring, kDocumentPages> TextsAfterRemoval(
    const std::array<std::wstring, kDocumentPages>& texts, int removed);

// The name box of page k shows list item k, or nothing when the list is shorter.
std::array<std::wstring, kDocumentPages> NameBoxTexts(const std::vector<std::wstring>& listed);

// What the start button hands to the run: the list in list order, the texts to be replaced, and for each
// page its name box (the document's path, empty without one) and its replacement box, as the boxes hold them.
RunInput PerDocumentRunInput(std::vector<std::wstring> listed, std::wstring findBox,
                             const std::array<std::wstring, kDocumentPages>& nameBoxes,
                             const std::array<std::wstring, kDocumentPages>& replaceBoxes);

// True when any page holds replacement texts.
bool AnyPageText(const std::array<std::wstring, kDocumentPages>& texts);

}  // namespace velmora
