// Opening packages: what is refused (cleanly, with a message) and what a round trip keeps.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "docx_document.h"
#include "docx_text.h"
#include "test_package.h"

namespace docx {
namespace {

using test::DocxParts;
using test::MakeDocx;
using test::MakeZip;
using test::TempDir;

void Patch32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::size_t EndRecord(const std::string& zip) {
  return zip.rfind(std::string("PK\x05\x06", 4));
}

// The central directory comes last, so the last copy of a name is in its central record.
std::size_t CentralRecord(const std::string& zip, const std::string& name) {
  return zip.rfind(name) - 46;
}

std::string WithDocument(const std::string& documentXml) {
  return MakeZip(DocxParts(documentXml));
}

const std::string kBody = "<w:p><w:r><w:t>alpha beta</w:t></w:r></w:p>";

struct Refusal {
  const char* name;
  std::string bytes;
  std::string message;  // a part of the expected message
};

std::vector<Refusal> Refusals() {
  const std::string good = MakeDocx(kBody);
  std::vector<Refusal> cases;
  cases.push_back({"empty file", "", "not a zip package"});
  cases.push_back({"text file", "just some text, long enough to look at", "not a zip package"});
  cases.push_back({"truncated in the middle", good.substr(0, good.size() / 2), "truncated"});
  cases.push_back({"end record cut", good.substr(0, good.size() - 5), "truncated"});
  cases.push_back({"binary .doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
                   "binary Word 97-2003"});
  {
    std::string encrypted = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(100, '\0');
    for (char c : std::string("EncryptedPackage")) encrypted += {c, '\0'};
    cases.push_back({"encrypted document", encrypted + std::string(100, '\0'), "encrypted"});
  }
  {
    std::string zip64 = good;
    Patch32(zip64, EndRecord(zip64) + 16, 0xFFFFFFFF);
    cases.push_back({"ZIP64 end record", zip64, "ZIP64"});
  }
  {
    std::string locator = good;
    const std::size_t end = EndRecord(locator);
    locator.insert(end, std::string("PK\x06\x07", 4) + std::string(16, '\0'));
    cases.push_back({"ZIP64 locator", locator, "ZIP64"});
  }
  {
    auto parts = DocxParts(test::DocumentXml(kBody));
    parts[3].extraFlags = 0x0001;
    cases.push_back({"encrypted entry", MakeZip(parts), "encrypted"});
  }
  {
    // Megabytes of one character compress about 1030 to 1, which no real main part does.
    std::string body = kBody + std::string(8 << 20, ' ');
    cases.push_back({"bomb ratio", WithDocument(test::DocumentXml(body)), "zip bomb"});
  }
  {
    std::string huge = good;
    Patch32(huge, CentralRecord(huge, "word/document.xml") + 24, 0x30000000);
    cases.push_back({"declared size over the cap", huge, "too large"});
  }
  {
    auto parts = DocxParts(test::DocumentXml(kBody));
    parts[2].deflate = false;
    std::string bytes = MakeZip(parts);
    bytes[bytes.find("alpha")] = 'A';
    cases.push_back({"CRC mismatch", bytes, "CRC"});
  }
  {
    auto parts = DocxParts(test::DocumentXml(kBody));
    parts.push_back(parts[3]);
    cases.push_back({"an entry named twice", MakeZip(parts), "twice"});
  }
  {
    auto parts = DocxParts(test::DocumentXml(kBody));
    parts.erase(parts.begin());
    cases.push_back({"no content types", MakeZip(parts), "content types"});
  }
  cases.push_back({"no officeDocument relationship",
                   MakeZip(DocxParts(test::DocumentXml(kBody), "word/document.xml", "urn:something-else")),
                   "no main document part"});
  {
    auto parts = DocxParts(test::DocumentXml(kBody));
    parts[2].name = "word/other.xml";
    cases.push_back(
        {"relationship to a missing part", MakeZip(parts), "no main document part word/document.xml"});
  }
  cases.push_back(
      {"malformed main part", WithDocument(test::DocumentXml("<w:p><w:r></w:p>")), "not well-formed"});
  return cases;
}

TEST(OpenPackage, RefusesWhatIsNotAUsableDocument) {
  TempDir dir;
  for (const Refusal& c : Refusals()) {
    SCOPED_TRACE(c.name);
    const auto path = dir.Write("refused.docx", c.bytes);
    Error error;
    const auto document = Document::Open(path, error);
    EXPECT_FALSE(document);
    EXPECT_NE(ToUtf8(error.message).find(c.message), std::string::npos) << ToUtf8(error.message);
  }
}

// Damage anywhere in a package (cut short, or one byte changed) gives a document or an error, never a
// crash or a read out of bounds (the native tests run under the address sanitizer).
TEST(OpenPackage, DamagedPackagesFailCleanly) {
  TempDir dir;
  auto parts = DocxParts(test::DocumentXml(kBody + "<w:p><w:r><w:t>second &amp; last</w:t></w:r></w:p>"));
  parts[2].deflate = false;  // let byte changes reach the XML reader too
  const std::string good = MakeZip(parts);
  std::mt19937 random(20240901);
  std::size_t opened = 0;
  std::size_t refused = 0;
  for (int trial = 0; trial < 600; ++trial) {
    std::string bytes = good;
    if (trial % 3 == 0) {
      bytes.resize(random() % bytes.size());
    } else {
      bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
    }
    Error error;
    auto document = Document::Open(dir.Write("damaged.docx", bytes), error);
    if (!document) {
      EXPECT_FALSE(error.message.empty());
      ++refused;
      continue;
    }
    ++opened;
    const auto result = document->ReplaceAll({.findText = u"last", .replaceWith = u"<&>"});
    EXPECT_TRUE(std::holds_alternative<std::size_t>(result));
  }
  EXPECT_GT(refused, 100u);
  EXPECT_GT(opened, 10u);
}

TEST(OpenPackage, MissingFileIsAnError) {
  TempDir dir;
  Error error;
  EXPECT_FALSE(Document::Open(dir.Path() / "absent.docx", error));
  EXPECT_NE(ToUtf8(error.message).find("does not exist"), std::string::npos) << ToUtf8(error.message);
  EXPECT_FALSE(Document::Open(dir.Path(), error));  // a folder
}

TEST(OpenPackage, FindsTheMainPartThroughStrictRelationships) {
  TempDir dir;
  const auto parts = DocxParts(test::DocumentXml(kBody), "content/main.xml",
                               "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument");
  const auto path = dir.Write("strict.docx", MakeZip(parts));
  Error error;
  const auto document = Document::Open(path, error);
  ASSERT_TRUE(document) << ToUtf8(error.message);
  EXPECT_EQ(document->ParagraphTexts(), std::vector<std::u16string>{u"alpha beta"});
}

TEST(RoundTrip, KeepsEveryOtherEntryByteForByte) {
  TempDir dir;
  const std::string original = MakeZip(DocxParts(test::DocumentXml(kBody)), "archive comment");
  const auto path = dir.Write("round.docx", original);
  Error error;
  auto document = Document::Open(path, error);
  ASSERT_TRUE(document) << ToUtf8(error.message);
  const auto count = document->ReplaceAll({.findText = u"alpha", .replaceWith = u"gamma"});
  ASSERT_EQ(std::get<std::size_t>(count), 1u);
  EXPECT_TRUE(document->Changed());
  ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
  EXPECT_FALSE(document->Changed());

  const std::string saved = test::ReadBytes(path);
  EXPECT_EQ(test::ChangedEntries(original, saved, "word/document.xml"), std::vector<std::string>{});
  EXPECT_TRUE(saved.ends_with("archive comment"));
  EXPECT_EQ(test::ChangedEntries(original, saved, ""), std::vector<std::string>{"word/document.xml"});

  const auto reopened = Document::Open(path, error);
  ASSERT_TRUE(reopened) << ToUtf8(error.message);
  EXPECT_EQ(reopened->ParagraphTexts(), std::vector<std::u16string>{u"gamma beta"});
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"round.docx"});
}

