// Fuzz target of the run's input checks. The input is
//   <mode byte><documents byte><batch byte><UTF-16LE units...>
// The units are split at each U+0000 into the find box, the same-text replacement box and the five pages'
// replacement boxes. Mode bit 0 picks the per-document mode; the documents byte gives the number of listed
// files (mode one, low three bits) or which pages have a path (mode two, low five bits).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fuzz_check.h"
#include "replace/find_text.h"
#include "replace/run_input.h"

namespace {

using velmora::fuzz::Require;
namespace v = velmora;

bool IsBreak(wchar_t c) {
  return c == L'\r' || c == L'\n';
}

// The box with every line break (CR LF, lone CR, lone LF) written as CR LF.
std::wstring WithCrLf(std::wstring_view box) {
  std::wstring out;
  for (std::size_t i = 0; i < box.size(); ++i) {
    if (!IsBreak(box[i])) {
      out += box[i];
      continue;
    }
    if (box[i] == L'\r' && i + 1 < box.size() && box[i + 1] == L'\n') ++i;
    out += L"\r\n";
  }
  return out;
}

void CheckLines(std::wstring_view box) {
  const std::vector<std::wstring> lines = v::SplitLines(box);
  std::wstring joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Require(std::none_of(lines[i].begin(), lines[i].end(), IsBreak), "no line holds a line break");
    if (i > 0) joined += L"\r\n";
    joined += lines[i];
  }
  if (!box.empty() && IsBreak(box.back())) joined += L"\r\n";
  Require(joined == WithCrLf(box), "the lines joined with CR LF give the box back");
  Require(box.empty() == lines.empty(), "only an empty box has no lines");
}

struct Fuzzed {
  v::RunInput input;
  std::size_t perServer = 0;
};

Fuzzed Decode(const std::uint8_t* data, std::size_t size) {
  Fuzzed f;
  const std::uint8_t mode = size > 0 ? data[0] : 0;
  const std::uint8_t documents = size > 1 ? data[1] : 0;
  f.perServer = size > 2 ? data[2] % 25 : 0;
  std::vector<std::wstring> boxes(1);
  for (std::size_t i = 3; i + 1 < size; i += 2) {
    const wchar_t unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) {
      boxes.emplace_back();
    } else {
      boxes.back() += unit;
    }
  }
  boxes.resize(2 + v::kDocumentPages);
  f.input.mode = (mode & 1) != 0 ? v::Mode::kPerDocument : v::Mode::kSameText;
  f.input.findBox = boxes[0];
  f.input.replaceBox = boxes[1];
  for (std::size_t i = 0; i < (documents & 7u); ++i)
    f.input.documents.push_back(L"C:\\d\\" + std::to_wstring(i) + L".docx");
  for (std::size_t page = 0; page < v::kDocumentPages; ++page) {
    if ((documents >> page) & 1u) f.input.pages[page].path = L"C:\\p\\" + std::to_wstring(page) + L".docx";
    f.input.pages[page].replaceBox = boxes[2 + page];
  }
  return f;
}

void CheckFault(const v::RunInput& input, const v::CheckFault& fault) {
  const std::vector<std::wstring> finds = v::SplitLines(input.findBox);
  Require(!fault.request.empty() && !fault.statement.empty(), "a fault has its message");
  auto firstEmpty = std::find_if(finds.begin(), finds.end(), [](const std::wstring& f) { return f.empty(); });
  auto firstLong = std::find_if(finds.begin(), finds.end(), [](const std::wstring& f) {
    return v::EscapedLength(f) > v::kFindTextLimit;
  });
  switch (fault.fault) {
    case v::Fault::kNoFindText:
      Require(finds.empty(), "no find text only when the box is empty");
      break;
    case v::Fault::kNoReplaceText:
    case v::Fault::kNoDocument:
      Require(!finds.empty() && fault.line == 0, "fault without a line");
      break;
    case v::Fault::kCountsDiffer:
      Require(input.mode == v::Mode::kSameText && v::SplitLines(input.replaceBox).size() != finds.size(),
              "counts differ only when they do");
      break;
    case v::Fault::kEmptyFindLine:
      Require(
          firstEmpty != finds.end() && fault.line == static_cast<std::size_t>(firstEmpty - finds.begin()) + 1,
          "the first empty line is named");
      break;
    case v::Fault::kFindLineTooLong:
      Require(firstEmpty == finds.end() && firstLong != finds.end() &&
                  fault.line == static_cast<std::size_t>(firstLong - finds.begin()) + 1,
              "the first long line is named, after empty lines");
      break;
  }
  if (fault.fault == v::Fault::kNoDocument) {
    Require(v::RunDocuments(input).empty(), "no document only when there is none");
    Require(firstEmpty == finds.end() && firstLong == finds.end(), "the find lines are checked first");
  }
}

// Find-and-replace all, leftmost and without overlaps, the way a piece's Find.Execute works on a text.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view find, std::wstring_view with) {
  std::wstring out;
  std::size_t at = 0;
  for (std::size_t hit = text.find(find); !find.empty() && hit != std::wstring_view::npos;
       hit = text.find(find, at)) {
    out.append(text.substr(at, hit - at)).append(with);
    at = hit + find.size();
  }
  out.append(text.substr(at));
  return out;
}

