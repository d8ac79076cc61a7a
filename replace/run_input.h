// What a main window hands to the replacement run at the click of its start button, the checks made
// before any document is opened, and the plan the run then follows.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "replace/texts.h"

namespace velmora {

enum class Mode {
  kSameText,     // mode one: every document gets the same replacement texts
  kPerDocument,  // mode two: each document page has its own replacement texts
};

// One document page of mode two.
struct PageInput {
  std::wstring path;        // the page's path box; empty when the page has no document
  std::wstring replaceBox;  // the page's replacement box, as typed
};

inline constexpr std::size_t kDocumentPages = 5;

struct RunInput {
  Mode mode = Mode::kSameText;
  std::vector<std::wstring> documents;          // mode one: the file list, in list order
  std::wstring findBox;                         // both modes: the texts to be replaced
  std::wstring replaceBox;                      // mode one: the replacement texts
  std::array<PageInput, kDocumentPages> pages;  // mode two
};

// A box's lines. CR LF, a lone CR and a lone LF each end a line; one line break at the very end of the box
// ends the last line and makes no line of its own; every other line counts, blank ones too. An empty box
// has no lines.
std::vector<std::wstring> SplitLines(std::wstring_view box);

// The documents of a run in run order: mode one the listed files, mode two the pages that have a path, in
// page order.
std::vector<std::wstring> RunDocuments(const RunInput& input);

enum class Fault {
  kNoFindText,
  kNoReplaceText,
  kCountsDiffer,
  kEmptyFindLine,
  kFindLineTooLong,
  kNoDocument,
};

// Why a run is not started: shown as a message box with `request` as its text and `statement` as its
// caption.
struct CheckFault {
  Fault fault;
  std::wstring request;
  std::wstring statement;
  std::size_t line = 0;  // the 1-based line of the texts to be replaced it speaks of, or 0
};

struct ReplacePair {
  std::wstring find;
  std::wstring replace;
  bool operator==(const ReplacePair&) const = default;
};

struct PlannedDocument {
  std::wstring path;
  std::size_t ordinal = 0;         // 1-based, in run order
  std::vector<ReplacePair> pairs;  // in the order of the lines; empty when skipped
  std::optional<Outcome> skipped;  // set when the document is left untouched, with the reason
};

struct RunPlan {
  std::vector<PlannedDocument> documents;
};

// Checks the input in a fixed order and gives the first fault found, or the plan of the run.
std::variant<RunPlan, CheckFault> CheckRun(const RunInput& input);

// The form of a document's path that file functions take even past MAX_PATH characters: a full path
// (C:\... or \\server\share\...) of 260 characters or more gets the \\?\ prefix, with every / turned
// into \. Shorter paths, paths already in that form, relative paths and paths with a . or .. part (which
// that form would take literally) come back as they are.
std::wstring ExtendedLengthPath(std::wstring_view path);

// How many documents one server opens before the run quits it and starts a fresh one.
inline constexpr std::size_t kDocumentsPerServer = 20;

// The documents the run has to open (those not skipped), as indices into plan.documents, in run order,
// at most `perServer` a batch.
std::vector<std::vector<std::size_t>> ServerBatches(const RunPlan& plan,
                                                    std::size_t perServer = kDocumentsPerServer);

}  // namespace velmora
