#include "docx_xml.h"

#include <string>

#include "docx_text.h"

namespace docx::xml {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
  return !IsSpace(c) && c != '<' && c != '>' && c != '/' && c != '=' && c != '"' && c != '\'' && c != '&' &&
         c != '?' && c != '!';
}

Namespace Classify(std::string_view uri) {
  if (uri.empty()) return Namespace::None;
  if (uri == "http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
      uri == "http://purl.oclc.org/ooxml/wordprocessingml/main") {
    return Namespace::Word;
  }
  if (uri == "http://schemas.openxmlformats.org/markup-compatibility/2006")
    return Namespace::MarkupCompatibility;
  if (uri == "http://schemas.openxmlformats.org/officeDocument/2006/math" ||
      uri == "http://purl.oclc.org/ooxml/officeDocument/math") {
    return Namespace::Math;
  }
  return Namespace::Other;
}

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendCodePoint(char32_t cp, std::string& out) {
  std::u16string units;
  if (cp >= 0x10000) {
    units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
    units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
  } else {
    units.push_back(static_cast<char16_t>(cp));
  }
  AppendUtf8(units, out);
}

// Resolves the reference that starts at raw[i] == '&'; on success appends it and moves i past the ';'.
bool AppendReference(std::string_view raw, std::size_t& i, std::string& out) {
  const std::size_t semi = raw.find(';', i);
  if (semi == std::string_view::npos || semi - i > 12) return false;
  const std::string_view name = raw.substr(i + 1, semi - i - 1);
  i = semi + 1;
  if (name == "amp") return out.push_back('&'), true;
  if (name == "lt") return out.push_back('<'), true;
  if (name == "gt") return out.push_back('>'), true;
  if (name == "quot") return out.push_back('"'), true;
  if (name == "apos") return out.push_back('\''), true;
  if (name.size() < 2 || name[0] != '#') return false;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return false;
  char32_t cp = 0;
  for (char d : digits) {
    int v = -1;
    if (d >= '0' && d <= '9') v = d - '0';
    if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
    if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
    if (v < 0) return false;
    cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(v);
    if (cp > 0x10FFFF) return false;
  }
  if (!IsXmlChar(cp)) return false;
  AppendCodePoint(cp, out);
  return true;
}

bool CheckReferences(std::string_view raw) {
  std::string scratch;
  for (std::size_t i = raw.find('&'); i != std::string_view::npos; i = raw.find('&', i)) {
    scratch.clear();
    if (!AppendReference(raw, i, scratch)) return false;
  }
  return true;
}

}  // namespace

bool CheckCharacters(std::string_view document, std::string& error) {
  const auto* p = reinterpret_cast<const unsigned char*>(document.data());
  const std::size_t n = document.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') {
        error = "control character at byte " + std::to_string(i);
        return false;
      }
      ++i;
      continue;
    }
    const int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    bool ok = extra > 0 && i + static_cast<std::size_t>(extra) < n;
    char32_t cp = extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; ok && k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    const char32_t min = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
    if (!ok || cp < min || !IsXmlChar(cp)) {
      error = "invalid UTF-8 or character at byte " + std::to_string(i);
      return false;
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

bool AppendDecoded(std::string_view raw, std::string& out) {
  std::size_t i = 0;
  while (i < raw.size()) {
    const std::size_t amp = raw.find('&', i);
    const std::size_t stop = amp == std::string_view::npos ? raw.size() : amp;
    out.append(raw.substr(i, stop - i));
    i = stop;
    if (amp != std::string_view::npos && !AppendReference(raw, i, out)) return false;
  }
  return true;
}

void AppendEscapedText(std::u16string_view text, std::string& out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char* escaped = c == u'&'    ? "&amp;"
                          : c == u'<'  ? "&lt;"
                          : c == u'>'  ? "&gt;"
                          : c == u'\r' ? "&#13;"
                                       : nullptr;
    if (!escaped) continue;
    AppendUtf8(text.substr(start, i - start), out);
    out += escaped;
    start = i + 1;
  }
  AppendUtf8(text.substr(start), out);
}

