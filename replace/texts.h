// The fixed texts of a replacement run: progress, completion, one result line a document, the report.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// The maker's messenger number, shown in every window title and in the run's texts.
inline constexpr std::wstring_view kMessengerNumber = L"2345678901";

// Title of the windows ("V2.0"); the run's own texts carry "V1.0".
std::wstring WindowTitle();

// "…——正在替换第12个文件！" while the document of that ordinal (1-based, run order) is worked on.
std::wstring ProgressText(std::size_t ordinal);

// "…——替换完毕！" once the run is over.
std::wstring CompletionText();

// What became of one document of a run.
enum class Outcome {
  kReplaced,             // every pair replaced and the document stored
  kMismatch,             // its replacement texts differ in number from the texts to be replaced
  kMissing,              // no file at its path
  kReadOnly,             // the file may not be written
  kInUse,                // another program holds the file open
  kOpenFailed,           // the word processor could not open it
  kReplaceFailed,        // a replacement went wrong; the document was closed without saving
  kSaveFailed,           // storing it failed; the file on disk is as it was
  kServerNotStarted,     // the word processor could not be started for it
  kServerNotResponding,  // the word processor stopped answering while it was worked on
  kCutShort,             // the run ended before its turn came (window closed, server lost)
};

// "文件" and the file name after the last "\" or "/" of the path.
std::wstring DocumentNaming(std::wstring_view path);

// One line of the report: naming, what happened, CR LF.
std::wstring ResultLine(std::wstring_view path, Outcome outcome);

struct DocumentResult {
  std::wstring path;
  Outcome outcome;
};

// "替换完毕：N 个文件；未替换：M 个文件" and CR LF.
std::wstring CountLine(std::span<const DocumentResult> results);

// The whole report: the count line, then one result line per document in run order.
std::wstring ResultsText(std::span<const DocumentResult> results);

// The check texts: a request, shown as a message box's text, and a statement, shown as its caption.
inline constexpr std::wstring_view kRequestAddFind = L"请添加被替换内容！";
inline constexpr std::wstring_view kStatementNoFind = L"没有添加被替换的内容！";
inline constexpr std::wstring_view kRequestAddReplace = L"请添加替换内容！";
inline constexpr std::wstring_view kStatementNoReplace = L"没有添加替换的内容！";
inline constexpr std::wstring_view kRequestFixReplace = L"请修改替换内容！";
inline constexpr std::wstring_view kStatementCountsDiffer = L"被替换文本 与 替换文本 数量不对等！";
inline constexpr std::wstring_view kRequestAddDocument = L"请添加WORD文件！";
inline constexpr std::wstring_view kStatementNoDocument = L"没有添加要替换的WORD文件！";

// For the texts to be replaced that cannot be searched for; `line` is 1-based.
std::wstring RequestFillEmptyLine(std::size_t line);
std::wstring StatementEmptyLine(std::size_t line);
std::wstring RequestShortenLine(std::size_t line);
std::wstring StatementLineTooLong(std::size_t line);

}  // namespace velmora
