// docx-replace FILE FIND REPLACE [--match-case] [--whole-word]
// Replaces all FIND by REPLACE in the main text of FILE, stores it if anything changed, and prints the
// number of replacements. Exit code 0 on success, 1 on a failure (message on stderr), 2 on bad usage.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "docx_document.h"
#include "docx_text.h"

#ifdef _WIN32
#define VELMORA_MAIN wmain
using ArgChar = wchar_t;
#else
#define VELMORA_MAIN main
using ArgChar = char;
#endif

namespace {

std::u16string ArgText(const ArgChar* arg) {
#ifdef _WIN32
  const std::wstring wide(arg);
  return std::u16string(wide.begin(), wide.end());
#else
  return docx::Utf8ToUtf16Lenient(arg);
#endif
}

int Failure(const docx::Error& error) {
  std::cerr << "docx-replace: " << docx::ToUtf8(error.message) << "\n";
  return 1;
}

}  // namespace

int VELMORA_MAIN(int argc, ArgChar** argv) {
  std::vector<std::u16string> positional;
  docx::FindRequest request;
  for (int i = 1; i < argc; ++i) {
    const std::u16string arg = ArgText(argv[i]);
    if (arg == u"--match-case") {
      request.matchCase = true;
    } else if (arg == u"--whole-word") {
      request.matchWholeWord = true;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 3) {
    std::cerr << "usage: docx-replace FILE FIND REPLACE [--match-case] [--whole-word]\n";
    return 2;
  }
  request.findText = positional[1];
  request.replaceWith = positional[2];

  docx::Error error;
#ifdef _WIN32
  const std::filesystem::path path(std::wstring(positional[0].begin(), positional[0].end()));
#else
  const std::filesystem::path path(docx::ToUtf8(positional[0]));
#endif
  auto document = docx::Document::Open(path, error);
  if (!document) return Failure(error);
  auto result = document->ReplaceAll(request);
  if (auto* failed = std::get_if<docx::Error>(&result)) return Failure(*failed);
  if (document->Changed() && !document->Save(error)) return Failure(error);
  std::cout << std::get<std::size_t>(result) << "\n";
  return 0;
}
