// Small packages built in memory for the engine's tests, and a temporary folder to put them in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace docx::test {

struct ZipPart {
  std::string name{};
  std::string data{};
  bool deflate = true;
  bool descriptor = false;       // sizes and CRC in a data descriptor after the data
  std::uint16_t extraFlags = 0;  // general purpose flags to set besides the descriptor bit
  std::string localExtra{};      // extra field of the local header
};

std::string MakeZip(const std::vector<ZipPart>& parts, std::string_view comment = {});

inline constexpr std::string_view kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr std::string_view kOfficeDocumentRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";

// A main document part around the given body content (the namespaces the tests use are declared).
std::string DocumentXml(std::string_view body);

// The parts of a small .docx: content types, package relationships naming `mainPart` with `relType`,
// the main part, and a few other entries in different zip forms (stored, data descriptor, extra field).
std::vector<ZipPart> DocxParts(std::string documentXml, std::string mainPart = "word/document.xml",
                               std::string relType = std::string(kOfficeDocumentRel));
std::string MakeDocx(std::string_view body);

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path Write(const std::string& name, std::string_view bytes) const;
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);

// The names of entries of `before` whose local header, data, data descriptor or central record (apart
// from its offset) differ in `after`, or that `after` lacks, leaving out the entry named `skip`; a
// description of the failure if either package does not read.
std::vector<std::string> ChangedEntries(std::string_view before, std::string_view after,
                                        std::string_view skip);

}  // namespace docx::test
