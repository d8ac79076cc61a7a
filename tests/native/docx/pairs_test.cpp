// The pairs file of the batch mode, and the batch mode of docx-replace run as a program.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "docx_document.h"
#include "docx_pairs.h"
#include "docx_text.h"
#include "test_package.h"

namespace docx {
namespace {

namespace fs = std::filesystem;

struct SplitCase {
  std::u16string text;
  std::vector<std::u16string> lines;
};

TEST(SplitLines, EachKindOfBreakEndsALine) {
  const std::vector<SplitCase> cases = {
      {u"", {}},
      {u"one", {u"one"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\nb\rc", {u"a", u"b", u"c"}},
      {u"a\r\n", {u"a"}},
      {u"a\r\n\r\n", {u"a", u""}},
      {u"\r\na", {u"", u"a"}},
      {u"a\n\rb", {u"a", u"", u"b"}},
      {u"\n", {u""}},
      {u"名称\r\n新名称", {u"名称", u"新名称"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    EXPECT_EQ(SplitLines(c.text), c.lines);
  }
}

struct PairsCase {
  std::string name;
  std::string bytes;
  std::vector<ReplacePair> pairs;  // empty: an error containing `error`
  std::string error;
};

TEST(ParsePairsFile, DividesAtTheFirstDividerLine) {
  const std::vector<PairsCase> cases = {
      {"written by the run benchmark",
       "名称0\r\n名称1\n----\n新名称0号\r\n新名称1号",
       {{u"名称0", u"新名称0号"}, {u"名称1", u"新名称1号"}},
       ""},
      {"LF only, break at the end", "a\nb\n----\nx\ny\n", {{u"a", u"x"}, {u"b", u"y"}}, ""},
      {"byte order mark",
       "\xEF\xBB\xBF"
       "a\n----\nb",
       {{u"a", u"b"}},
       ""},
      {"blank replacement deletes", "a\n----\n\n", {{u"a", u""}}, ""},
      {"later divider is a replacement", "a\n----\n----", {{u"a", u"----"}}, ""},
      {"divider with spaces is a text", "a\n ----\n----\nb\nc", {{u"a", u"b"}, {u" ----", u"c"}}, ""},
      {"no divider", "a\nb", {}, "no line \"----\""},
      {"nothing to find", "----\nb", {}, "no text to find"},
      {"empty file", "", {}, "no line \"----\""},
      {"more finds than replacements", "a\nb\n----\nx", {}, "2 texts to find but 1 replacement"},
      {"fewer finds than replacements", "a\n----\nx\ny", {}, "1 texts to find but 2 replacement"},
      {"not UTF-8", "a\xFF\n----\nb", {}, "not UTF-8"},
  };
  for (const PairsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto result = ParsePairsFile(c.bytes);
    if (c.error.empty()) {
      ASSERT_TRUE(std::holds_alternative<std::vector<ReplacePair>>(result))
          << ToUtf8(std::get<Error>(result).message);
      EXPECT_EQ(std::get<std::vector<ReplacePair>>(result), c.pairs);
    } else {
      ASSERT_TRUE(std::holds_alternative<Error>(result));
      EXPECT_NE(ToUtf8(std::get<Error>(result).message).find(c.error), std::string::npos)
          << ToUtf8(std::get<Error>(result).message);
    }
  }
}

struct ToolRun {
  int exitCode = -1;
  std::string out;
};

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

ToolRun RunTool(const std::string& arguments) {
  const std::string command = std::string("'") + VELMORA_DOCX_REPLACE + "' " + arguments + " 2>/dev/null";
  ToolRun run;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return run;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe.get())) run.out += buffer.data();
  const int status = pclose(pipe.release());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::vector<std::u16string> TextsOf(const fs::path& path) {
  Error error;
  auto document = Document::Open(path, error);
  if (!document) return {u"(does not open: " + error.message + u")"};
  return document->ParagraphTexts();
}

// A match split over two runs, a table cell, and text that differs only in case.
const std::string kBody =
    "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Alpha 名</w:t></w:r><w:r><w:t>称1 alpha</w:t></w:r></w:p>"
    "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>名称1 in a cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

TEST(BatchMode, AppliesEveryPairInOrderToEachDocument) {
  test::TempDir dir;
  const fs::path first = dir.Write("first.docx", test::MakeDocx(kBody));
  const fs::path second = dir.Write("second.docx", test::MakeDocx(kBody));
  // The second pair sees what the first one wrote; case matters.
  const fs::path pairs = dir.Write("pairs.txt", "名称1\r\nAlpha\r\n----\r\nAlpha二\r\nOmega");

  const ToolRun run = RunTool("--pairs " + Quoted(pairs) + " " + Quoted(first) + " " + Quoted(second));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "5\t" + first.string() + "\n5\t" + second.string() + "\n");
  const std::vector<std::u16string> expected = {u"Omega Omega二 alpha", u"Omega二 in a cell"};
  EXPECT_EQ(TextsOf(first), expected);
  EXPECT_EQ(TextsOf(second), expected);
}

TEST(BatchMode, ABadDocumentIsReportedAndTheOthersGoOn) {
  test::TempDir dir;
  const fs::path broken = dir.Write("broken.docx", "not a package");
  const fs::path good = dir.Write("good.docx", test::MakeDocx(kBody));
  const fs::path pairs = dir.Write("pairs.txt", "alpha\n----\nbeta\n");

  const ToolRun run = RunTool("--pairs " + Quoted(pairs) + " " + Quoted(broken) + " " + Quoted(good));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "1\t" + good.string() + "\n");
  EXPECT_EQ(TextsOf(good), (std::vector<std::u16string>{u"Alpha 名称1 beta", u"名称1 in a cell"}));
  EXPECT_EQ(test::ReadBytes(broken), "not a package");
}

TEST(BatchMode, BadPairsTouchNoDocument) {
  const std::vector<std::string> badPairs = {
      "alpha\n----\n",          // counts differ
      "alpha\n^x\n----\nb\nc",  // an unknown caret code in the second find text
      "\n----\nb",              // an empty find text
  };
  for (const std::string& bytes : badPairs) {
    SCOPED_TRACE(bytes);
    test::TempDir dir;
    const std::string original = test::MakeDocx(kBody);
    const fs::path document = dir.Write("doc.docx", original);
    const fs::path pairs = dir.Write("pairs.txt", bytes);
    const ToolRun run = RunTool("--pairs " + Quoted(pairs) + " " + Quoted(document));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(test::ReadBytes(document), original);
  }
}

TEST(BatchMode, SinglePairUsageStillWorks) {
  test::TempDir dir;
  const fs::path document = dir.Write("doc.docx", test::MakeDocx(kBody));
  const ToolRun run = RunTool(Quoted(document) + " alpha gamma");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "2\n");  // without --match-case "Alpha" counts too, and keeps its capital
  EXPECT_EQ(TextsOf(document), (std::vector<std::u16string>{u"Gamma 名称1 gamma", u"名称1 in a cell"}));
  EXPECT_EQ(RunTool("--pairs").exitCode, 2);
  EXPECT_EQ(RunTool("--pairs " + Quoted(dir.Path() / "pairs.txt")).exitCode, 2);
}

}  // namespace
}  // namespace docx
