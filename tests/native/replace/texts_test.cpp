#include "replace/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(RunTexts, ProgressTextOfTheTwelfthDocument) {
  const std::wstring text = ProgressText(12);
  EXPECT_EQ(text, L"Velmora V1.0 BY Ostrel QQ：2345678901——正在替换第12个文件！");
  EXPECT_TRUE(EndsWith(text, L"\u2014\u2014正在替换第12个文件\uFF01"));
}

TEST(RunTexts, CompletionText) {
  EXPECT_EQ(CompletionText(), L"Velmora V1.0 BY Ostrel QQ\uFF1A2345678901\u2014\u2014替换完毕\uFF01");
}

TEST(RunTexts, RunTextsSayV1AndWindowTitleV2) {
  for (const std::wstring& text : {ProgressText(1), CompletionText()}) {
    EXPECT_NE(text.find(L"V1.0"), std::wstring::npos) << text.size();
    EXPECT_EQ(text.find(L"V2.0"), std::wstring::npos);
  }
  EXPECT_EQ(WindowTitle(), L"Velmora V2.0 BY Ostrel QQ：2345678901");
}

TEST(RunTexts, OrdinalsInDecimal) {
  EXPECT_TRUE(EndsWith(ProgressText(1), L"第1个文件！"));
  EXPECT_TRUE(EndsWith(ProgressText(100), L"第100个文件！"));
}

struct NamingCase {
  std::wstring path;
  std::wstring naming;
};

class DocumentNamingTest : public testing::TestWithParam<NamingCase> {};

TEST_P(DocumentNamingTest, NamesTheFileAfterTheLastSeparator) {
  EXPECT_EQ(DocumentNaming(GetParam().path), GetParam().naming);
}

INSTANTIATE_TEST_SUITE_P(Paths, DocumentNamingTest,
                         testing::Values(NamingCase{L"C:\\docs\\报告.docx", L"文件报告.docx"},
                                         NamingCase{L"C:\\a\\b\\c.doc", L"文件c.doc"},
                                         NamingCase{L"/home/u/x.docx", L"文件x.docx"},
                                         NamingCase{L"C:\\mixed/dir\\last.docx", L"文件last.docx"},
                                         NamingCase{L"C:/mixed\\dir/last.docx", L"文件last.docx"},
                                         NamingCase{L"plain.docx", L"文件plain.docx"},
                                         NamingCase{L"C:\\dir\\", L"文件"}));

TEST(ResultLines, ReplacedAndMismatchAsTheProgramSaysThem) {
  EXPECT_EQ(ResultLine(L"C:\\d\\a.docx", Outcome::kReplaced), L"文件a.docx：替换完毕！\r\n");
  EXPECT_EQ(ResultLine(L"C:\\d\\a.docx", Outcome::kMismatch),
            L"文件a.docx\uFF1A被替换文本 \u4E0E 替换文本 数量不对等\uFF01未被替换\uFF01\r\n");
}

TEST(ResultLines, EveryOtherOutcomeSaysTheDocumentWasNotChanged) {
  const std::vector<Outcome> failures = {
      Outcome::kMismatch,   Outcome::kMissing,          Outcome::kReadOnly,
      Outcome::kInUse,      Outcome::kOpenFailed,       Outcome::kReplaceFailed,
      Outcome::kSaveFailed, Outcome::kServerNotStarted, Outcome::kServerNotResponding,
      Outcome::kCutShort};
  std::vector<std::wstring> seen;
  for (Outcome outcome : failures) {
    const std::wstring line = ResultLine(L"C:\\d\\a.docx", outcome);
    EXPECT_EQ(line.rfind(L"文件a.docx：", 0), 0u) << static_cast<int>(outcome);
    EXPECT_TRUE(EndsWith(line, L"未被替换！\r\n") || EndsWith(line, L"未被修改！\r\n"))
        << static_cast<int>(outcome);
    EXPECT_EQ(line.find(L"替换完毕"), std::wstring::npos) << static_cast<int>(outcome);
    for (const std::wstring& other : seen) EXPECT_NE(line, other);
    seen.push_back(line);
  }
  EXPECT_NE(ResultLine(L"a", Outcome::kReplaceFailed).find(L"未保存"), std::wstring::npos);
}

TEST(ResultsText, CountLineThenOneLinePerDocumentInRunOrder) {
  const std::vector<DocumentResult> results = {{L"C:\\d\\1.docx", Outcome::kReplaced},
                                               {L"C:\\d\\2.docx", Outcome::kMismatch},
                                               {L"C:\\d\\3.doc", Outcome::kReplaced},
                                               {L"C:\\d\\4.docx", Outcome::kMissing}};
  EXPECT_EQ(ResultsText(results),
            L"替换完毕：2 个文件；未替换：2 个文件\r\n"
            L"文件1.docx：替换完毕！\r\n"
            L"文件2.docx：被替换文本 与 替换文本 数量不对等！未被替换！\r\n"
            L"文件3.doc：替换完毕！\r\n"
            L"文件4.docx：文件不存在！未被替换！\r\n");
}

TEST(ResultsText, NoDocumentsGivesTheCountLineOnly) {
  EXPECT_EQ(ResultsText({}), L"替换完毕：0 个文件；未替换：0 个文件\r\n");
}

}  // namespace
}  // namespace velmora
