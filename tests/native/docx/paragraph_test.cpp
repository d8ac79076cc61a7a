// Replace All on paragraph shapes of the main part, with the exact XML that results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx_body.h"
#include "docx_text.h"
#include "test_package.h"

namespace docx {
namespace {

using test::DocumentXml;

struct Shape {
  const char* name;
  std::string body;
  std::u16string find;
  std::u16string replace;
  std::size_t count;
  std::string expected;  // the body afterwards; empty when nothing may change
  bool matchCase = false;
  bool wholeWord = false;
};

std::string P(const std::string& inner) {
  return "<w:p>" + inner + "</w:p>";
}
std::string R(const std::string& inner) {
  return "<w:r>" + inner + "</w:r>";
}
std::string T(const std::string& text) {
  return "<w:t>" + text + "</w:t>";
}
std::string TP(const std::string& text) {
  return "<w:t xml:space=\"preserve\">" + text + "</w:t>";
}

const std::string kBold = "<w:rPr><w:b/></w:rPr>";
const std::string kTextBox =
    "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wps:txbx><w:txbxContent>" +
    P(R(T("ab"))) +
    "</w:txbxContent></wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape><v:textbox>" +
    "<w:txbxContent>" + P(R(T("ab"))) + "</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback>" +
    "</mc:AlternateContent></w:r>";

std::vector<Shape> Shapes() {
  return {
      {"one run, middle", P(R(T("one two three"))), u"two", u"2", 1, P(R(TP("one 2 three")))},
      {"match at the start", P(R(T("abcd"))), u"ab", u"_", 1, P(R(TP("_cd")))},
      {"match at the end", P(R(T("abcd"))), u"cd", u"_", 1, P(R(TP("ab_")))},
      {"split over two runs: formatting of the first character", P(R(T("Hel")) + R(kBold + T("lo"))),
       u"hello", u"bye", 1, P(R(TP("Bye")) + R(kBold))},
      {"across three runs", P(R(T("xa")) + R(kBold + T("b")) + R(T("cy"))), u"abc", u"XYZ", 1,
       P(R(TP("xXYZ")) + R(kBold) + R(TP("y")))},
      {"starting in a later run keeps its formatting", P(R(T("x")) + R(kBold + T("ab"))), u"b", u"c", 1,
       P(R(T("x")) + R(kBold + TP("ac")))},
      {"bookmarks and proofing marks between runs",
       P(R(T("ab")) + "<w:proofErr w:type=\"spellStart\"/><w:bookmarkStart w:id=\"0\" w:name=\"m\"/>" +
         R("<w:rPr><w:rStyle w:val=\"x\"/></w:rPr>" + T("cd")) + "<w:bookmarkEnd w:id=\"0\"/>"),
       u"bc", u"X", 1,
       P(R(TP("aX")) + "<w:proofErr w:type=\"spellStart\"/><w:bookmarkStart w:id=\"0\" w:name=\"m\"/>" +
         R("<w:rPr><w:rStyle w:val=\"x\"/></w:rPr>" + TP("d")) + "<w:bookmarkEnd w:id=\"0\"/>")},
      {"revision ids on runs",
       "<w:p w:rsidR=\"00A1\"><w:r w:rsidRPr=\"00B2\"><w:t>fo</w:t></w:r><w:r "
       "w:rsidR=\"00C3\"><w:t>o</w:t></w:r></w:p>",
       u"foo", u"bar", 1,
       "<w:p w:rsidR=\"00A1\"><w:r w:rsidRPr=\"00B2\">" + TP("bar") +
           "</w:r><w:r w:rsidR=\"00C3\"></w:r></w:p>"},
      {"into a hyperlink", P(R(TP("see ")) + "<w:hyperlink r:id=\"rId4\">" + R(T("site")) + "</w:hyperlink>"),
       u"see site", u"go", 1, P(R(TP("go")) + "<w:hyperlink r:id=\"rId4\">" + R("") + "</w:hyperlink>")},
      {"tab in the find text", P(R(T("a") + "<w:tab/>" + T("b"))), u"a^tb", u"x", 1, P(R(TP("x")))},
      {"tab in the replacement", P(R(T("a-b"))), u"-", u"^t", 1, P(R(TP("a") + "<w:tab/>" + TP("b")))},
      {"match starting at a tab", P(R(T("a") + "<w:tab/>" + T("b"))), u"^tb", u"=", 1,
       P(R(T("a") + TP("=")))},
      {"tab stops of the paragraph are not text",
       P("<w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>" + R(T("ab"))), u"^tab", u"x",
       0, ""},
      {"Chinese text", P(R(T("替换前的文本"))), u"前的", u"后面的", 1, P(R(TP("替换后面的文本")))},
      {"Chinese across runs", P(R(T("文本替")) + R(kBold + T("换内容"))), u"替换", u"更改", 1,
       P(R(TP("文本更改")) + R(kBold + TP("内容")))},
      {"overlapping candidates", P(R(T("aaa"))), u"aa", u"b", 1, P(R(TP("ba")))},
      {"repeated matches", P(R(T("aaaa"))), u"aa", u"b", 2, P(R(TP("bb")))},
      {"replacement longer", P(R(T("a cat"))), u"cat", u"caterpillar", 1, P(R(TP("a caterpillar")))},
      {"replacement shorter", P(R(T("a caterpillar"))), u"caterpillar", u"cat", 1, P(R(TP("a cat")))},
      {"empty replacement removes the run's text", P(R(T("x")) + R(kBold + T("gone"))), u"gone", u"", 1,
       P(R(T("x")) + R(kBold))},
      {"case rules", P(R(T("word Word WORD"))), u"word", u"term", 3, P(R(TP("term Term TERM")))},
      {"match case", P(R(T("word Word WORD"))), u"word", u"term", 1, P(R(TP("term Word WORD"))), true},
      {"whole words", P(R(T("cat concat cat's cats"))), u"cat", u"dog", 2, P(R(TP("dog concat dog's cats"))),
       false, true},
      {"caret codes", P(R(T("a^b"))), u"a^^b", u"[^&]^^", 1, P(R(TP("[a^b]^")))},
      {"found text keeps its case", P(R(T("Cat"))), u"cat", u"^&s", 1, P(R(TP("Cats")))},
      {"deleted text is not text",
       P(R(T("ab")) + "<w:del w:id=\"1\" w:author=\"A\">" + R("<w:delText>XX</w:delText>") + "</w:del>" +
         R(T("cd"))),
       u"bc", u"-", 1,
       P(R(TP("a-")) + "<w:del w:id=\"1\" w:author=\"A\">" + R("<w:delText>XX</w:delText>") + "</w:del>" +
         R(TP("d")))},
      {"deleted text is not found",
       P("<w:del w:id=\"1\" w:author=\"A\">" + R("<w:delText>XX</w:delText>") + "</w:del>"), u"XX", u"y", 0,
       ""},
      {"inserted text is text", P(R(T("ab")) + "<w:ins w:id=\"2\" w:author=\"A\">" + R(T("cd")) + "</w:ins>"),
       u"bc", u"-", 1, P(R(TP("a-")) + "<w:ins w:id=\"2\" w:author=\"A\">" + R(TP("d")) + "</w:ins>")},
      {"text boxes are left alone", P(R(T("ab")) + kTextBox + R(T("ab"))), u"ab", u"X", 2,
       P(R(TP("X")) + kTextBox + R(TP("X")))},
      {"a text box is an object between texts", P(R(T("a")) + kTextBox + R(T("b"))), u"ab", u"X", 0, ""},
      {"line break is an object", P(R(T("a") + "<w:br/>" + T("b"))), u"ab", u"X", 0, ""},
      {"no match across paragraphs", P(R(T("a"))) + P(R(T("b"))), u"a^pb", u"X", 0, ""},
      {"paragraph ends bound the search", P(R(T("a"))) + P(R(T("b"))), u"ab", u"X", 0, ""},
      {"table cells are main text", "<w:tbl><w:tr><w:tc>" + P(R(T("in a cell"))) + "</w:tc></w:tr></w:tbl>",
       u"cell", u"box", 1, "<w:tbl><w:tr><w:tc>" + P(R(TP("in a box"))) + "</w:tc></w:tr></w:tbl>"},
      {"content controls",
       "<w:sdt><w:sdtPr><w:alias w:val=\"t\"/></w:sdtPr><w:sdtContent>" + P(R(T("inside"))) +
           "</w:sdtContent></w:sdt>",
       u"side", u"put", 1,
       "<w:sdt><w:sdtPr><w:alias w:val=\"t\"/></w:sdtPr><w:sdtContent>" + P(R(TP("input"))) +
           "</w:sdtContent></w:sdt>"},
      {"simple field's shown text", P("<w:fldSimple w:instr=\" PAGE \">" + R(T("12")) + "</w:fldSimple>"),
       u"12", u"13", 1, P("<w:fldSimple w:instr=\" PAGE \">" + R(TP("13")) + "</w:fldSimple>")},
      {"field codes are not text",
       P(R("<w:fldChar w:fldCharType=\"begin\"/>") + R("<w:instrText>PAGE</w:instrText>") +
         R("<w:fldChar w:fldCharType=\"end\"/>")),
       u"PAGE", u"x", 0, ""},
      {"escaping on output", P(R(T("a&amp;b c"))), u"c", u"<&>\"", 1, P(R(TP("a&amp;b &lt;&amp;&gt;\"")))},
      {"entities in the found text", P(R(T("x &lt;y&gt; z"))), u"<y>", u"^&^&", 1,
       P(R(TP("x &lt;y&gt;&lt;y&gt; z")))},
      {"spaces around the replacement are kept", P(R(TP(" a "))), u"a", u"  b  ", 1, P(R(TP("   b   ")))},
      {"a lone w:t without runs' neighbours", P(R(kBold + "<w:t/>" + T("q"))), u"q", u"r", 1,
       P(R(kBold + "<w:t/>" + TP("r")))},
      {"math is an object", P(R(T("a")) + "<m:oMath><m:r><m:t>x</m:t></m:r></m:oMath>" + R(T("b"))), u"x",
       u"y", 0, ""},
  };
}

std::pair<std::size_t, std::string> Replace(const Shape& shape) {
  const std::string xml = DocumentXml(shape.body);
  std::string error;
  const auto body = ReadBody(xml, error);
  if (!body) return {0, "ReadBody failed: " + error};
  auto compiled = CompileFind({.findText = shape.find,
                               .replaceWith = shape.replace,
                               .matchCase = shape.matchCase,
                               .matchWholeWord = shape.wholeWord});
  if (auto* e = std::get_if<Error>(&compiled)) return {0, "CompileFind failed: " + ToUtf8(e->message)};
  std::string out;
  const std::size_t count = ReplaceInBody(*body, xml, std::get<CompiledFind>(compiled), out);
  if (count == 0) return {0, xml};
  // What was written must read again.
  if (!ReadBody(out, error)) return {count, "result does not read: " + error};
  return {count, out};
}

TEST(ParagraphShapes, ReplaceGivesExactXml) {
  for (const Shape& shape : Shapes()) {
    SCOPED_TRACE(shape.name);
    const auto [count, xml] = Replace(shape);
    EXPECT_EQ(count, shape.count);
    EXPECT_EQ(xml, DocumentXml(shape.expected.empty() ? shape.body : shape.expected));
  }
}

struct TextCase {
  const char* name;
  std::string body;
  std::vector<std::u16string> texts;
};

TEST(ParagraphShapes, TextsAsAReaderSeesThem) {
  const std::vector<TextCase> cases = {
      {"runs and a hyperlink", P(R(T("a")) + "<w:hyperlink>" + R(T("b")) + "</w:hyperlink>"), {u"ab"}},
      {"tab, breaks and an object",
       P(R(T("a") + "<w:tab/>" + T("b") + "<w:br/>" + "<w:br w:type=\"page\"/>" +
           "<w:sym w:char=\"F04A\"/>")),
       {u"a\tb\v\f\uFFFC"}},
      {"empty paragraph and a table",
       P("") + "<w:tbl><w:tr><w:tc>" + P(R(T("c"))) + "</w:tc></w:tr></w:tbl>",
       {u"", u"c"}},
      {"text box paragraphs are not listed", P(R(T("a")) + kTextBox), {u"a\uFFFC"}},
      {"deleted and inserted",
       P("<w:del>" + R("<w:delText>x</w:delText>") + "</w:del><w:ins>" + R(T("y")) + "</w:ins>"),
       {u"y"}},
      {"CDATA and character references", P(R("<w:t><![CDATA[<a>]]>&#x4E2D;&#25991;</w:t>")), {u"<a>中文"}},
      {"other parts of the document are not body", "", {}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    const auto body = ReadBody(DocumentXml(c.body), error);
    ASSERT_TRUE(body) << error;
    std::vector<std::u16string> texts;
    for (const Body::Paragraph& p : body->paragraphs) texts.push_back(ParagraphText(*body, p));
    EXPECT_EQ(texts, c.texts);
  }
}

TEST(ParagraphShapes, WritesWithTheDocumentsOwnPrefix) {
  const std::string xml =
      "<x:document "
      "xmlns:x=\"http://purl.oclc.org/ooxml/wordprocessingml/main\"><x:body><x:p><x:r><x:t>a-b</x:t>"
      "</x:r></x:p></x:body></x:document>";
  std::string error;
  const auto body = ReadBody(xml, error);
  ASSERT_TRUE(body) << error;
  auto compiled = CompileFind({.findText = u"-", .replaceWith = u"^t"});
  std::string out;
  ASSERT_EQ(ReplaceInBody(*body, xml, std::get<CompiledFind>(compiled), out), 1u);
  EXPECT_EQ(out,
            "<x:document xmlns:x=\"http://purl.oclc.org/ooxml/wordprocessingml/main\"><x:body><x:p><x:r>"
            "<x:t xml:space=\"preserve\">a</x:t><x:tab/><x:t xml:space=\"preserve\">b</x:t>"
            "</x:r></x:p></x:body></x:document>");
}

TEST(ParagraphShapes, MalformedPartsFailCleanly) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"unclosed element", DocumentXml(P(R(T("a")))).substr(0, 400)},
      {"mismatched end tag", DocumentXml("<w:p><w:r></w:p></w:r>")},
      {"bad entity", DocumentXml(P(R(T("a &nbsp; b"))))},
      {"undeclared prefix", DocumentXml(P("<q:r/>"))},
      {"element inside w:t", DocumentXml(P(R("<w:t>a<w:b/></w:t>")))},
      {"paragraph inside a paragraph", DocumentXml(P(P("")))},
      {"a DTD", "<!DOCTYPE x [<!ENTITY a \"b\">]>" + DocumentXml("")},
      {"two roots", DocumentXml("") + "<w:document/>"},
      {"not a document", "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>"},
      {"invalid UTF-8", DocumentXml(P(R(T("\xC3\x28"))))},
      {"control character", DocumentXml(P(R(T("a\x01"))))},
      {"empty", ""},
  };
  for (const auto& [name, xml] : cases) {
    std::string error;
    EXPECT_FALSE(ReadBody(xml, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
}

}  // namespace
}  // namespace docx
