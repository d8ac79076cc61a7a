#include "replace/texts.h"

#include <algorithm>

#include "replace/find_text.h"

namespace velmora {
namespace {

constexpr std::wstring_view kWindowHead = L"Velmora V2.0 BY Ostrel QQ：";
constexpr std::wstring_view kRunHead = L"Velmora V1.0 BY Ostrel QQ：";
constexpr std::wstring_view kLineEnd = L"\r\n";

std::wstring RunHead() {
  std::wstring text(kRunHead);
  text += kMessengerNumber;
  return text;
}

std::wstring_view OutcomeWords(Outcome outcome) {
  switch (outcome) {
    case Outcome::kReplaced:
      return L"：替换完毕！";
    case Outcome::kMismatch:
      return L"：被替换文本 与 替换文本 数量不对等！未被替换！";
    case Outcome::kMissing:
      return L"：文件不存在！未被替换！";
    case Outcome::kReadOnly:
      return L"：文件是只读的！未被替换！";
    case Outcome::kInUse:
      return L"：文件正被其他程序使用！未被替换！";
    case Outcome::kOpenFailed:
      return L"：WORD无法打开此文件！未被替换！";
    case Outcome::kReplaceFailed:
      return L"：替换出错，文件未保存！未被修改！";
    case Outcome::kSaveFailed:
      return L"：文件无法保存！未被修改！";
    case Outcome::kServerNotStarted:
      return L"：无法启动WORD！未被替换！";
    case Outcome::kServerNotResponding:
      return L"：WORD没有响应，文件未保存！未被修改！";
    case Outcome::kCutShort:
      return L"：替换被中断！未被替换！";
  }
  return L"：未被替换！";
}

std::wstring LineText(std::size_t line) {
  return L"被替换内容第" + std::to_wstring(line) + L"行";
}

}  // namespace

std::wstring WindowTitle() {
  std::wstring text(kWindowHead);
  text += kMessengerNumber;
  return text;
}

std::wstring ProgressText(std::size_t ordinal) {
  return RunHead() + L"——正在替换第" + std::to_wstring(ordinal) + L"个文件！";
}

std::wstring CompletionText() {
  return RunHead() + L"——替换完毕！";
}

std::wstring DocumentNaming(std::wstring_view path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  const std::wstring_view name = cut == std::wstring_view::npos ? path : path.substr(cut + 1);
  return L"文件" + std::wstring(name);
}

std::wstring ResultLine(std::wstring_view path, Outcome outcome) {
  std::wstring line = DocumentNaming(path);
  line += OutcomeWords(outcome);
  line += kLineEnd;
  return line;
}

std::wstring CountLine(std::span<const DocumentResult> results) {
  const auto replaced =
      static_cast<std::size_t>(std::count_if(results.begin(), results.end(), [](const DocumentResult& r) {
        return r.outcome == Outcome::kReplaced;
      }));
  std::wstring line = L"替换完毕：" + std::to_wstring(replaced) + L" 个文件；未替换：" +
                      std::to_wstring(results.size() - replaced) + L" 个文件";
  line += kLineEnd;
  return line;
}

std::wstring ResultsText(std::span<const DocumentResult> results) {
  std::wstring text = CountLine(results);
  for (const DocumentResult& result : results) text += ResultLine(result.path, result.outcome);
  return text;
}

std::wstring RequestFillEmptyLine(std::size_t line) {
  return L"请删除或填写" + LineText(line) + L"：空行无法查找！";
}

std::wstring StatementEmptyLine(std::size_t line) {
  return LineText(line) + L"是空行！";
}

std::wstring RequestShortenLine(std::size_t line) {
  return L"请缩短" + LineText(line) + L"：最多" + std::to_wstring(kFindTextLimit) +
         L"个字符（每个 ^ 算两个）！";
}

std::wstring StatementLineTooLong(std::size_t line) {
  return LineText(line) + L"太长，无法查找！";
}

}  // namespace velmora
