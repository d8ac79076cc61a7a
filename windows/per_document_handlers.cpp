// 窗口_分别替换's handlers. The file list is the one place that says which documents take part: list
// item k is the document of page k, its name box shows it, and the page's replacement texts belong to
// it. Every change of the list rewrites the name boxes, and a removal moves the later documents' texts up
// with them, so no text ever changes owner.
#include "windows/per_document_handlers.h"

#include <shellapi.h>

#include <array>
#include <string>
#include <vector>

#include "replace/run_input.h"
#include "replace/texts.h"
#include "windows/document_list.h"
#include "windows/file_dialog.h"
#include "windows/per_document_window.h"
#include "windows/run_start.h"

namespace velmora {

namespace {

using PageTexts = std::array<std::wstring, kDocumentPages>;

std::vector<std::wstring> ListedDocuments(const Window& w) {
  std::vector<std::wstring> items;
  const int count = w.ItemCount(kPerDocumentFileList);
  for (int i = 0; i < count; ++i) items.push_back(w.ItemText(kPerDocumentFileList, i));
  return items;
}

PageTexts ReplacementTexts(const Window& w) {
  PageTexts texts;
  for (std::size_t k = 0; k < kDocumentPages; ++k) texts[k] = w.Text(kDocumentPageControls[k].replaceBox);
  return texts;
}

void SetReplacementTexts(Window& w, const PageTexts& texts) {
  for (std::size_t k = 0; k < kDocumentPages; ++k) {
    if (w.Text(kDocumentPageControls[k].replaceBox) != texts[k]) {
      w.SetText(kDocumentPageControls[k].replaceBox, texts[k]);
    }
  }
}

void ShowNameBoxes(Window& w) {
  const PageTexts names = NameBoxTexts(ListedDocuments(w));
  for (std::size_t k = 0; k < kDocumentPages; ++k) w.SetText(kDocumentPageControls[k].nameBox, names[k]);
}

void Tell(const Window& w, const std::wstring& text, UINT icon = MB_ICONINFORMATION) {
  MessageBoxW(w.Handle(), text.c_str(), WindowTitle().c_str(), MB_OK | icon);
}

std::wstring Lines(const std::vector<std::wstring>& paths) {
  std::wstring text;
  for (const std::wstring& p : paths) text += L"\n" + p;
  return text;
}

// Appends the picked documents, each once, up to one per document page.
void AddFiles(Window& w) {
  const std::vector<std::wstring> picked = PickFiles(w.Handle(), L"添加WORD文件", kDocumentFilter);
  if (picked.empty()) return;
  std::vector<std::wstring> listed = ListedDocuments(w);
  const AppendResult plan = AppendDocuments(listed, picked, kDocumentPages);
  for (const std::wstring& path : plan.added) w.AddItem(kPerDocumentFileList, path);
  ShowNameBoxes(w);
  std::wstring note;
  if (!plan.duplicates.empty()) {
    note += L"有 " + std::to_wstring(plan.duplicates.size()) + L" 个文件已在列表中，没有重复添加。";
  }
  if (!plan.overLimit.empty()) {
    if (!note.empty()) note += L"\n\n";
    note += L"方式二最多只能添加 " + std::to_wstring(kDocumentPages) + L" 个WORD文件，以下文件没有添加：" +
            Lines(plan.overLimit);
  }
  if (!note.empty()) Tell(w, note);
}

// Removes the selected document with its replacement texts; the later documents and their texts move up
// one page together.
void DeleteSelected(Window& w) {
  const int selected = w.Selection(kPerDocumentFileList);
  if (selected < 0) return;
  const PageTexts moved = TextsAfterRemoval(ReplacementTexts(w), selected);
  if (!w.DeleteItem(kPerDocumentFileList, selected)) return;
  SetReplacementTexts(w, moved);
  ShowNameBoxes(w);
}

// Empties the list. Texts left on the pages would pair with whatever documents are added next, so the
// user decides whether they go too.
void ClearList(Window& w) {
  if (AnyPageText(ReplacementTexts(w))) {
    const int answer = MessageBoxW(w.Handle(),
                                   L"各文档页中还有替换文本。\n是否同时清空各文档页的替换文本？\n\n"
                                   L"选“否”则保留这些文本，它们将对应之后添加的文件。",
                                   WindowTitle().c_str(), MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES) SetReplacementTexts(w, PageTexts{});
  }
  w.ClearItems(kPerDocumentFileList);
  ShowNameBoxes(w);
}

void OpenDocument(Window& w, std::size_t k) {
  const std::wstring path = w.Text(kDocumentPageControls[k].nameBox);
  if (path.empty()) {
    Tell(w, L"这一页还没有文档，请先在“文件列表”页用“1、添加WORD文件”添加文件。");
    return;
  }
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(w.Handle(), L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) Tell(w, L"无法打开文档：\n" + path, MB_ICONWARNING);
}

void ClearPage(Window& w, std::size_t k) {
  w.SetText(kDocumentPageControls[k].replaceBox, L"");
}

void ClearFind(Window& w) {
  w.SetText(kPerDocumentFindBox, L"");
}

void ClearAll(Window& w) {
  w.ClearItems(kPerDocumentFileList);
  ShowNameBoxes(w);
  ClearFind(w);
  SetReplacementTexts(w, PageTexts{});
}

void Start(Window& w) {
  PageTexts names;
  for (std::size_t k = 0; k < kDocumentPages; ++k) names[k] = w.Text(kDocumentPageControls[k].nameBox);
  StartRun(w,
           PerDocumentRunInput(ListedDocuments(w), w.Text(kPerDocumentFindBox), names, ReplacementTexts(w)));
}

template <void (*F)(Window&)>
Handler On() {
  return [](Window& w, std::intptr_t, std::intptr_t) { F(w); };
}

Handler OnPage(void (*f)(Window&, std::size_t), std::size_t k) {
  return [f, k](Window& w, std::intptr_t, std::intptr_t) { f(w, k); };
}

}  // namespace

WindowSpec PerDocumentWindowSpec() {
  WindowSpec spec{
      .desc = PerDocumentWindowDesc(),
      .handlers =
          {
              {L"按钮4", Event::Clicked, On<AddFiles>()},
              {L"按钮6", Event::Clicked, On<DeleteSelected>()},
              {L"按钮5", Event::Clicked, On<ClearList>()},
              {L"按钮8", Event::Clicked, On<ClearFind>()},
              {L"按钮2", Event::Clicked, On<ClearAll>()},
              {L"按钮1", Event::Clicked, On<Start>()},
              // Fonts, brushes and the tab strip are released with their owners; what remains is the
              // input last handed to the run.
              {L"", Event::Destroying, On<ForgetRun>()},
          },
  };
  for (std::size_t k = 0; k < kDocumentPages; ++k) {
    spec.handlers.push_back({kDocumentPageControls[k].openButton, Event::Clicked, OnPage(&OpenDocument, k)});
    spec.handlers.push_back({kDocumentPageControls[k].clearButton, Event::Clicked, OnPage(&ClearPage, k)});
  }
  return spec;
}

}  // namespace velmora
