// 窗口_相同替换's handlers: filling and clearing the file list and the two boxes, and the start button.
#include "windows/same_text_handlers.h"

#include <string>
#include <vector>

#include "replace/texts.h"
#include "windows/document_list.h"
#include "windows/file_dialog.h"
#include "windows/run_start.h"
#include "windows/same_text_window.h"

namespace velmora {

namespace {

using namespace same_text;

std::vector<std::wstring> ListedDocuments(const Window& w) {
  std::vector<std::wstring> items;
  const int count = w.ItemCount(kFileList);
  for (int i = 0; i < count; ++i) items.push_back(w.ItemText(kFileList, i));
  return items;
}

// Appends the documents the user picks; a document already listed would be replaced twice, so it is
// skipped, and the user is told how many were.
void AddFiles(Window& w) {
  const std::vector<std::wstring> picked = PickFiles(w.Handle(), L"添加WORD文件", kDocumentFilter);
  if (picked.empty()) return;
  std::vector<std::wstring> listed = ListedDocuments(w);
  const AppendResult plan = AppendDocuments(listed, picked);
  std::size_t refused = 0;
  for (const std::wstring& path : plan.added) {
    if (w.AddItem(kFileList, path) < 0) ++refused;
  }
  std::wstring note;
  if (!plan.duplicates.empty()) {
    note += L"有 " + std::to_wstring(plan.duplicates.size()) + L" 个文件已在列表中，没有重复添加。";
  }
  if (refused > 0) note += L"有 " + std::to_wstring(refused) + L" 个文件无法加入列表。";
  if (!note.empty()) MessageBoxW(w.Handle(), note.c_str(), WindowTitle().c_str(), MB_OK | MB_ICONINFORMATION);
}

// Removes the selected document; the selection moves on so that repeated clicks keep deleting.
void DeleteSelected(Window& w) {
  const int selected = w.Selection(kFileList);
  if (selected < 0 || !w.DeleteItem(kFileList, selected)) return;
  const int next = SelectionAfterDelete(selected, w.ItemCount(kFileList));
  if (next >= 0) w.SetSelection(kFileList, next);
}

void Start(Window& w) {
  StartRun(w, SameTextRunInput(ListedDocuments(w), w.Text(kFindBox), w.Text(kReplaceBox)));
}

template <void (*F)(Window&)>
Handler On() {
  return [](Window& w, std::intptr_t, std::intptr_t) { F(w); };
}

void ClearList(Window& w) {
  w.ClearItems(kFileList);
}
void ClearFind(Window& w) {
  w.SetText(kFindBox, L"");
}
void ClearReplace(Window& w) {
  w.SetText(kReplaceBox, L"");
}
void ClearAll(Window& w) {
  ClearList(w);
  ClearFind(w);
  ClearReplace(w);
}

}  // namespace

WindowSpec SameTextWindowSpec() {
  return WindowSpec{
      .desc = SameTextWindowDesc(),
      .handlers =
          {
              {kAddFiles, Event::Clicked, On<AddFiles>()},
              {kDeleteSelected, Event::Clicked, On<DeleteSelected>()},
              {kClearList, Event::Clicked, On<ClearList>()},
              {kClearFind, Event::Clicked, On<ClearFind>()},
              {kClearReplace, Event::Clicked, On<ClearReplace>()},
              {kClearAll, Event::Clicked, On<ClearAll>()},
              {kStart, Event::Clicked, On<Start>()},
              {L"", Event::Destroying, On<ForgetRun>()},
          },
  };
}

}  // namespace velmora
