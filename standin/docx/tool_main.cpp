// docx-replace FILE FIND REPLACE [--match-case] [--whole-word]
//   Replaces all FIND by REPLACE in the main text of FILE, stores it if anything changed, and prints the
//   number of replacements.
// docx-replace --pairs PAIRS_FILE [--whole-word] DOC...
//   Batch mode, one process for many documents: applies every pair of PAIRS_FILE (UTF-8: texts to find one
//   per line, a line "----", replacement texts one per line) in line order, with case matched, to each
//   DOC, stores each changed one, and prints one line per document: the number of replacements, a tab,
//   the path. The pairs are checked before any document is opened; a document that fails is reported and
//   left as it was, and the others go on.
// Exit code 0 on success, 1 on a failure (message on stderr), 2 on bad usage.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "docx_document.h"
#include "docx_file.h"
#include "docx_find.h"
#include "docx_pairs.h"
#include "docx_text.h"

#ifdef _WIN32
#define VELMORA_MAIN wmain
using ArgChar = wchar_t;
#else
#define VELMORA_MAIN main
using ArgChar = char;
#endif

namespace {

constexpr std::size_t kMaxPairsFileBytes = std::size_t{16} << 20;

std::u16string ArgText(const ArgChar* arg) {
#ifdef _WIN32
  const std::wstring wide(arg);
  return std::u16string(wide.begin(), wide.end());
#else
  return docx::Utf8ToUtf16Lenient(arg);
#endif
}

std::filesystem::path PathOf(const ArgChar* arg) {
  return std::filesystem::path(arg);
}

int Failure(const docx::Error& error) {
  std::cerr << "docx-replace: " << docx::ToUtf8(error.message) << "\n";
  return 1;
}

int Usage() {
  std::cerr << "usage: docx-replace FILE FIND REPLACE [--match-case] [--whole-word]\n"
               "       docx-replace --pairs PAIRS_FILE [--whole-word] DOC...\n";
  return 2;
}

// Opens the document, replaces every pair in order and stores it if anything changed. False, with the
// error set, if any step fails; the file is then as it was.
bool ReplaceInDocument(const std::filesystem::path& path, const std::vector<docx::FindRequest>& requests,
                       std::size_t& count, docx::Error& error) {
  auto document = docx::Document::Open(path, error);
  if (!document) return false;
  count = 0;
  for (const docx::FindRequest& request : requests) {
    auto result = document->ReplaceAll(request);
    if (auto* failed = std::get_if<docx::Error>(&result)) {
      error.message = failed->message + u" (" + docx::PathText(path) + u")";
      return false;
    }
    count += std::get<std::size_t>(result);
  }
  return !document->Changed() || document->Save(error);
}

int RunBatch(const std::filesystem::path& pairsPath, const std::vector<const ArgChar*>& documents,
             bool wholeWord) {
  docx::Error error;
  const auto bytes = docx::ReadWholeFile(pairsPath, kMaxPairsFileBytes, error);
  if (!bytes) return Failure(error);
  auto parsed = docx::ParsePairsFile(*bytes);
  if (auto* failed = std::get_if<docx::Error>(&parsed)) return Failure(*failed);
  std::vector<docx::FindRequest> requests;
  std::size_t line = 0;
  for (const docx::ReplacePair& pair : std::get<std::vector<docx::ReplacePair>>(parsed)) {
    ++line;
    docx::FindRequest request{.findText = pair.find,
                              .replaceWith = pair.replaceWith,
                              .matchCase = true,
                              .matchWholeWord = wholeWord};
    if (auto compiled = docx::CompileFind(request); auto* failed = std::get_if<docx::Error>(&compiled)) {
      std::cerr << "docx-replace: pair " << line << ": " << docx::ToUtf8(failed->message) << "\n";
      return 1;
    }
    requests.push_back(std::move(request));
  }
  int exitCode = 0;
  for (const ArgChar* document : documents) {
    const std::filesystem::path path = PathOf(document);
    std::size_t count = 0;
    if (ReplaceInDocument(path, requests, count, error)) {
      std::cout << count << "\t" << docx::ToUtf8(docx::PathText(path)) << "\n";
    } else {
      exitCode = Failure(error);
    }
  }
  return exitCode;
}

}  // namespace

int VELMORA_MAIN(int argc, ArgChar** argv) {
  std::vector<const ArgChar*> positional;
  const ArgChar* pairsFile = nullptr;
  docx::FindRequest request;
  for (int i = 1; i < argc; ++i) {
    const std::u16string arg = ArgText(argv[i]);
    if (arg == u"--match-case") {
      request.matchCase = true;
    } else if (arg == u"--whole-word") {
      request.matchWholeWord = true;
    } else if (arg == u"--pairs") {
      if (pairsFile || i + 1 == argc) return Usage();
      pairsFile = argv[++i];
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (pairsFile) {
    if (positional.empty()) return Usage();
    return RunBatch(PathOf(pairsFile), positional, request.matchWholeWord);
  }
  if (positional.size() != 3) return Usage();
  request.findText = ArgText(positional[1]);
  request.replaceWith = ArgText(positional[2]);

  docx::Error error;
  auto document = docx::Document::Open(PathOf(positional[0]), error);
  if (!document) return Failure(error);
  auto result = document->ReplaceAll(request);
  if (auto* failed = std::get_if<docx::Error>(&result)) return Failure(*failed);
  if (document->Changed() && !document->Save(error)) return Failure(error);
  std::cout << std::get<std::size_t>(result) << "\n";
  return 0;
}
