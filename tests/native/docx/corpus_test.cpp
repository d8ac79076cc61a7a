// Every sample document: opened, a word of it replaced, saved; the other entries keep their bytes, and an
// independent reader (python-docx, read_docx.py) sees the replacement.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "docx_document.h"
#include "docx_text.h"
#include "test_package.h"

namespace docx {
namespace {

namespace fs = std::filesystem;

// A paragraph text as Python's json.dumps writes it (ASCII only).
std::string JsonString(const std::u16string& text) {
  std::string out = "\"";
  for (char16_t c : text) {
    switch (c) {
      case u'"':
        out += "\\\"";
        break;
      case u'\\':
        out += "\\\\";
        break;
      case u'\n':
        out += "\\n";
        break;
      case u'\r':
        out += "\\r";
        break;
      case u'\t':
        out += "\\t";
        break;
      case u'\b':
        out += "\\b";
        break;
      case u'\f':
        out += "\\f";
        break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out.push_back(static_cast<char>(c));
        } else {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        }
    }
  }
  return out + "\"";
}

// Lines printed by the independent reader for a file, or a line saying why there are none.
std::vector<std::string> ReadWithPython(const fs::path& file) {
  struct PipeCloser {
    void operator()(FILE* f) const { pclose(f); }
  };
  const std::string command =
      std::string(VELMORA_SYSTEM_PYTHON) + " '" + VELMORA_READ_DOCX_SCRIPT + "' '" + file.string() + "' 2>&1";
  std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
  if (!pipe) return {"<cannot start python>"};
  std::vector<std::string> lines;
  std::string line;
  for (int c = std::fgetc(pipe.get()); c != EOF; c = std::fgetc(pipe.get())) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The first run of three or more ASCII letters in the text, as read_docx.py picks it.
std::u16string PickWord(const std::vector<std::u16string>& texts) {
  static const std::regex word("[A-Za-z]{3,}");
  for (const std::u16string& text : texts) {
    std::string ascii;
    for (char16_t c : text) ascii.push_back(c < 0x80 ? static_cast<char>(c) : ' ');
    std::smatch match;
    if (std::regex_search(ascii, match, word)) return Utf8ToUtf16Lenient(match.str());
  }
  return {};
}

std::size_t ReplaceEvery(std::u16string& text, const std::u16string& word, const std::u16string& with) {
  std::size_t count = 0;
  for (std::size_t at = text.find(word); at != std::u16string::npos; at = text.find(word, at + with.size())) {
    text.replace(at, word.size(), with);
    ++count;
  }
  return count;
}

std::vector<fs::path> CorpusFiles() {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(VELMORA_DOCX_CORPUS, error)) {
    if (entry.path().extension() == ".docx") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(Corpus, EveryDocumentRoundTrips) {
  const std::vector<fs::path> files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no sample documents in " << VELMORA_DOCX_CORPUS;
  const bool havePython = fs::exists(VELMORA_SYSTEM_PYTHON) && fs::exists(VELMORA_READ_DOCX_SCRIPT);
  test::TempDir dir;
  std::size_t replacedFiles = 0;
  for (const fs::path& source : files) {
    SCOPED_TRACE(source.filename().string());
    const fs::path path = dir.Path() / source.filename();
    fs::copy_file(source, path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const std::string original = test::ReadBytes(path);

    Error error;
    auto document = Document::Open(path, error);
    ASSERT_TRUE(document) << ToUtf8(error.message);
    std::vector<std::u16string> expected = document->ParagraphTexts();
    if (havePython) {
      std::vector<std::string> json;
      for (const std::u16string& text : expected) json.push_back(JsonString(text));
      EXPECT_EQ(ReadWithPython(path), json) << "the two readers disagree before any change";
    }
    const std::u16string word = PickWord(expected);
    if (word.empty()) continue;  // nothing to replace in it

    const std::u16string replacement = u"[" + word + u"]";
    std::size_t expectedCount = 0;
    for (std::u16string& text : expected) expectedCount += ReplaceEvery(text, word, replacement);
    const auto count =
        document->ReplaceAll({.findText = word, .replaceWith = replacement, .matchCase = true});
    ASSERT_TRUE(std::holds_alternative<std::size_t>(count));
    EXPECT_EQ(std::get<std::size_t>(count), expectedCount);
    ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
    ++replacedFiles;

    const std::string saved = test::ReadBytes(path);
    EXPECT_EQ(test::ChangedEntries(original, saved, "").size(), 1u) << "only the main part may change";
    auto reopened = Document::Open(path, error);
    ASSERT_TRUE(reopened) << ToUtf8(error.message);
    EXPECT_EQ(reopened->ParagraphTexts(), expected);
    if (havePython) {
      std::vector<std::string> json;
      for (const std::u16string& text : expected) json.push_back(JsonString(text));
      EXPECT_EQ(ReadWithPython(path), json);
    }
  }
  EXPECT_GT(replacedFiles, files.size() / 2);
  EXPECT_EQ(dir.Names().size(), files.size()) << "a temporary file was left behind";
}

}  // namespace
}  // namespace docx