TEST(RoundTrip, MainPartWithDataDescriptorIsRewrittenWithout) {
  TempDir dir;
  auto parts = DocxParts(test::DocumentXml(kBody));
  parts[2].descriptor = true;
  const std::string original = MakeZip(parts);
  const auto path = dir.Write("descriptor.docx", original);
  Error error;
  auto document = Document::Open(path, error);
  ASSERT_TRUE(document) << ToUtf8(error.message);
  ASSERT_EQ(std::get<std::size_t>(document->ReplaceAll({.findText = u"beta", .replaceWith = u"delta"})), 1u);
  ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
  const std::string saved = test::ReadBytes(path);
  EXPECT_EQ(test::ChangedEntries(original, saved, "word/document.xml"), std::vector<std::string>{});
  const auto reopened = Document::Open(path, error);
  ASSERT_TRUE(reopened) << ToUtf8(error.message);
  EXPECT_EQ(reopened->ParagraphTexts(), std::vector<std::u16string>{u"alpha delta"});
}

TEST(RoundTrip, UnchangedDocumentIsWrittenBackIdentically) {
  TempDir dir;
  const std::string original = MakeDocx(kBody);
  const auto path = dir.Write("same.docx", original);
  Error error;
  auto document = Document::Open(path, error);
  ASSERT_TRUE(document) << ToUtf8(error.message);
  EXPECT_EQ(std::get<std::size_t>(document->ReplaceAll({.findText = u"absent", .replaceWith = u"x"})), 0u);
  EXPECT_FALSE(document->Changed());
  ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
  EXPECT_EQ(test::ReadBytes(path), original);
}

TEST(RoundTrip, SeveralReplacementsBuildOnEachOther) {
  TempDir dir;
  const auto path = dir.Write("chain.docx", MakeDocx(kBody + "<w:p><w:r><w:t>Alpha</w:t></w:r></w:p>"));
  Error error;
  auto document = Document::Open(path, error);
  ASSERT_TRUE(document) << ToUtf8(error.message);
  EXPECT_EQ(std::get<std::size_t>(document->ReplaceAll({.findText = u"alpha", .replaceWith = u"one"})), 2u);
  EXPECT_EQ(std::get<std::size_t>(document->ReplaceAll({.findText = u"one", .replaceWith = u"two^tthree"})),
            2u);
  const auto bad = document->ReplaceAll({.findText = std::u16string(256, u'x'), .replaceWith = u""});
  ASSERT_TRUE(std::holds_alternative<Error>(bad));
  EXPECT_EQ(std::get<Error>(bad).message, u"String parameter too long");
  EXPECT_EQ(document->ParagraphTexts(), (std::vector<std::u16string>{u"two\tthree beta", u"Two\tthree"}));
  ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
  const auto reopened = Document::Open(path, error);
  ASSERT_TRUE(reopened) << ToUtf8(error.message);
  EXPECT_EQ(reopened->ParagraphTexts(), document->ParagraphTexts());
}

}  // namespace
}  // namespace docx
