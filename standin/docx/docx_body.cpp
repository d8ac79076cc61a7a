#include "docx_body.h"

#include <initializer_list>
#include <string>

#include "docx_text.h"
#include "docx_xml.h"

namespace docx {

namespace {

using xml::EventKind;
using xml::Namespace;

constexpr char16_t kObjectShown = u'\uFFFC';

// What an open element is to the body walk.
enum class Role : std::uint8_t {
  Outside,    // above w:document
  Document,   // w:document
  Block,      // w:body and block-level containers (tables, rows, cells, content controls)
  Paragraph,  // w:p
  Inline,     // containers inside a paragraph whose runs are text (hyperlinks, insertions, ...)
  Run,        // w:r
  TextSlot,   // w:t of a run
  TabSlot,    // w:tab of a run
  Skip,       // not main text
};

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names) {
    if (n == name) return true;
  }
  return false;
}

bool IsWord(const xml::Event& e, std::string_view local) {
  return e.ns == Namespace::Word && e.localName == local;
}

class BodyWalk {
 public:
  explicit BodyWalk(std::string_view document) : reader_(document) {}

  std::optional<Body> Run(std::string& error) {
    xml::Event e;
    while (reader_.Next(e)) {
      bool ok = true;
      switch (e.kind) {
        case EventKind::StartTag:
          ok = Start(e);
          break;
        case EventKind::EndTag:
          End(e);
          break;
        case EventKind::Text:
          if (!roles_.empty() && roles_.back() == Role::TextSlot) ok = xml::AppendDecoded(e.raw, text_);
          break;
        case EventKind::CData:
          if (!roles_.empty() && roles_.back() == Role::TextSlot) text_.append(e.raw);
          break;
      }
      if (!ok) {
        if (error_.empty()) error_ = "bad text in a w:t element at byte " + std::to_string(e.begin);
        break;
      }
    }
    if (reader_.Failed()) error_ = reader_.Error();
    if (error_.empty() && !sawDocument_) error_ = "the root element is not w:document";
    if (!error_.empty()) {
      error = error_;
      return std::nullopt;
    }
    return std::move(body_);
  }

 private:
  Role Parent() const { return roles_.empty() ? Role::Outside : roles_.back(); }

  void AddObject(char16_t shown) { body_.items.push_back({Body::kObject, shown}); }

  Role RoleInRun(const xml::Event& e) {
    if (e.ns == Namespace::Word) {
      if (e.localName == "t") {
        if (e.selfClosing) return Role::Skip;  // an empty <w:t/>: nothing to find in it
        body_.slots.push_back({.begin = e.begin,
                               .end = e.end,
                               .tab = false,
                               .prefix = Prefix(e),
                               .declarations = Declarations(),
                               .text = {}});
        text_.clear();
        return Role::TextSlot;
      }
      if (e.localName == "tab") {
        body_.slots.push_back({.begin = e.begin,
                               .end = e.end,
                               .tab = true,
                               .prefix = Prefix(e),
                               .declarations = Declarations(),
                               .text = {}});
        body_.items.push_back({static_cast<std::uint32_t>(body_.slots.size() - 1), u'\t'});
        return Role::TabSlot;
      }
      if (IsOneOf(e.localName, {"rPr", "lastRenderedPageBreak", "delText", "instrText", "delInstrText"})) {
        return Role::Skip;
      }
      if (e.localName == "br") {
        AddObject(BreakType() == "page" ? u'\f' : u'\v');
        return Role::Skip;
      }
      if (e.localName == "cr") {
        AddObject(u'\v');
        return Role::Skip;
      }
    }
    AddObject(kObjectShown);  // pictures, symbols, note references, field marks, ...
    return Role::Skip;
  }

  std::string_view BreakType() const {
    for (const xml::Attribute& a : reader_.Attributes()) {
      const std::string_view n = a.qualifiedName;
      if (n == "type" || (n.size() > 5 && n.ends_with(":type"))) return a.rawValue;
    }
    return {};
  }

