#include "windows/per_document_window.h"

#include <algorithm>
#include <span>
#include <utility>

#include "replace/texts.h"
#include "windows/shared_controls.h"

namespace velmora {

namespace {

constexpr std::wstring_view kTabPages[] = {L"文件列表", L"文档一", L"文档二",
                                           L"文档三",   L"文档四", L"文档五"};

constexpr Rect kReplaceBoxRect{8, 8, 393, 360};

ControlDesc PageButton(std::wstring_view name, int page, int left, std::wstring_view caption) {
  return {.name = name,
          .parent = kPerDocumentTabs,
          .page = page,
          .rect = {left, 374, 60, 20},
          .caption = caption,
          .clicked = true};
}
ControlDesc OpenButton(int k) {
  return PageButton(kDocumentPageControls[k].openButton, k + 1, 275, L"打开");
}
ControlDesc ClearButton(int k) {
  return PageButton(kDocumentPageControls[k].clearButton, k + 1, 341, L"清空");
}
ControlDesc ReplaceBox(int k) {
  return BigTextBox(kDocumentPageControls[k].replaceBox, kPerDocumentTabs, k + 1, kReplaceBoxRect);
}
ControlDesc NameBox(int k) {
  return {.name = kDocumentPageControls[k].nameBox,
          .kind = Kind::EditBox,
          .parent = kPerDocumentTabs,
          .page = k + 1,
          .rect = {79, 374, 190, 20},
          .textColour = kTextBlue,
          .backColour = kYellow,
          .readOnly = true};
}
ControlDesc PageLabel(int k, std::wstring_view caption) {
  return {.name = kDocumentPageControls[k].label,
          .kind = Kind::Label,
          .parent = kPerDocumentTabs,
          .page = k + 1,
          .rect = {8, 374, 65, 20},
          .caption = caption,
          .textColour = kYellow,
          .backColour = kBlue};
}
ControlDesc FileListButton(std::wstring_view name, Rect rect, std::wstring_view caption) {
  return {
      .name = name, .parent = kPerDocumentTabs, .page = 0, .rect = rect, .caption = caption, .clicked = true};
}

}  // namespace

WindowDesc PerDocumentWindowDesc() {
  return WindowDesc{
      .name = L"窗口_分别替换",
      .title = WindowTitle(),
      .rect = {50, 50, 846, 479},
      .destroying = true,
      .controls =
          {
              OpenButton(4),
              OpenButton(3),
              OpenButton(2),
              OpenButton(1),
              OpenButton(0),
              ReplaceBox(4),
              ReplaceBox(3),
              ReplaceBox(2),
              ReplaceBox(1),
              ReplaceBox(0),
              BigTextBox(kPerDocumentFindBox, L"分组框1", -1, {7, 15, 365, 360}),
              ClearButton(4),
              NameBox(4),
              PageLabel(4, L"文档五名称："),
              ClearButton(3),
              NameBox(3),
              PageLabel(3, L"文档四名称："),
              ClearButton(2),
              NameBox(2),
              PageLabel(2, L"文档三名称："),
              ClearButton(1),
              NameBox(1),
              PageLabel(1, L"文档二名称："),
              NameBox(0),
              PageLabel(0, L"文档一名称："),
              ClearButton(0),
              {.name = L"按钮2", .rect = {720, 424, 112, 20}, .caption = L"全部清空", .clicked = true},
              {.name = L"按钮1", .rect = {400, 424, 312, 20}, .caption = L"开始替换", .clicked = true},
              RedNote(L"标签1", {8, 424, 376, 20},
                      L"注意：添加 被替换内容 的顺序 和，添加 替换文本 的顺序必须一致！"),
              FileList(kPerDocumentFileList, kPerDocumentTabs, 0, {8, 8, 393, 360}),
              FileListButton(L"按钮4", {8, 375, 201, 20}, L"1、添加WORD文件"),
              FileListButton(L"按钮6", {216, 375, 89, 20}, L"删除选中"),
              FileListButton(L"按钮5", {312, 375, 89, 20}, L"清空列表"),
              {.name = kPerDocumentTabs,
               .kind = Kind::TabControl,
               .rect = {399, 14, 432, 402},
               .pages = kTabPages},
              {.name = L"分组框1",
               .kind = Kind::GroupBox,
               .rect = {8, 8, 380, 408},
               .caption = L"2、添加被替换文本",
               .textColour = kYellow,
               .backColour = kBlue},
              {.name = L"按钮8",
               .parent = L"分组框1",
               .rect = {301, 382, 70, 20},
               .caption = L"清空",
               .clicked = true},
          },
  };
}

std::array<std::wstring, kDocumentPages> TextsAfterRemoval(
    const std::array<std::wstring, kDocumentPages>& texts, int removed) {
  std::array<std::wstring, kDocumentPages> out = texts;
  if (removed < 0 || removed >= static_cast<int>(kDocumentPages)) return out;
  for (std::size_t k = static_cast<std::size_t>(removed); k + 1 < kDocumentPages; ++k) out[k] = texts[k + 1];
  out[kDocumentPages - 1].clear();
  return out;
}

std::array<std::wstring, kDocumentPages> NameBoxTexts(const std::vector<std::wstring>& listed) {
  std::array<std::wstring, kDocumentPages> out;
  for (std::size_t k = 0; k < kDocumentPages && k < listed.size(); ++k) out[k] = listed[k];
  return out;
}

RunInput PerDocumentRunInput(std::vector<std::wstring> listed, std::wstring findBox,
                             const std::array<std::wstring, kDocumentPages>& nameBoxes,
                             const std::array<std::wstring, kDocumentPages>& replaceBoxes) {
  RunInput input;
  input.mode = Mode::kPerDocument;
  input.documents = std::move(listed);
  input.findBox = std::move(findBox);
  for (std::size_t k = 0; k < kDocumentPages; ++k) input.pages[k] = {nameBoxes[k], replaceBoxes[k]};
  return input;
}

bool AnyPageText(const std::array<std::wstring, kDocumentPages>& texts) {
  return std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) { return !t.empty(); });
}

}  // namespace velmora