Reader::Reader(std::string_view document) : doc_(document) {
  if (doc_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool Reader::Fail(std::string what) {
  error_ = std::move(what) + " at byte " + std::to_string(pos_);
  return false;
}

void Reader::SkipSpace() {
  while (pos_ < doc_.size() && IsSpace(doc_[pos_])) ++pos_;
}

bool Reader::ReadName(std::string_view& name) {
  const std::size_t start = pos_;
  while (pos_ < doc_.size() && IsNameChar(doc_[pos_])) ++pos_;
  if (pos_ == start) return Fail("a name was expected");
  name = doc_.substr(start, pos_ - start);
  const char first = name.front();
  if ((first >= '0' && first <= '9') || first == '-' || first == '.' || first == ':' || name.back() == ':') {
    return Fail("bad name '" + std::string(name) + "'");
  }
  return true;
}

bool Reader::Resolve(std::string_view qualifiedName, Namespace& ns, std::string_view& localName) const {
  const std::size_t colon = qualifiedName.find(':');
  const std::string_view prefix =
      colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
  localName = colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
  for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
    if (it->prefix == prefix) {
      ns = it->ns;
      return true;
    }
  }
  ns = Namespace::None;
  return prefix.empty();  // an unprefixed name without a default namespace is in no namespace
}

bool Reader::Next(Event& event) {
  if (!error_.empty()) return false;
  if (pendingEnd_) {
    pendingEnd_ = false;
    const Open& open = open_.back();
    event.kind = EventKind::EndTag;
    event.begin = event.end = pos_;
    event.qualifiedName = open.qualifiedName;
    Resolve(open.qualifiedName, event.ns, event.localName);
    event.selfClosing = true;
    bindings_.resize(open.bindings);
    open_.pop_back();
    return true;
  }
  while (pos_ < doc_.size()) {
    const std::string_view rest = doc_.substr(pos_);
    if (rest[0] != '<') {
      const std::size_t lt = rest.find('<');
      const std::size_t len = lt == std::string_view::npos ? rest.size() : lt;
      const std::string_view text = rest.substr(0, len);
      if (open_.empty()) {
        for (char c : text) {
          if (!IsSpace(c)) return Fail("text outside the root element");
        }
        pos_ += len;
        continue;
      }
      if (!CheckReferences(text)) return Fail("malformed entity or character reference");
      event = Event{};
      event.kind = EventKind::Text;
      event.begin = pos_;
      event.end = pos_ + len;
      event.raw = text;
      pos_ += len;
      return true;
    }
    if (rest.starts_with("<?")) {
      const std::size_t close = rest.find("?>");
      if (close == std::string_view::npos) return Fail("unterminated processing instruction");
      pos_ += close + 2;
      continue;
    }
    if (rest.starts_with("<!--")) {
      const std::size_t close = rest.find("-->", 4);
      if (close == std::string_view::npos) return Fail("unterminated comment");
      pos_ += close + 3;
      continue;
    }
    if (rest.starts_with("<![CDATA[")) {
      if (open_.empty()) return Fail("CDATA outside the root element");
      const std::size_t close = rest.find("]]>");
      if (close == std::string_view::npos) return Fail("unterminated CDATA section");
      event = Event{};
      event.kind = EventKind::CData;
      event.begin = pos_;
      event.end = pos_ + close + 3;
      event.raw = rest.substr(9, close - 9);
      pos_ += close + 3;
      return true;
    }
    if (rest.starts_with("<!")) return Fail("document type declarations are not allowed");
    if (rest.starts_with("</")) return ReadEndTag(event);
    return ReadStartTag(event);
  }
  if (!open_.empty()) return Fail("end of document inside <" + std::string(open_.back().qualifiedName) + ">");
  if (!rootSeen_) return Fail("no root element");
  return false;
}

bool Reader::ReadStartTag(Event& event) {
  const std::size_t begin = pos_;
  if (open_.empty() && rootSeen_) return Fail("a second root element");
  ++pos_;
  std::string_view name;
  if (!ReadName(name)) return false;
  attributes_.clear();
  const std::size_t bindingsBefore = bindings_.size();
  bool selfClosing = false;
  while (true) {
    const std::size_t beforeSpace = pos_;
    SkipSpace();
    if (pos_ >= doc_.size()) return Fail("unterminated start tag");
    if (doc_[pos_] == '>') {
      ++pos_;
      break;
    }
    if (doc_[pos_] == '/') {
      if (pos_ + 1 >= doc_.size() || doc_[pos_ + 1] != '>') return Fail("'/' not followed by '>'");
      pos_ += 2;
      selfClosing = true;
      break;
    }
    if (pos_ == beforeSpace) return Fail("attributes must be separated by white space");
    Attribute attribute;
    if (!ReadName(attribute.qualifiedName)) return false;
    SkipSpace();
    if (pos_ >= doc_.size() || doc_[pos_] != '=') return Fail("'=' expected after an attribute name");
    ++pos_;
    SkipSpace();
    if (pos_ >= doc_.size() || (doc_[pos_] != '"' && doc_[pos_] != '\''))
      return Fail("quoted value expected");
    const char quote = doc_[pos_++];
    const std::size_t close = doc_.find(quote, pos_);
    if (close == std::string_view::npos) return Fail("unterminated attribute value");
    attribute.rawValue = doc_.substr(pos_, close - pos_);
    if (attribute.rawValue.find('<') != std::string_view::npos) return Fail("'<' in an attribute value");
    if (!CheckReferences(attribute.rawValue)) return Fail("malformed reference in an attribute value");
    pos_ = close + 1;
    for (const Attribute& seen : attributes_) {
      if (seen.qualifiedName == attribute.qualifiedName) return Fail("duplicate attribute");
    }
    attributes_.push_back(attribute);
    const std::string_view an = attribute.qualifiedName;
    if (an == "xmlns" || an.starts_with("xmlns:")) {
      std::string uri;
      AppendDecoded(attribute.rawValue, uri);
      const std::string_view prefix = an.size() > 5 ? an.substr(6) : std::string_view();
      if (!prefix.empty() && uri.empty()) return Fail("a namespace prefix bound to nothing");
      bindings_.push_back({prefix, Classify(uri)});
    }
  }
  Namespace ns;
  std::string_view localName;
  if (!Resolve(name, ns, localName)) {
    bindings_.resize(bindingsBefore);
    return Fail("undeclared namespace prefix in <" + std::string(name) + ">");
  }
  rootSeen_ = true;
  open_.push_back({name, bindingsBefore});
  event = Event{.kind = EventKind::StartTag,
                .begin = begin,
                .end = pos_,
                .qualifiedName = name,
                .localName = localName,
                .ns = ns,
                .selfClosing = selfClosing,
                .raw = {}};
  pendingEnd_ = selfClosing;
  return true;
}

bool Reader::ReadEndTag(Event& event) {
  const std::size_t begin = pos_;
  pos_ += 2;
  std::string_view name;
  if (!ReadName(name)) return false;
  SkipSpace();
  if (pos_ >= doc_.size() || doc_[pos_] != '>') return Fail("unterminated end tag");
  ++pos_;
  if (open_.empty() || open_.back().qualifiedName != name) {
    return Fail("</" + std::string(name) + "> does not close the open element");
  }
  event = Event{};
  event.kind = EventKind::EndTag;
  event.begin = begin;
  event.end = pos_;
  event.qualifiedName = name;
  Resolve(name, event.ns, event.localName);
  bindings_.resize(open_.back().bindings);
  open_.pop_back();
  return true;
}

}  // namespace docx::xml
