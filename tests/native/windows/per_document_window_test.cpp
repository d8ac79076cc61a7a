#include "windows/per_document_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/focus.h"
#include "replace/texts.h"

namespace velmora {
namespace {

struct Row {
  std::wstring_view name;
  Kind kind;
  std::wstring_view parent;
  int page;
  Rect rect;
  std::wstring_view caption;
  bool clicked;
};

constexpr std::wstring_view T = L"高级选择夹1";
constexpr std::wstring_view G = L"分组框1";
constexpr std::wstring_view W = L"";

// The controls of the window, in control order, as the program's users see them.
const std::vector<Row> kRows = {
    {L"按钮12", Kind::Button, T, 5, {275, 374, 60, 20}, L"打开", true},
    {L"按钮10", Kind::Button, T, 4, {275, 374, 60, 20}, L"打开", true},
    {L"按钮9", Kind::Button, T, 3, {275, 374, 60, 20}, L"打开", true},
    {L"按钮7", Kind::Button, T, 2, {275, 374, 60, 20}, L"打开", true},
    {L"按钮3", Kind::Button, T, 1, {275, 374, 60, 20}, L"打开", true},
    {L"编辑框5_替换内容", Kind::EditBox, T, 5, {8, 8, 393, 360}, L"", false},
    {L"编辑框4_替换内容", Kind::EditBox, T, 4, {8, 8, 393, 360}, L"", false},
    {L"编辑框3_替换内容", Kind::EditBox, T, 3, {8, 8, 393, 360}, L"", false},
    {L"编辑框2_替换内容", Kind::EditBox, T, 2, {8, 8, 393, 360}, L"", false},
    {L"编辑框1_替换内容", Kind::EditBox, T, 1, {8, 8, 393, 360}, L"", false},
    {L"编辑框_被替换内容", Kind::EditBox, G, -1, {7, 15, 365, 360}, L"", false},
    {L"按钮23", Kind::Button, T, 5, {341, 374, 60, 20}, L"清空", true},
    {L"编辑框5_路径", Kind::EditBox, T, 5, {79, 374, 190, 20}, L"", false},
    {L"标签6", Kind::Label, T, 5, {8, 374, 65, 20}, L"文档五名称：", false},
    {L"按钮20", Kind::Button, T, 4, {341, 374, 60, 20}, L"清空", true},
    {L"编辑框4_路径", Kind::EditBox, T, 4, {79, 374, 190, 20}, L"", false},
    {L"标签5", Kind::Label, T, 4, {8, 374, 65, 20}, L"文档四名称：", false},
    {L"按钮17", Kind::Button, T, 3, {341, 374, 60, 20}, L"清空", true},
    {L"编辑框3_路径", Kind::EditBox, T, 3, {79, 374, 190, 20}, L"", false},
    {L"标签4", Kind::Label, T, 3, {8, 374, 65, 20}, L"文档三名称：", false},
    {L"按钮14", Kind::Button, T, 2, {341, 374, 60, 20}, L"清空", true},
    {L"编辑框2_路径", Kind::EditBox, T, 2, {79, 374, 190, 20}, L"", false},
    {L"标签3", Kind::Label, T, 2, {8, 374, 65, 20}, L"文档二名称：", false},
    {L"编辑框1_路径", Kind::EditBox, T, 1, {79, 374, 190, 20}, L"", false},
    {L"标签2", Kind::Label, T, 1, {8, 374, 65, 20}, L"文档一名称：", false},
    {L"按钮11", Kind::Button, T, 1, {341, 374, 60, 20}, L"清空", true},
    {L"按钮2", Kind::Button, W, -1, {720, 424, 112, 20}, L"全部清空", true},
    {L"按钮1", Kind::Button, W, -1, {400, 424, 312, 20}, L"开始替换", true},
    {L"标签1",
     Kind::Label,
     W,
     -1,
     {8, 424, 376, 20},
     L"注意：添加 被替换内容 的顺序 和，添加 替换文本 的顺序必须一致！",
     false},
    {L"列表框_文件列表", Kind::ListBox, T, 0, {8, 8, 393, 360}, L"", false},
    {L"按钮4", Kind::Button, T, 0, {8, 375, 201, 20}, L"1、添加WORD文件", true},
    {L"按钮6", Kind::Button, T, 0, {216, 375, 89, 20}, L"删除选中", true},
    {L"按钮5", Kind::Button, T, 0, {312, 375, 89, 20}, L"清空列表", true},
    {L"高级选择夹1", Kind::TabControl, W, -1, {399, 14, 432, 402}, L"", false},
    {L"分组框1", Kind::GroupBox, W, -1, {8, 8, 380, 408}, L"2、添加被替换文本", false},
    {L"按钮8", Kind::Button, G, -1, {301, 382, 70, 20}, L"清空", true},
};

TEST(PerDocumentWindow, WindowProperties) {
  const WindowDesc w = PerDocumentWindowDesc();
  EXPECT_EQ(w.name, L"窗口_分别替换");
  EXPECT_EQ(w.title, WindowTitle());
  EXPECT_EQ(w.rect.width, 846);
  EXPECT_EQ(w.rect.height, 479);
  EXPECT_EQ(w.backColour, kBlue);
  EXPECT_TRUE(w.escCloses);
  EXPECT_FALSE(w.enterMovesFocus);
  EXPECT_TRUE(w.destroying);
  EXPECT_EQ(Validate(w), L"");
}

TEST(PerDocumentWindow, ControlsInOrder) {
  const WindowDesc w = PerDocumentWindowDesc();
  ASSERT_EQ(w.controls.size(), kRows.size());
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    const ControlDesc& c = w.controls[i];
    const Row& r = kRows[i];
    EXPECT_EQ(c.name, r.name) << i;
    EXPECT_EQ(c.kind, r.kind) << i;
    EXPECT_EQ(c.parent, r.parent) << i;
    EXPECT_EQ(c.page, r.page) << i;
    EXPECT_EQ(c.rect, r.rect) << i;
    EXPECT_EQ(c.caption, r.caption) << i;
    EXPECT_EQ(c.clicked, r.clicked) << i;
    EXPECT_TRUE(c.visible) << i;
    EXPECT_FALSE(c.disabled) << i;
    EXPECT_EQ(c.tabOrder, 0) << i;
    const bool stops = r.kind == Kind::Button || r.kind == Kind::EditBox || r.kind == Kind::ListBox;
    EXPECT_EQ(HasTabStop(c), stops) << i;
  }
}

TEST(PerDocumentWindow, KindProperties) {
  const WindowDesc w = PerDocumentWindowDesc();
  for (const ControlDesc& c : w.controls) {
    const std::wstring name(c.name);
    if (name.find(L"替换内容") != std::wstring::npos) {  // big boxes
      EXPECT_TRUE(c.multiLine);
      EXPECT_FALSE(c.readOnly);
      EXPECT_EQ(TextColour(c), kTextBlue);
      EXPECT_EQ(BackColour(c), kYellow);
      ASSERT_TRUE(c.font.has_value());
      EXPECT_EQ(c.font->height, -14);
      EXPECT_EQ(c.font->face, L"");
      EXPECT_EQ(c.font->weight, 400);
    } else if (name.find(L"_路径") != std::wstring::npos) {  // name boxes
      EXPECT_FALSE(c.multiLine);
      EXPECT_TRUE(c.readOnly);
      EXPECT_EQ(TextColour(c), kTextBlue);
      EXPECT_EQ(BackColour(c), kYellow);
      EXPECT_FALSE(c.font.has_value());
    } else if (c.kind == Kind::Label) {
      EXPECT_EQ(TextColour(c), name == L"标签1" ? kRed : kYellow);
      EXPECT_EQ(BackColour(c), kBlue);
      EXPECT_EQ(c.hAlign, Align::Near);
      EXPECT_EQ(c.vAlign, Align::Centre);
    } else if (c.kind == Kind::ListBox || c.kind == Kind::GroupBox) {
      EXPECT_EQ(TextColour(c), c.kind == Kind::ListBox ? kTextBlue : kYellow);
      EXPECT_EQ(BackColour(c), c.kind == Kind::ListBox ? kYellow : kBlue);
    }
  }
  const ControlDesc& tabs = w.controls[FindControl(w, L"高级选择夹1")];
  const std::vector<std::wstring_view> pages(tabs.pages.begin(), tabs.pages.end());
  EXPECT_EQ(pages, (std::vector<std::wstring_view>{L"文件列表", L"文档一", L"文档二", L"文档三", L"文档四",
                                                   L"文档五"}));
}

TEST(PerDocumentWindow, PageTableMatchesDescription) {
  const WindowDesc w = PerDocumentWindowDesc();
  for (std::size_t k = 0; k < kDocumentPages; ++k) {
    const DocumentPage& p = kDocumentPageControls[k];
    for (std::wstring_view name : {p.label, p.nameBox, p.openButton, p.clearButton, p.replaceBox}) {
      const int i = FindControl(w, name);
      ASSERT_GE(i, 0);
      EXPECT_EQ(w.controls[i].page, static_cast<int>(k) + 1);
    }
  }
}

// States as the builder reads them with page `current` of the tab control showing.
std::vector<ControlState> StatesWithPage(const WindowDesc& w, int current) {
  std::vector<ControlState> states(w.controls.size());
  for (std::size_t i = 0; i < w.controls.size(); ++i) {
    const ControlDesc& c = w.controls[i];
    states[i].visible = c.parent != T || c.page == current;
  }
  return states;
}

std::vector<std::wstring_view> CycleNames(const WindowDesc& w, int page) {
  std::vector<std::wstring_view> names;
  for (int i : TabCycle(w, StatesWithPage(w, page))) names.push_back(w.controls[i].name);
  return names;
}

TEST(PerDocumentWindow, TabCycles) {
  const WindowDesc w = PerDocumentWindowDesc();
  using Names = std::vector<std::wstring_view>;
  const std::vector<std::pair<int, Names>> cases = {
      {0,
       {L"按钮8", L"按钮5", L"按钮6", L"按钮4", L"列表框_文件列表", L"按钮1", L"按钮2",
        L"编辑框_被替换内容"}},
      {1,
       {L"按钮8", L"按钮1", L"按钮2", L"按钮11", L"编辑框1_路径", L"编辑框_被替换内容", L"编辑框1_替换内容",
        L"按钮3"}},
      {3,
       {L"按钮8", L"按钮1", L"按钮2", L"编辑框3_路径", L"按钮17", L"编辑框_被替换内容", L"编辑框3_替换内容",
        L"按钮9"}},
  };
  for (const auto& [page, expected] : cases) EXPECT_EQ(CycleNames(w, page), expected) << page;
  EXPECT_EQ(w.controls[FirstFocus(w, StatesWithPage(w, 0))].name, L"按钮8");
}

using Texts = std::array<std::wstring, kDocumentPages>;

TEST(DocumentModel, TextsMoveWithTheirDocuments) {
  const Texts texts{L"a", L"b", L"c", L"d", L""};
  const std::vector<std::pair<int, Texts>> cases = {
      {0, {L"b", L"c", L"d", L"", L""}},
      {1, {L"a", L"c", L"d", L"", L""}},
      {3, {L"a", L"b", L"c", L"", L""}},
      {4, {L"a", L"b", L"c", L"d", L""}},
      {-1, texts},
      {5, texts},
  };
  for (const auto& [removed, expected] : cases)
    EXPECT_EQ(TextsAfterRemoval(texts, removed), expected) << removed;
  const Texts full{L"1", L"2", L"3", L"4", L"5"};
  EXPECT_EQ(TextsAfterRemoval(full, 2), (Texts{L"1", L"2", L"4", L"5", L""}));
}

TEST(DocumentModel, NameBoxesShowListItemsInOrder) {
  EXPECT_EQ(NameBoxTexts({}), Texts{});
  EXPECT_EQ(NameBoxTexts({L"C:\\a.doc", L"C:\\b.docx"}), (Texts{L"C:\\a.doc", L"C:\\b.docx", L"", L"", L""}));
  EXPECT_EQ(NameBoxTexts({L"1", L"2", L"3", L"4", L"5", L"6"}), (Texts{L"1", L"2", L"3", L"4", L"5"}));
}

TEST(DocumentModel, RunInputCarriesEveryPageAsTheBoxesHoldIt) {
  const Texts names{L"C:\\a.doc", L"C:\\b.docx", L"", L"", L""};
  const Texts boxes{L"x\r\ny", L"z", L"stray", L"", L""};
  const RunInput in = PerDocumentRunInput({L"C:\\a.doc", L"C:\\b.docx"}, L"p\r\nq\r\n", names, boxes);
  EXPECT_EQ(in.mode, Mode::kPerDocument);
  EXPECT_EQ(in.documents, (std::vector<std::wstring>{L"C:\\a.doc", L"C:\\b.docx"}));
  EXPECT_EQ(in.findBox, L"p\r\nq\r\n");
  EXPECT_TRUE(in.replaceBox.empty());
  for (std::size_t k = 0; k < kDocumentPages; ++k) {
    EXPECT_EQ(in.pages[k].path, names[k]) << k;
    EXPECT_EQ(in.pages[k].replaceBox, boxes[k]) << k;
  }
  // Only pages with a document take part in the run, in page order.
  EXPECT_EQ(RunDocuments(in), (std::vector<std::wstring>{L"C:\\a.doc", L"C:\\b.docx"}));
}

TEST(DocumentModel, AnyPageText) {
  EXPECT_FALSE(AnyPageText(Texts{}));
  EXPECT_TRUE(AnyPageText(Texts{L"", L"", L"", L"", L"x"}));
}

}  // namespace
}  // namespace velmora
