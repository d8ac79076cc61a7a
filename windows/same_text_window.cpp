#include "windows/same_text_window.h"

#include <utility>

#include "replace/texts.h"
#include "windows/shared_controls.h"

namespace velmora {

namespace {

// A framed region of the window: yellow title on the window's blue.
ControlDesc GroupBox(std::wstring_view name, Rect rect, std::wstring_view caption) {
  return {.name = name,
          .kind = Kind::GroupBox,
          .rect = rect,
          .caption = caption,
          .textColour = kYellow,
          .backColour = kBlue};
}

ControlDesc Inside(std::wstring_view parent, ControlDesc c) {
  c.parent = parent;
  return c;
}

}  // namespace

WindowDesc SameTextWindowDesc() {
  using namespace same_text;
  return WindowDesc{
      .name = L"窗口_相同替换",
      .title = WindowTitle(),
      .rect = {50, 50, 846, 541},
      .destroying = true,
      .controls =
          {
              BigTextBox(kReplaceBox, L"分组框2", -1, {7, 15, 365, 187}),
              BigTextBox(kFindBox, L"分组框1", -1, {7, 15, 365, 187}),
              {.name = kClearAll, .rect = {784, 440, 46, 64}, .caption = L"全部\r\n清空", .clicked = true},
              {.name = kClearReplace,
               .parent = L"分组框2",
               .rect = {302, 207, 70, 20},
               .caption = L"清空",
               .clicked = true},
              {.name = kClearFind,
               .parent = L"分组框1",
               .rect = {302, 207, 70, 20},
               .caption = L"清空",
               .clicked = true},
              {.name = kDeleteSelected,
               .parent = L"分组框3",
               .rect = {632, 230, 89, 20},
               .caption = L"删除选中",
               .clicked = true},
              Inside(L"分组框3", RedNote(L"标签1", {18, 229, 384, 20},
                                         L"注意：添加 被替换内容 的顺序 和，添加 替换文本 的顺序必须一致！")),
              {.name = kClearList,
               .parent = L"分组框3",
               .rect = {727, 230, 89, 20},
               .caption = L"清空列表",
               .clicked = true},
              {.name = kAddFiles,
               .parent = L"分组框3",
               .rect = {455, 230, 168, 20},
               .caption = L"1、添加WORD文件",
               .clicked = true},
              GroupBox(L"分组框3", {8, 8, 824, 256}, L"1、添加WORD文件列表"),
              FileList(kFileList, L"分组框3", -1, {8, 16, 808, 208}),
              GroupBox(L"分组框2", {395, 270, 380, 234}, L"3、添加替换内容（每行一处）"),
              GroupBox(L"分组框1", {8, 270, 380, 234}, L"2、添加被替换内容（每行一处）"),
              {.name = kStart,
               .rect = {784, 277, 48, 155},
               .caption = L"开\r\n\r\n始\r\n\r\n替\r\n\r\n换",
               .clicked = true},
          },
  };
}

RunInput SameTextRunInput(std::vector<std::wstring> documents, std::wstring findBox,
                          std::wstring replaceBox) {
  RunInput input;
  input.mode = Mode::kSameText;
  input.documents = std::move(documents);
  input.findBox = std::move(findBox);
  input.replaceBox = std::move(replaceBox);
  return input;
}

int SelectionAfterDelete(int deleted, int remaining) {
  if (remaining <= 0) return -1;
  return deleted < remaining ? deleted : remaining - 1;
}

}  // namespace velmora
