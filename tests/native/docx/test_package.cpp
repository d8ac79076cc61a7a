#include "test_package.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "docx_zip.h"

namespace docx::test {

namespace {

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::string RawDeflate(std::string_view data) {
  z_stream s{};
  deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

}  // namespace

std::string MakeZip(const std::vector<ZipPart>& parts, std::string_view comment) {
  std::string out;
  std::string central;
  for (const ZipPart& part : parts) {
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(part.data.data()), static_cast<uInt>(part.data.size())));
    const std::string stored = part.deflate ? RawDeflate(part.data) : part.data;
    const std::uint16_t flags = static_cast<std::uint16_t>(part.extraFlags | (part.descriptor ? 0x0008 : 0));
    const std::uint16_t method = part.deflate ? 8 : 0;
    const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, flags);
    Put16(out, method);
    Put16(out, 0x6000);  // 12:00
    Put16(out, 0x5921);  // 2024-09-01
    Put32(out, part.descriptor ? 0 : crc);
    Put32(out, part.descriptor ? 0 : static_cast<std::uint32_t>(stored.size()));
    Put32(out, part.descriptor ? 0 : static_cast<std::uint32_t>(part.data.size()));
    Put16(out, static_cast<std::uint32_t>(part.name.size()));
    Put16(out, static_cast<std::uint32_t>(part.localExtra.size()));
    out += part.name;
    out += part.localExtra;
    out += stored;
    if (part.descriptor) {
      Put32(out, 0x08074b50);
      Put32(out, crc);
      Put32(out, static_cast<std::uint32_t>(stored.size()));
      Put32(out, static_cast<std::uint32_t>(part.data.size()));
    }
    Put32(central, 0x02014b50);
    Put16(central, 0x031E);
    Put16(central, 20);
    Put16(central, flags);
    Put16(central, method);
    Put16(central, 0x6000);
    Put16(central, 0x5921);
    Put32(central, crc);
    Put32(central, static_cast<std::uint32_t>(stored.size()));
    Put32(central, static_cast<std::uint32_t>(part.data.size()));
    Put16(central, static_cast<std::uint32_t>(part.name.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0x81A40000);
    Put32(central, offset);
    central += part.name;
  }
  const std::uint32_t centralOffset = static_cast<std::uint32_t>(out.size());
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(parts.size()));
  Put16(out, static_cast<std::uint32_t>(parts.size()));
  Put32(out, static_cast<std::uint32_t>(central.size()));
  Put32(out, centralOffset);
  Put16(out, static_cast<std::uint32_t>(comment.size()));
  out += comment;
  return out;
}

std::string DocumentXml(std::string_view body) {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
             "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
             "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
             "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
             "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\" "
             "xmlns:v=\"urn:schemas-microsoft-com:vml\" "
             "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
             "<w:body>") +
         std::string(body) + "<w:sectPr/></w:body></w:document>";
}

std::vector<ZipPart> DocxParts(std::string documentXml, std::string mainPart, std::string relType) {
  const std::string contentTypes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/" +
      mainPart +
      "\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
      "</Types>";
  const std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/"
      "metadata/core-properties\" Target=\"docProps/core.xml\"/>"
      "<Relationship Id=\"rId1\" Type=\"" +
      relType + "\" Target=\"" + mainPart + "\"/></Relationships>";
  const std::string header =
      "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:p><w:r><w:t>alpha "
      "in "
      "the header</w:t></w:r></w:p></w:hdr>";
  return {
      {.name = "[Content_Types].xml", .data = contentTypes},
      {.name = "_rels/.rels", .data = rels},
      {.name = mainPart,
       .data = std::move(documentXml),
       .localExtra = std::string("UT\x05\x00\x03\x01\x02\x03\x04", 9)},
      {.name = "word/header1.xml", .data = header, .descriptor = true},
      {.name = "docProps/core.xml", .data = "<cp:coreProperties xmlns:cp=\"urn:x\"/>", .deflate = false},
      {.name = "word/media/image1.bin",
       .data = std::string("\x89PNG\r\n\x1a\n\0\0binary", 16),
       .deflate = false},
  };
}

std::string MakeDocx(std::string_view body) {
  return MakeZip(DocxParts(DocumentXml(body)));
}

TempDir::TempDir() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() / ("velmora-docx-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Read-only files left by a test must not keep the folder alive.
  for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::Write(const std::string& name, std::string_view bytes) const {
  const std::filesystem::path path = path_ / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path;
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> ChangedEntries(std::string_view before, std::string_view after,
                                        std::string_view skip) {
  Error error;
  const auto a = zip::ReadArchive(before, error);
  const auto b = zip::ReadArchive(after, error);
  if (!a || !b) return {"<package does not read>"};
  std::vector<std::string> changed;
  for (const zip::Entry& e : a->entries) {
    if (e.name == skip) continue;
    const zip::Entry* f = zip::FindEntry(*b, e.name);
    if (!f) {
      changed.push_back(e.name + " (missing)");
      continue;
    }
    const std::string_view local = before.substr(e.localOffset, e.localEnd - e.localOffset);
    const std::string_view localAfter = after.substr(f->localOffset, f->localEnd - f->localOffset);
    std::string record(before.substr(e.centralOffset, e.centralEnd - e.centralOffset));
    std::string recordAfter(after.substr(f->centralOffset, f->centralEnd - f->centralOffset));
    record.replace(42, 4, 4, '\0');
    recordAfter.replace(42, 4, 4, '\0');
    if (local != localAfter || record != recordAfter) changed.push_back(e.name);
  }
  return changed;
}

}  // namespace docx::test
