// A small pull reader for the well-formed XML of a word-processing package, with namespace scopes, and
// the escaping used when text is written back. It reports byte positions so that the caller can copy
// everything it does not change byte for byte. Anything not well-formed (and any DTD) is an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace docx::xml {

// The namespaces the engine tells apart; each covers its transitional and its strict URI.
enum class Namespace : std::uint8_t { None, Other, Word, MarkupCompatibility, Math };

enum class EventKind : std::uint8_t { StartTag, EndTag, Text, CData };

struct Event {
  EventKind kind = EventKind::Text;
  std::size_t begin = 0;  // bytes of the markup or text in the document
  std::size_t end = 0;
  std::string_view qualifiedName;  // tags only
  std::string_view localName;
  Namespace ns = Namespace::None;
  bool selfClosing = false;  // a StartTag written as <x/>; its EndTag follows with begin == end
  std::string_view raw;      // Text: undecoded text; CData: the section's content
};

struct Attribute {
  std::string_view qualifiedName;
  std::string_view rawValue;  // undecoded, without quotes
};

class Reader {
 public:
  explicit Reader(std::string_view document);

  // The next event. False at the end of the document, and on malformed XML, in which case Failed()
  // is true and Error() tells where and why.
  bool Next(Event& event);
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  // The attributes of the last StartTag.
  const std::vector<Attribute>& Attributes() const { return attributes_; }

 private:
  bool Fail(std::string what);
  bool ReadStartTag(Event& event);
  bool ReadEndTag(Event& event);
  bool ReadName(std::string_view& name);
  void SkipSpace();
  bool Resolve(std::string_view qualifiedName, Namespace& ns, std::string_view& localName) const;

  struct Binding {
    std::string_view prefix;
    Namespace ns;
  };
  struct Open {
    std::string_view qualifiedName;
    std::size_t bindings;  // size of bindings_ before this element's declarations
  };

  std::string_view doc_;
  std::size_t pos_ = 0;
  bool rootSeen_ = false;
  bool pendingEnd_ = false;
  std::vector<Open> open_;
  std::vector<Binding> bindings_;
  std::vector<Attribute> attributes_;
  std::string error_;
};

// Checks that the bytes are UTF-8 and hold only characters XML allows; on failure says where.
bool CheckCharacters(std::string_view document, std::string& error);

// Appends the decoded form of text or an attribute value (entity and character references resolved).
// False on a malformed reference.
bool AppendDecoded(std::string_view raw, std::string& out);

// Appends text as element content: UTF-8, with &, <, > and CR escaped.
void AppendEscapedText(std::u16string_view text, std::string& out);

}  // namespace docx::xml