  // The namespace declarations of the last start tag, as attributes to write again: an element written in
  // its place may use a prefix that only its own start tag declared.
  std::string Declarations() const {
    std::string out;
    for (const xml::Attribute& a : reader_.Attributes()) {
      const std::string_view n = a.qualifiedName;
      if (n != "xmlns" && !n.starts_with("xmlns:")) continue;
      const char quote = a.rawValue.find('"') == std::string_view::npos ? '"' : '\'';
      out.append(" ").append(n).append("=").append(1, quote).append(a.rawValue).append(1, quote);
    }
    return out;
  }

  static std::string Prefix(const xml::Event& e) {
    return std::string(e.qualifiedName.substr(0, e.qualifiedName.size() - e.localName.size()));
  }

  bool Start(const xml::Event& e) {
    Role role = Role::Skip;
    switch (Parent()) {
      case Role::Outside:
        if (!IsWord(e, "document")) {
          error_ = "the root element is not w:document";
          return false;
        }
        sawDocument_ = true;
        role = Role::Document;
        break;
      case Role::Document:
        role = IsWord(e, "body") ? Role::Block : Role::Skip;
        break;
      case Role::Block:
        if (IsWord(e, "p")) {
          body_.paragraphs.push_back({.firstItem = body_.items.size(), .endItem = body_.items.size()});
          role = Role::Paragraph;
        } else if (e.ns == Namespace::Word &&
                   !IsOneOf(e.localName, {"txbxContent", "del", "moveFrom", "sectPr", "sdtPr", "sdtEndPr",
                                          "tblPr", "tblGrid", "trPr", "tcPr", "customXmlPr"})) {
          role = Role::Block;
        }
        break;
      case Role::Paragraph:
      case Role::Inline:
        if (e.ns == Namespace::Word) {
          if (e.localName == "r") {
            role = Role::Run;
          } else if (IsOneOf(e.localName, {"hyperlink", "smartTag", "customXml", "sdt", "sdtContent",
                                           "fldSimple", "ins", "moveTo", "dir", "bdo"})) {
            role = Role::Inline;
          } else if (e.localName == "p") {
            error_ = "a paragraph inside a paragraph at byte " + std::to_string(e.begin);
            return false;
          }
        } else if (e.ns == Namespace::MarkupCompatibility || e.ns == Namespace::Math) {
          AddObject(kObjectShown);  // a drawing's alternatives or an equation: one object in the text
        }
        break;
      case Role::Run:
        role = RoleInRun(e);
        break;
      case Role::TextSlot:
        error_ = "an element inside w:t at byte " + std::to_string(e.begin);
        return false;
      case Role::TabSlot:
      case Role::Skip:
        break;
    }
    roles_.push_back(role);
    return true;
  }

  void End(const xml::Event& e) {
    const Role role = roles_.back();
    roles_.pop_back();
    if (role == Role::Paragraph) {
      body_.paragraphs.back().endItem = body_.items.size();
    } else if (role == Role::TextSlot || role == Role::TabSlot) {
      Body::Slot& slot = body_.slots.back();
      slot.end = e.end;
      if (role == Role::TabSlot) return;
      Utf8ToUtf16(text_, slot.text);  // the reader has checked the part's UTF-8
      if (slot.text.empty()) {
        body_.slots.pop_back();  // nothing to find in it, nothing to rewrite
      } else {
        body_.items.push_back({static_cast<std::uint32_t>(body_.slots.size() - 1), 0});
      }
    }
  }

  xml::Reader reader_;
  std::vector<Role> roles_;
  Body body_;
  std::string text_;
  std::string error_;
  bool sawDocument_ = false;
};

// Writes a touched slot's new content: text goes into w:t elements, tabs become w:tab elements.
class SlotWriter {
 public:
  SlotWriter(const Body::Slot& slot, std::string& out)
      : prefix_(slot.prefix), declarations_(slot.declarations), out_(out) {}
  ~SlotWriter() { Flush(); }
  SlotWriter(const SlotWriter&) = delete;
  SlotWriter& operator=(const SlotWriter&) = delete;

  void Keep(char16_t c) { text_.push_back(c); }
  void Insert(std::u16string_view replacement) {
    for (char16_t c : replacement) {
      if (c == kTab) {
        Flush();
        out_.append("<").append(prefix_).append("tab").append(declarations_).append("/>");
      } else {
        text_.push_back(c);
      }
    }
  }

