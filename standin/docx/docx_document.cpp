#include "docx_document.h"

#include "docx_body.h"
#include "docx_file.h"
#include "docx_find.h"
#include "docx_text.h"
#include "docx_xml.h"
#include "docx_zip.h"

namespace docx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCompoundFileMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kOfficeDocumentTypes[] = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
    "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument",
};

std::u16string Ascii(std::string_view text) {
  return Utf8ToUtf16Lenient(text);
}

// An encrypted .docx is a compound file holding the encrypted package as a stream of this name.
bool HoldsEncryptedPackage(std::string_view bytes) {
  std::string name;
  for (char c : std::string_view("EncryptedPackage")) name += {c, '\0'};
  return bytes.find(name) != std::string_view::npos;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The zip entry name of a relationship target of the package's root relationships.
std::string PartNameOf(std::string_view target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && HexValue(target[i + 1]) >= 0 &&
        HexValue(target[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexValue(target[i + 1]) * 16 + HexValue(target[i + 2])));
      i += 2;
    } else {
      decoded.push_back(target[i] == '\\' ? '/' : target[i]);
    }
  }
  std::vector<std::string> segments;
  std::size_t at = 0;
  while (at <= decoded.size()) {
    std::size_t slash = decoded.find('/', at);
    if (slash == std::string::npos) slash = decoded.size();
    const std::string segment = decoded.substr(at, slash - at);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    at = slash + 1;
  }
  std::string name;
  for (const std::string& segment : segments) name += (name.empty() ? "" : "/") + segment;
  return name;
}

// The target of the package's officeDocument relationship, or an empty string.
std::optional<std::string> MainPartTarget(std::string_view rels) {
  xml::Reader reader(rels);
  xml::Event e;
  std::string target;
  while (reader.Next(e)) {
    if (e.kind != xml::EventKind::StartTag || e.localName != "Relationship" || !target.empty()) continue;
    std::string type, candidate, mode;
    for (const xml::Attribute& a : reader.Attributes()) {
      std::string* into = a.qualifiedName == "Type"         ? &type
                          : a.qualifiedName == "Target"     ? &candidate
                          : a.qualifiedName == "TargetMode" ? &mode
                                                            : nullptr;
      if (into) xml::AppendDecoded(a.rawValue, *into);
    }
    for (std::string_view officeDocument : kOfficeDocumentTypes) {
      if (type == officeDocument && mode != "External") target = candidate;
    }
  }
  if (reader.Failed()) return std::nullopt;
  return target;
}

}  // namespace

struct Document::State {
  fs::path path;
  std::string package;  // the file's bytes as last read or written
  zip::Archive archive;
  std::size_t mainEntry = 0;
  std::string mainXml;
  Body body;
  bool changed = false;
};

Document::Document(std::unique_ptr<State> state) : state_(std::move(state)) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

std::optional<Document> Document::Open(const fs::path& path, Error& error) {
  auto fail = [&error, &path](std::u16string message) -> std::optional<Document> {
    error.message = std::move(message) + u" (" + PathText(path) + u")";
    return std::nullopt;
  };
  auto state = std::make_unique<State>();
  state->path = path;
  auto bytes = ReadWholeFile(path, zip::kMaxPackageBytes, error);
  if (!bytes) return std::nullopt;
  state->package = std::move(*bytes);
  const std::string_view package = state->package;

  if (package.starts_with(kCompoundFileMagic)) {
    if (HoldsEncryptedPackage(package)) return fail(u"The document is encrypted (password protected).");
    return fail(u"The file is a binary Word 97-2003 document (.doc), not a .docx package.");
  }
  Error zipError;
  auto archive = zip::ReadArchive(package, zipError);
  if (!archive) return fail(zipError.message);
  state->archive = std::move(*archive);

  if (!zip::FindEntry(state->archive, "[Content_Types].xml")) {
    return fail(u"The package has no content types, so it is not a word-processing document.");
  }
  const zip::Entry* relsEntry = zip::FindEntry(state->archive, "_rels/.rels");
  if (!relsEntry) return fail(u"The package has no relationships, so no main document part.");
  std::size_t budget = zip::kMaxInflatedBytes;
  auto rels = zip::Extract(package, *relsEntry, budget, zipError);
  if (!rels) return fail(zipError.message);
  const std::optional<std::string> target = MainPartTarget(*rels);
  if (!target) return fail(u"The package relationships (_rels/.rels) are not well-formed XML.");
  if (target->empty()) return fail(u"The package has no main document part.");
  const std::string partName = PartNameOf(*target);
  const zip::Entry* mainEntry = zip::FindEntry(state->archive, partName);
  if (!mainEntry) return fail(u"The package has no main document part " + Ascii(partName) + u".");
  state->mainEntry = static_cast<std::size_t>(mainEntry - state->archive.entries.data());

  auto mainXml = zip::Extract(package, *mainEntry, budget, zipError);
  if (!mainXml) return fail(zipError.message);
  state->mainXml = std::move(*mainXml);
  std::string xmlError;
  auto body = ReadBody(state->mainXml, xmlError);
  if (!body) return fail(u"The main document part is not well-formed: " + Ascii(xmlError) + u".");
  state->body = std::move(*body);
  return Document(std::move(state));
}

std::variant<std::size_t, Error> Document::ReplaceAll(const FindRequest& request) {
  auto compiled = CompileFind(request);
  if (auto* error = std::get_if<Error>(&compiled)) return *error;
  std::string xml;
  const std::size_t count =
      ReplaceInBody(state_->body, state_->mainXml, std::get<CompiledFind>(compiled), xml);
  if (count == 0) return count;
  std::string xmlError;
  auto body = ReadBody(xml, xmlError);
  if (!body) return Error{u"The replacement made the document malformed: " + Ascii(xmlError) + u"."};
  state_->mainXml = std::move(xml);
  state_->body = std::move(*body);
  state_->changed = true;
  return count;
}

bool Document::Changed() const {
  return state_->changed;
}

bool Document::Save(Error& error) {
  State& s = *state_;
  const zip::Entry* replaced = s.changed ? &s.archive.entries[s.mainEntry] : nullptr;
  std::string bytes = zip::WriteArchive(s.package, s.archive, replaced, s.mainXml);
  if (!ReplaceFileContents(s.path, bytes, error)) return false;
  // What is on disk now is what later saves start from.
  Error ignored;
  if (auto archive = zip::ReadArchive(bytes, ignored)) {
    s.archive = std::move(*archive);
    s.package = std::move(bytes);
    s.changed = false;
  }
  return true;
}

const fs::path& Document::Path() const {
  return state_->path;
}

std::vector<std::u16string> Document::ParagraphTexts() const {
  std::vector<std::u16string> texts;
  texts.reserve(state_->body.paragraphs.size());
  for (const Body::Paragraph& p : state_->body.paragraphs) texts.push_back(ParagraphText(state_->body, p));
  return texts;
}

}  // namespace docx
