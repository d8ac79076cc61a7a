#include "app/selection_window.h"

namespace velmora {

WindowDesc SelectionWindowDesc() {
  return WindowDesc{
      .name = kSelectionWindow,
      .title = L"Velmora-选择替换方式：",
      .rect = {50, 50, 403, 200},
      .controls =
          {
              {.name = L"按钮1",
               .kind = Kind::Button,
               .rect = {85, 144, 226, 20},
               .caption = L"选择替换方式并点击此按钮以启动主界面",
               .clicked = true},
              {.name = L"标签2",
               .kind = Kind::Label,
               .parent = L"分组框2",
               .rect = {35, 25, 263, 21},
               .caption = L"多个WORD中的A分别替换成B、C、D... 不同内容",
               .textColour = kYellow,
               .backColour = kBlue},
              {.name = L"单选框2",
               .kind = Kind::RadioBox,
               .rect = {18, 75, 273, 18},
               .caption = L"方式二：多个文件相同文本分别替换成不同文本",
               .textColour = kTextBlue,
               .backColour = kBlue,
               .checked = true},
              {.name = L"单选框1",
               .kind = Kind::RadioBox,
               .rect = {18, 6, 248, 24},
               .caption = L"方式一：多个文件相同文本替换成相同文本",
               .tabOrder = 1,
               .textColour = kTextBlue,
               .backColour = kBlue},
              {.name = L"标签1",
               .kind = Kind::Label,
               .parent = L"分组框1",
               .rect = {35, 25, 199, 21},
               .caption = L"多个WORD中的A全部替换成B 相同内容",
               .textColour = kYellow,
               .backColour = kBlue},
              {.name = L"分组框1",
               .kind = Kind::GroupBox,
               .rect = {6, 9, 384, 58},
               .textColour = kTextBlue,
               .backColour = kBlue},
              {.name = L"分组框2",
               .kind = Kind::GroupBox,
               .rect = {6, 75, 384, 58},
               .textColour = kTextBlue,
               .backColour = kBlue},
          },
  };
}

}  // namespace velmora
