// The main document part's body as the engine sees it: its paragraphs, each a row of pieces of text
// (the w:t and w:tab elements of its runs, with their byte positions) and of objects that no find text
// matches. Replacing rewrites only the touched w:t / w:tab elements; every other byte is copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "docx_find.h"

namespace docx {

struct Body {
  // A w:t (text) or w:tab element of a run in the main text.
  struct Slot {
    std::size_t begin = 0;  // bytes of the whole element, start tag to end tag
    std::size_t end = 0;
    bool tab = false;
    std::string prefix;        // the element's namespace prefix with its colon ("w:"), reused when writing
    std::string declarations;  // namespace declarations of its start tag (" xmlns:w=..."), kept when writing
    std::u16string text;       // decoded text of a w:t
  };
  static constexpr std::uint32_t kObject = 0xFFFFFFFF;
  // One piece of a paragraph: a slot, or (slot == kObject) an object shown as `shown`.
  struct Item {
    std::uint32_t slot = kObject;
    char16_t shown = 0;
  };
  struct Paragraph {
    std::size_t firstItem = 0;
    std::size_t endItem = 0;
  };

  std::vector<Slot> slots;
  std::vector<Item> items;
  std::vector<Paragraph> paragraphs;
};

// Reads the body of a main document part. Fails (nullopt, error set) on XML that is not well-formed, a
// root that is not w:document, and a paragraph inside a paragraph outside a text box.
std::optional<Body> ReadBody(std::string_view xml, std::string& error);

// A paragraph's text as a reader sees it (see Document::ParagraphTexts).
std::u16string ParagraphText(const Body& body, const Body::Paragraph& paragraph);

// Replaces every match of `find` in the body's paragraphs. Returns the number of replacements; when it
// is not zero, `out` receives the new part: `xml` with the touched w:t / w:tab elements rewritten.
std::size_t ReplaceInBody(const Body& body, std::string_view xml, const CompiledFind& find, std::string& out);

}  // namespace docx
