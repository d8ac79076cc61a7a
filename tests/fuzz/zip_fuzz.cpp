// Fuzz target of the package reader: any bytes are read as a zip package; what is accepted must describe
// entries inside the file, inflate within the caps, and survive being written back with one entry
// replaced and read again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "docx_document.h"
#include "docx_text.h"
#include "docx_zip.h"
#include "fuzz_check.h"

namespace {

using velmora::fuzz::Require;
namespace zip = docx::zip;

void CheckLayout(const zip::Archive& archive, std::size_t size) {
  Require(archive.centralBegin <= archive.endRecord && archive.endRecord < size, "directory inside the file");
  for (const zip::Entry& e : archive.entries) {
    Require(e.localOffset < e.dataOffset && e.dataOffset <= e.localEnd, "local header before its data");
    Require(e.dataOffset + e.compressedSize <= e.localEnd, "data inside the entry");
    Require(e.localEnd <= archive.centralBegin, "entry before the central directory");
    Require(e.centralOffset >= archive.centralBegin && e.centralOffset < e.centralEnd &&
                e.centralEnd <= archive.endRecord,
            "central record inside the directory");
    // (The lookup is linear; a package of many entries checks its first ones.)
    if (&e - archive.entries.data() < 64)
      Require(zip::FindEntry(archive, e.name) == &e, "each name found as itself");
  }
}

// Every entry's content, or nullopt where it cannot be read; the budget must fall by what was read.
std::vector<std::optional<std::string>> ExtractAll(std::string_view bytes, const zip::Archive& archive) {
  std::vector<std::optional<std::string>> contents;
  std::size_t budget = zip::kMaxInflatedBytes;
  for (const zip::Entry& e : archive.entries) {
    docx::Error error;
    const std::size_t before = budget;
    std::optional<std::string> content = zip::Extract(bytes, e, budget, error);
    if (content) {
      Require(content->size() == e.uncompressedSize, "an entry inflates to its size");
      Require(before - budget == content->size(), "the budget falls by what was inflated");
    } else {
      Require(!error.message.empty() && budget == before, "a refused entry says why and costs nothing");
    }
    contents.push_back(std::move(content));
  }
  return contents;
}

// A file of this process for the whole engine to open and store; removed at exit.
struct ScratchFile {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("velmora-zip-fuzz-" + std::to_string(std::random_device{}()) + ".docx");
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

// The package through the whole engine: opened from a file, a Replace All, stored, opened again; the
// stored document must read as the replaced one did.
void CheckDocument(std::string_view bytes) {
  static const ScratchFile scratch;
  {
    std::ofstream file(scratch.path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(file.good(), "the scratch file is written");
  }
  docx::Error error;
  std::optional<docx::Document> document = docx::Document::Open(scratch.path, error);
  if (!document) {
    Require(!error.message.empty(), "a refused document says why");
    return;
  }
  const std::size_t paragraphs = document->ParagraphTexts().size();
  const auto replaced = document->ReplaceAll({u"e", u"^&E^t", false, false});
  Require(std::holds_alternative<std::size_t>(replaced), "a valid Replace All on an open document works");
  const std::vector<std::u16string> texts = document->ParagraphTexts();
  Require(texts.size() == paragraphs, "a replacement keeps the paragraphs");
  Require(document->Changed() == (std::get<std::size_t>(replaced) != 0), "changed exactly when replaced");
  docx::Error saveError;
  Require(document->Save(saveError), "the document is stored");
  std::optional<docx::Document> again = docx::Document::Open(scratch.path, error);
  Require(again.has_value(), "the stored document opens again");
  Require(again->ParagraphTexts() == texts, "the stored document reads as replaced");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  docx::Error error;
  const std::optional<zip::Archive> archive = zip::ReadArchive(bytes, error);
  if (!archive) {
    Require(!error.message.empty(), "a refused package says why");
    return 0;
  }
  CheckLayout(*archive, size);
  // Only a package with these parts can open as a document; others need no file written.
  if (zip::FindEntry(*archive, "[Content_Types].xml") && zip::FindEntry(*archive, "_rels/.rels")) {
    CheckDocument(bytes);
  }
  const std::vector<std::optional<std::string>> contents = ExtractAll(bytes, *archive);

  // Write it back with the first readable entry changed (as the engine does with the main part), or with
  // nothing changed when no entry can be read.
  const zip::Entry* replaced = nullptr;
  std::string newContent;
  for (std::size_t i = 0; i < contents.size() && !replaced; ++i) {
    if (!contents[i]) continue;
    replaced = &archive->entries[i];
    newContent = *contents[i] + "<!-- changed -->";
  }
  const std::string written = zip::WriteArchive(bytes, *archive, replaced, newContent);
  // A package without entries comes back as a bare end record, which is no document and is refused.
  if (archive->entries.empty()) return 0;
  docx::Error againError;
  const std::optional<zip::Archive> again = zip::ReadArchive(written, againError);
  if (!again) std::fprintf(stderr, "re-read: %s\n", docx::ToUtf8(againError.message).c_str());
  Require(again.has_value(), "a package written back reads again");
  CheckLayout(*again, written.size());
  Require(again->entries.size() == archive->entries.size(), "the same number of entries");
  const std::vector<std::optional<std::string>> contentsAgain = ExtractAll(written, *again);
  for (std::size_t i = 0; i < contents.size(); ++i) {
    Require(again->entries[i].name == archive->entries[i].name, "the same names in the same order");
    if (&archive->entries[i] == replaced) {
      Require(contentsAgain[i] == newContent, "the replaced entry holds the new content");
    } else {
      Require(contentsAgain[i] == contents[i], "every other entry reads as before");
    }
  }
  return 0;
}
