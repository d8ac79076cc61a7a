#include "replace/run_input.h"

#include <algorithm>

#include "replace/find_text.h"

namespace velmora {

std::vector<std::wstring> SplitLines(std::wstring_view box) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (std::size_t i = 0; i < box.size(); ++i) {
    const wchar_t c = box[i];
    if (c != L'\r' && c != L'\n') {
      line += c;
      continue;
    }
    if (c == L'\r' && i + 1 < box.size() && box[i + 1] == L'\n') ++i;
    lines.push_back(std::move(line));
    line.clear();
  }
  const bool endsWithBreak = !box.empty() && (box.back() == L'\r' || box.back() == L'\n');
  if (!box.empty() && !endsWithBreak) lines.push_back(std::move(line));
  return lines;
}

std::vector<std::wstring> RunDocuments(const RunInput& input) {
  if (input.mode == Mode::kSameText) return input.documents;
  std::vector<std::wstring> documents;
  for (const PageInput& page : input.pages) {
    if (!page.path.empty()) documents.push_back(page.path);
  }
  return documents;
}

namespace {

std::vector<ReplacePair> Pair(const std::vector<std::wstring>& finds, std::vector<std::wstring> replaces) {
  std::vector<ReplacePair> pairs;
  pairs.reserve(finds.size());
  for (std::size_t i = 0; i < finds.size(); ++i) pairs.push_back({finds[i], std::move(replaces[i])});
  return pairs;
}

CheckFault Fixed(Fault fault, std::wstring_view request, std::wstring_view statement) {
  return {fault, std::wstring(request), std::wstring(statement), 0};
}

}  // namespace

std::variant<RunPlan, CheckFault> CheckRun(const RunInput& input) {
  const std::vector<std::wstring> finds = SplitLines(input.findBox);
  if (finds.empty()) return Fixed(Fault::kNoFindText, kRequestAddFind, kStatementNoFind);

  const std::vector<std::wstring> documents = RunDocuments(input);

  // Replacement lines for each document of the run, in run order.
  std::vector<std::vector<std::wstring>> replaces;
  if (input.mode == Mode::kSameText) {
    std::vector<std::wstring> shared = SplitLines(input.replaceBox);
    if (shared.empty()) return Fixed(Fault::kNoReplaceText, kRequestAddReplace, kStatementNoReplace);
    if (shared.size() != finds.size()) {
      return Fixed(Fault::kCountsDiffer, kRequestFixReplace, kStatementCountsDiffer);
    }
    replaces.assign(documents.size(), shared);
  } else {
    for (const PageInput& page : input.pages) {
      if (!page.path.empty()) replaces.push_back(SplitLines(page.replaceBox));
    }
    const bool anyReplace =
        std::any_of(replaces.begin(), replaces.end(), [](const auto& lines) { return !lines.empty(); });
    if (!anyReplace) return Fixed(Fault::kNoReplaceText, kRequestAddReplace, kStatementNoReplace);
  }

  for (std::size_t i = 0; i < finds.size(); ++i) {
    if (finds[i].empty()) {
      return CheckFault{Fault::kEmptyFindLine, RequestFillEmptyLine(i + 1), StatementEmptyLine(i + 1), i + 1};
    }
  }
  for (std::size_t i = 0; i < finds.size(); ++i) {
    if (EscapedLength(finds[i]) > kFindTextLimit) {
      return CheckFault{Fault::kFindLineTooLong, RequestShortenLine(i + 1), StatementLineTooLong(i + 1),
                        i + 1};
    }
  }

  if (documents.empty()) return Fixed(Fault::kNoDocument, kRequestAddDocument, kStatementNoDocument);

  RunPlan plan;
  plan.documents.reserve(documents.size());
  for (std::size_t i = 0; i < documents.size(); ++i) {
    PlannedDocument document{documents[i], i + 1, {}, std::nullopt};
    if (replaces[i].size() == finds.size()) {
      document.pairs = Pair(finds, std::move(replaces[i]));
    } else {
      document.skipped = Outcome::kMismatch;
    }
    plan.documents.push_back(std::move(document));
  }
  return plan;
}

std::wstring ExtendedLengthPath(std::wstring_view path) {
  constexpr std::size_t kLongPath = 260;  // MAX_PATH, the first length the plain form cannot take
  const std::wstring given(path);
  if (path.size() < kLongPath) return given;
  std::wstring slashed(path);
  std::replace(slashed.begin(), slashed.end(), L'/', L'\\');
  if (slashed.starts_with(L"\\\\?\\") || slashed.starts_with(L"\\\\.\\")) return given;
  for (std::size_t at = 0; at < slashed.size();) {
    const std::size_t end = std::min(slashed.find(L'\\', at), slashed.size());
    const std::wstring_view part = std::wstring_view(slashed).substr(at, end - at);
    if (part == L"." || part == L"..") return given;
    at = end + 1;
  }
  const bool drive =
      slashed.size() >= 3 && slashed[1] == L':' && slashed[2] == L'\\' &&
      ((slashed[0] >= L'A' && slashed[0] <= L'Z') || (slashed[0] >= L'a' && slashed[0] <= L'z'));
  if (drive) return L"\\\\?\\" + slashed;
  if (slashed.starts_with(L"\\\\") && slashed.size() > 2 && slashed[2] != L'\\') {
    return L"\\\\?\\UNC\\" + slashed.substr(2);
  }
  return given;
}

std::vector<std::vector<std::size_t>> ServerBatches(const RunPlan& plan, std::size_t perServer) {
  std::vector<std::vector<std::size_t>> batches;
  perServer = std::max<std::size_t>(perServer, 1);
  for (std::size_t i = 0; i < plan.documents.size(); ++i) {
    if (plan.documents[i].skipped) continue;
    if (batches.empty() || batches.back().size() == perServer) batches.emplace_back();
    batches.back().push_back(i);
  }
  return batches;
}

}  // namespace velmora