 private:
  void Flush() {
    if (text_.empty()) return;
    out_.append("<").append(prefix_).append("t").append(declarations_).append(" xml:space=\"preserve\">");
    xml::AppendEscapedText(text_, out_);
    out_.append("</").append(prefix_).append("t>");
    text_.clear();
  }

  std::string_view prefix_;
  std::string_view declarations_;
  std::string& out_;
  std::u16string text_;
};

}  // namespace

std::optional<Body> ReadBody(std::string_view xml, std::string& error) {
  if (!xml::CheckCharacters(xml, error)) return std::nullopt;
  return BodyWalk(xml).Run(error);
}

std::u16string ParagraphText(const Body& body, const Body::Paragraph& paragraph) {
  std::u16string text;
  for (std::size_t i = paragraph.firstItem; i < paragraph.endItem; ++i) {
    const Body::Item& item = body.items[i];
    if (item.slot == Body::kObject) {
      text.push_back(item.shown);
    } else {
      const Body::Slot& slot = body.slots[item.slot];
      if (slot.tab) {
        text.push_back(kTab);
      } else {
        text += slot.text;
      }
    }
  }
  return text;
}

std::size_t ReplaceInBody(const Body& body, std::string_view xml, const CompiledFind& find,
                          std::string& out) {
  struct Edit {
    std::size_t begin, end;
    std::string xml;
  };
  std::vector<Edit> edits;
  std::size_t count = 0;
  std::vector<char32_t> units;
  std::vector<std::u16string> replacements;

  for (const Body::Paragraph& paragraph : body.paragraphs) {
    units.clear();
    for (std::size_t i = paragraph.firstItem; i < paragraph.endItem; ++i) {
      const Body::Item& item = body.items[i];
      if (item.slot == Body::kObject) {
        units.push_back(kBarrier);
      } else if (body.slots[item.slot].tab) {
        units.push_back(kTab);
      } else {
        for (char16_t c : body.slots[item.slot].text) units.push_back(c);
      }
    }
    const std::vector<Match> matches = FindMatches(find, units);
    if (matches.empty()) continue;
    count += matches.size();
    replacements.clear();
    for (const Match& m : matches) replacements.push_back(ReplacementFor(find, units, m));

    // Walk the paragraph's slots; rewrite each slot that holds a matched unit.
    std::size_t unit = 0;  // first unit of the current item
    std::size_t next = 0;  // first match that does not end before the current item
    for (std::size_t i = paragraph.firstItem; i < paragraph.endItem; ++i) {
      const Body::Item& item = body.items[i];
      const std::size_t length = item.slot == Body::kObject  ? 1
                                 : body.slots[item.slot].tab ? 1
                                                             : body.slots[item.slot].text.size();
      while (next < matches.size() && matches[next].end <= unit) ++next;
      const bool touched = next < matches.size() && matches[next].begin < unit + length;
      if (touched) {
        const Body::Slot& slot = body.slots[item.slot];  // objects never match, so this is a slot
        Edit edit{slot.begin, slot.end, {}};
        {
          SlotWriter writer(slot, edit.xml);
          std::size_t m = next;
          for (std::size_t k = 0; k < length; ++k) {
            const std::size_t at = unit + k;
            while (m < matches.size() && matches[m].end <= at) ++m;
            if (m < matches.size() && matches[m].begin == at) {
              writer.Insert(replacements[m]);
            } else if (m >= matches.size() || matches[m].begin > at) {
              writer.Keep(slot.tab ? kTab : slot.text[k]);
            }
          }
        }
        edits.push_back(std::move(edit));
      }
      unit += length;
    }
  }
  if (count == 0) return 0;

  std::size_t size = xml.size();
  for (const Edit& edit : edits) size = size - (edit.end - edit.begin) + edit.xml.size();
  out.clear();
  out.reserve(size);
  std::size_t copied = 0;
  for (const Edit& edit : edits) {
    out.append(xml.substr(copied, edit.begin - copied));
    out.append(edit.xml);
    copied = edit.end;
  }
  out.append(xml.substr(copied));
  return count;
}

}  // namespace docx