// The caret codes the calls use: "^^" is one caret.
std::wstring Unescape(std::wstring_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == L'^' && i + 1 < text.size() && text[i + 1] == L'^') ++i;
  }
  return out;
}

bool IsHigh(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The calls that carry one pair: each within the limit, pieces cut between characters, and together,
// applied one after another to the find text, they leave exactly the replacement.
void CheckExecutes(const std::wstring& find, const std::wstring& replace) {
  const std::vector<v::ExecuteCall> calls = v::PlanExecutes(find, replace);
  Require(!calls.empty(), "a planned pair can be sent");
  Require(calls.front().findText == v::EscapeForFind(find), "the first call finds the text");
  std::wstring pieces;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const v::ExecuteCall& call = calls[i];
    Require(v::Utf16Length(call.findText) <= v::kFindTextLimit &&
                v::Utf16Length(call.replaceWith) <= v::kFindTextLimit,
            "every call within the limit");
    std::wstring_view piece = call.replaceWith;
    if (i + 1 < calls.size()) {
      Require(calls[i + 1].findText == v::kPieceMarker && piece.ends_with(v::kPieceMarker),
              "each piece but the last hands over through the marker");
      piece.remove_suffix(v::kPieceMarker.size());
    }
    Require(std::count(piece.begin(), piece.end(), L'^') % 2 == 0, "no piece cuts a doubled caret");
    Require(pieces.empty() || piece.empty() || !(IsHigh(pieces.back()) && IsLow(piece.front())),
            "no piece cuts a surrogate pair");
    pieces += piece;
  }
  Require(pieces == v::EscapeForFind(replace), "the pieces make the whole replacement");
  if (replace.find(v::kPieceMarker) != std::wstring::npos) return;  // the user's text would hold the marker
  std::wstring text = find;
  for (const v::ExecuteCall& call : calls)
    text = ReplaceAll(text, Unescape(call.findText), Unescape(call.replaceWith));
  Require(text == replace, "the calls leave the replacement");
}

void CheckPlan(const v::RunInput& input, const v::RunPlan& plan, std::size_t perServer) {
  const std::vector<std::wstring> finds = v::SplitLines(input.findBox);
  const std::vector<std::wstring> documents = v::RunDocuments(input);
  Require(!finds.empty() && !documents.empty(), "a run has texts and documents");
  Require(plan.documents.size() == documents.size(), "one planned document a document");
  std::vector<std::wstring> pageBoxes;
  for (const v::PageInput& page : input.pages) {
    if (!page.path.empty()) pageBoxes.push_back(page.replaceBox);
  }
  std::vector<std::size_t> toOpen;
  for (std::size_t i = 0; i < plan.documents.size(); ++i) {
    const v::PlannedDocument& d = plan.documents[i];
    Require(d.path == documents[i] && d.ordinal == i + 1, "documents in run order");
    Require(d.pairs.empty() == d.skipped.has_value(), "a document is skipped exactly when it has no pairs");
    if (d.skipped) {
      Require(input.mode == v::Mode::kPerDocument && *d.skipped == v::Outcome::kMismatch,
              "only a per-document page with other line counts is skipped");
      Require(v::SplitLines(pageBoxes[i]).size() != finds.size(), "a skipped page's counts differ");
      continue;
    }
    toOpen.push_back(i);
    const std::vector<std::wstring> replaces =
        v::SplitLines(input.mode == v::Mode::kSameText ? input.replaceBox : pageBoxes[i]);
    Require(d.pairs.size() == finds.size() && replaces.size() == finds.size(), "one pair a line");
    for (std::size_t k = 0; k < d.pairs.size(); ++k) {
      Require(!d.pairs[k].find.empty(), "no pair with an empty find text");
      Require(v::EscapedLength(d.pairs[k].find) <= v::kFindTextLimit,
              "no pair with a find text over the limit");
      Require(d.pairs[k].find == finds[k] && d.pairs[k].replace == replaces[k], "pairs line by line");
      if (i == toOpen.front()) CheckExecutes(d.pairs[k].find, d.pairs[k].replace);
    }
  }

  const auto batches = v::ServerBatches(plan, perServer);
  std::vector<std::size_t> flat;
  for (const auto& batch : batches) {
    Require(!batch.empty() && batch.size() <= std::max<std::size_t>(perServer, 1),
            "batches within the limit");
    flat.insert(flat.end(), batch.begin(), batch.end());
  }
  Require(flat == toOpen, "the batches open every document not skipped, in order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Fuzzed f = Decode(data, size);
  CheckLines(f.input.findBox);
  CheckLines(f.input.replaceBox);
  for (const v::PageInput& page : f.input.pages) CheckLines(page.replaceBox);

  const auto result = v::CheckRun(f.input);
  if (const auto* fault = std::get_if<v::CheckFault>(&result)) {
    CheckFault(f.input, *fault);
  } else {
    CheckPlan(f.input, std::get<v::RunPlan>(result), f.perServer);
  }
  return 0;
}
