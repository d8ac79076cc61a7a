// Fuzz target of the package reader: any bytes are read as a zip package; what is accepted must describe
// entries inside the file, inflate within the caps, and survive being written back with one entry
// replaced and read again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
