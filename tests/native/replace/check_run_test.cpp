#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "replace/find_text.h"
#include "replace/run_input.h"

namespace velmora {
namespace {

RunInput ModeOne(std::vector<std::wstring> documents, std::wstring findBox, std::wstring replaceBox) {
  RunInput input;
  input.mode = Mode::kSameText;
  input.documents = std::move(documents);
  input.findBox = std::move(findBox);
  input.replaceBox = std::move(replaceBox);
  return input;
}

RunInput ModeTwo(std::wstring findBox, std::array<PageInput, kDocumentPages> pages) {
  RunInput input;
  input.mode = Mode::kPerDocument;
  input.findBox = std::move(findBox);
  input.pages = std::move(pages);
  return input;
}

const std::vector<std::wstring> kOneDocument = {L"C:\\d\\a.docx"};

struct FaultCase {
  const char* name;
  RunInput input;
  Fault fault;
  std::size_t line;
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

class CheckFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(CheckFaultTest, GivesTheFirstFault) {
  const auto result = CheckRun(GetParam().input);
  ASSERT_TRUE(std::holds_alternative<CheckFault>(result));
  const CheckFault& fault = std::get<CheckFault>(result);
  EXPECT_EQ(fault.fault, GetParam().fault);
  EXPECT_EQ(fault.line, GetParam().line);
  EXPECT_FALSE(fault.request.empty());
  EXPECT_FALSE(fault.statement.empty());
}

// Each case also holds every fault checked after its own, so the order of the checks is tested too.
INSTANTIATE_TEST_SUITE_P(
    Inputs, CheckFaultTest,
    testing::Values(
        FaultCase{"no_find_text", ModeOne({}, L"", L""), Fault::kNoFindText, 0},
        FaultCase{"no_find_text_mode_two", ModeTwo(L"", {}), Fault::kNoFindText, 0},
        FaultCase{"no_replace_text", ModeOne({}, L"a\r\n\r\nb", L""), Fault::kNoReplaceText, 0},
        FaultCase{"no_replace_text_mode_two",
                  ModeTwo(L"a", {PageInput{L"C:\\1.docx", L""}, PageInput{L"", L"lonely"}}),
                  Fault::kNoReplaceText, 0},
        FaultCase{"no_page_with_a_document", ModeTwo(L"a", {}), Fault::kNoReplaceText, 0},
        FaultCase{"counts_differ", ModeOne({}, L"\r\n" + std::wstring(300, L'x'), L"1\r\n2\r\n3"),
                  Fault::kCountsDiffer, 0},
        FaultCase{"counts_differ_fewer", ModeOne(kOneDocument, L"a\r\nb", L"1"), Fault::kCountsDiffer, 0},
        FaultCase{"empty_find_line_first", ModeOne({}, L"\r\nb", L"1\r\n2"), Fault::kEmptyFindLine, 1},
        FaultCase{"empty_find_line_before_long_line",
                  ModeOne({}, std::wstring(300, L'x') + L"\r\nb\r\n\r\nc", L"1\r\n2\r\n3\r\n4"),
                  Fault::kEmptyFindLine, 3},
        FaultCase{"only_a_break_is_one_empty_line", ModeOne(kOneDocument, L"\r\n", L"1"),
                  Fault::kEmptyFindLine, 1},
        FaultCase{"empty_find_line_mode_two",
                  ModeTwo(L"a\r\n\r\nc", {PageInput{L"C:\\1.docx", L"1\r\n2\r\n3"}}), Fault::kEmptyFindLine,
                  2},
        FaultCase{"find_line_too_long", ModeOne({}, L"a\r\n" + std::wstring(256, L'x'), L"1\r\n2"),
                  Fault::kFindLineTooLong, 2},
        FaultCase{"find_line_too_long_by_carets", ModeOne(kOneDocument, std::wstring(128, L'^'), L"1"),
                  Fault::kFindLineTooLong, 1},
        FaultCase{"find_line_too_long_by_emoji",
                  ModeOne(kOneDocument, std::wstring(254, L'x') + L"\U0001F600", L"1"),
                  Fault::kFindLineTooLong, 1},
        FaultCase{"no_document", ModeOne({}, L"a", L"b"), Fault::kNoDocument, 0}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

struct TextsCase {
  RunInput input;
  std::wstring request;
  std::wstring statement;
};

class CheckTextsTest : public testing::TestWithParam<TextsCase> {};

TEST_P(CheckTextsTest, ShowsTheProgramsWords) {
  const auto result = CheckRun(GetParam().input);
  ASSERT_TRUE(std::holds_alternative<CheckFault>(result));
  EXPECT_EQ(std::get<CheckFault>(result).request, GetParam().request);
  EXPECT_EQ(std::get<CheckFault>(result).statement, GetParam().statement);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CheckTextsTest,
    testing::Values(TextsCase{ModeOne(kOneDocument, L"", L"b"), L"请添加被替换内容！",
                              L"没有添加被替换的内容！"},
                    TextsCase{ModeOne(kOneDocument, L"a", L""), L"请添加替换内容！", L"没有添加替换的内容！"},
                    TextsCase{ModeOne(kOneDocument, L"a", L"1\r\n2"), L"请修改替换内容！",
                              L"被替换文本 与 替换文本 数量不对等！"}));

TEST(CheckRun, LineFaultsNameTheLine) {
  const auto empty = std::get<CheckFault>(CheckRun(ModeOne(kOneDocument, L"a\r\n\r\nc", L"1\r\n2\r\n3")));
  EXPECT_NE(empty.request.find(L"第2行"), std::wstring::npos);
  EXPECT_NE(empty.statement.find(L"第2行"), std::wstring::npos);
  const auto tooLong = std::get<CheckFault>(
      CheckRun(ModeOne(kOneDocument, L"a\r\nb\r\nc\r\n" + std::wstring(256, L'x'), L"1\r\n2\r\n3\r\n4")));
  EXPECT_NE(tooLong.request.find(L"第4行"), std::wstring::npos);
  EXPECT_NE(tooLong.statement.find(L"第4行"), std::wstring::npos);
}

TEST(CheckRun, ModeOnePlanPairsEveryDocumentWithTheSameTexts) {
  const auto result = CheckRun(ModeOne({L"C:\\1.docx", L"C:\\2.doc"}, L"甲\r\n乙\r\n^p\r\n", L"A\r\n\r\nC"));
  ASSERT_TRUE(std::holds_alternative<RunPlan>(result));
  const RunPlan& plan = std::get<RunPlan>(result);
  const std::vector<ReplacePair> pairs = {{L"甲", L"A"}, {L"乙", L""}, {L"^p", L"C"}};
  ASSERT_EQ(plan.documents.size(), 2u);
  EXPECT_EQ(plan.documents[0].path, L"C:\\1.docx");
  EXPECT_EQ(plan.documents[0].ordinal, 1u);
  EXPECT_EQ(plan.documents[1].path, L"C:\\2.doc");
  EXPECT_EQ(plan.documents[1].ordinal, 2u);
  for (const PlannedDocument& document : plan.documents) {
    EXPECT_EQ(document.pairs, pairs);
    EXPECT_FALSE(document.skipped.has_value());
  }
}

TEST(CheckRun, LongestSearchableFindLineIsAccepted) {
  const auto result =
      CheckRun(ModeOne(kOneDocument, std::wstring(127, L'^') + L"x", std::wstring(1000, L'y')));
  ASSERT_TRUE(std::holds_alternative<RunPlan>(result));
  EXPECT_EQ(EscapedLength(std::get<RunPlan>(result).documents[0].pairs[0].find), kFindTextLimit);
}

TEST(CheckRun, ModeTwoTakesPagesWithADocumentAndSkipsMismatchedOnes) {
  const auto result = CheckRun(
      ModeTwo(L"甲\r\n乙", {PageInput{L"C:\\1.docx", L"A1\r\nB1"}, PageInput{L"", L"ignored\r\nignored"},
                            PageInput{L"C:\\3.docx", L"only one"}, PageInput{L"C:\\4.docx", L""},
                            PageInput{L"C:\\5.docx", L"A5\r\nB5\r\n"}}));
  ASSERT_TRUE(std::holds_alternative<RunPlan>(result));
  const RunPlan& plan = std::get<RunPlan>(result);
  ASSERT_EQ(plan.documents.size(), 4u);

  struct Expected {
    std::wstring path;
    std::vector<ReplacePair> pairs;
    bool skipped;
  };
  const std::vector<Expected> expected = {{L"C:\\1.docx", {{L"甲", L"A1"}, {L"乙", L"B1"}}, false},
                                          {L"C:\\3.docx", {}, true},
                                          {L"C:\\4.docx", {}, true},
                                          {L"C:\\5.docx", {{L"甲", L"A5"}, {L"乙", L"B5"}}, false}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    const PlannedDocument& document = plan.documents[i];
    EXPECT_EQ(document.path, expected[i].path);
    EXPECT_EQ(document.ordinal, i + 1);
    EXPECT_EQ(document.pairs, expected[i].pairs);
    if (expected[i].skipped) {
      ASSERT_TRUE(document.skipped.has_value());
      EXPECT_EQ(*document.skipped, Outcome::kMismatch);
      EXPECT_EQ(ResultLine(document.path, *document.skipped),
                L"文件" + document.path.substr(3) + L"：被替换文本 与 替换文本 数量不对等！未被替换！\r\n");
    } else {
      EXPECT_FALSE(document.skipped.has_value());
    }
  }
}

TEST(RunDocuments, ModeOneKeepsListOrderModeTwoPageOrder) {
  EXPECT_EQ(RunDocuments(ModeOne({L"b", L"a", L"c"}, L"", L"")),
            (std::vector<std::wstring>{L"b", L"a", L"c"}));
  EXPECT_EQ(RunDocuments(ModeTwo(L"", {PageInput{L"", L""}, PageInput{L"p2", L""}, PageInput{L"", L""},
                                       PageInput{L"p4", L""}, PageInput{L"p5", L""}})),
            (std::vector<std::wstring>{L"p2", L"p4", L"p5"}));
}

// A plan of `count` documents; those whose 1-based ordinal is in `skipped` are left out of the run.
RunPlan PlanOf(std::size_t count, const std::vector<std::size_t>& skipped = {}) {
  RunPlan plan;
  for (std::size_t i = 0; i < count; ++i) {
    PlannedDocument document{
        L"C:\\" + std::to_wstring(i + 1) + L".docx", i + 1, {{L"a", L"b"}}, std::nullopt};
    for (std::size_t s : skipped) {
      if (s == i + 1) {
        document.pairs.clear();
        document.skipped = Outcome::kMismatch;
      }
    }
    plan.documents.push_back(document);
  }
  return plan;
}

std::vector<std::size_t> Range(std::size_t first, std::size_t end) {
  std::vector<std::size_t> out;
  for (std::size_t i = first; i < end; ++i) out.push_back(i);
  return out;
}

struct BatchCase {
  const char* name;
  RunPlan plan;
  std::size_t perServer;
  std::vector<std::vector<std::size_t>> batches;
  friend void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }
};

class ServerBatchesTest : public testing::TestWithParam<BatchCase> {};

TEST_P(ServerBatchesTest, SplitsTheDocumentsToOpen) {
  EXPECT_EQ(ServerBatches(GetParam().plan, GetParam().perServer), GetParam().batches);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, ServerBatchesTest,
    testing::Values(BatchCase{"none", PlanOf(0), kDocumentsPerServer, {}},
                    BatchCase{"one", PlanOf(1), kDocumentsPerServer, {{0}}},
                    BatchCase{"exactly_one_batch", PlanOf(20), kDocumentsPerServer, {Range(0, 20)}},
                    BatchCase{"one_over", PlanOf(21), kDocumentsPerServer, {Range(0, 20), {20}}},
                    BatchCase{"three_batches",
                              PlanOf(45),
                              kDocumentsPerServer,
                              {Range(0, 20), Range(20, 40), Range(40, 45)}},
                    BatchCase{"skipped_take_no_place",
                              PlanOf(22, {2, 21}),
                              kDocumentsPerServer,
                              {{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21}}},
                    BatchCase{"all_skipped", PlanOf(3, {1, 2, 3}), kDocumentsPerServer, {}},
                    BatchCase{"small_batches", PlanOf(5, {3}), 2, {{0, 1}, {3, 4}}},
                    BatchCase{"zero_means_one", PlanOf(2), 0, {{0}, {1}}}),
    [](const testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.name); });

TEST(ServerBatches, TwentyDocumentsAServer) {
  EXPECT_EQ(kDocumentsPerServer, 20u);
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

struct LongPathCase {
  const char* name;
  std::wstring path;
  std::wstring expected;
  friend void PrintTo(const LongPathCase& c, std::ostream* os) { *os << c.name; }
};

class ExtendedLengthPathTest : public testing::TestWithParam<LongPathCase> {};

TEST_P(ExtendedLengthPathTest, ReachesLongPathsAndLeavesTheRest) {
  EXPECT_EQ(ExtendedLengthPath(GetParam().path), GetParam().expected);
}

const std::wstring kDeep = std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e');  // 241 characters

INSTANTIATE_TEST_SUITE_P(
    Paths, ExtendedLengthPathTest,
    testing::Values(LongPathCase{"short_path_unchanged", L"C:\\a\\b.docx", L"C:\\a\\b.docx"},
                    LongPathCase{"longest_plain_path_unchanged", L"C:\\" + std::wstring(251, L'x') + L".docx",
                                 L"C:\\" + std::wstring(251, L'x') + L".docx"},
                    LongPathCase{"drive_path_of_260", L"C:\\" + std::wstring(252, L'x') + L".docx",
                                 L"\\\\?\\C:\\" + std::wstring(252, L'x') + L".docx"},
                    LongPathCase{"forward_slashes_turned", L"d:/" + kDeep + L"/more/more/文件 名.docx",
                                 L"\\\\?\\d:\\" + kDeep + L"\\more\\more\\文件 名.docx"},
                    LongPathCase{"share_path", L"\\\\server\\share\\" + kDeep + L"\\a.docx",
                                 L"\\\\?\\UNC\\server\\share\\" + kDeep + L"\\a.docx"},
                    LongPathCase{"already_extended", L"\\\\?\\C:\\" + kDeep + L"\\a.docx",
                                 L"\\\\?\\C:\\" + kDeep + L"\\a.docx"},
                    LongPathCase{"device_path", L"\\\\.\\C:\\" + kDeep + L"\\a.docx",
                                 L"\\\\.\\C:\\" + kDeep + L"\\a.docx"},
                    LongPathCase{"dot_dot_part_unchanged", L"C:\\" + kDeep + L"\\..\\a.docx",
                                 L"C:\\" + kDeep + L"\\..\\a.docx"},
                    LongPathCase{"dot_part_unchanged", L"C:\\" + kDeep + L"\\.\\a.docx",
                                 L"C:\\" + kDeep + L"\\.\\a.docx"},
                    LongPathCase{"relative_unchanged", kDeep + L"\\" + kDeep, kDeep + L"\\" + kDeep},
                    LongPathCase{"drive_relative_unchanged", L"C:" + kDeep + L"\\a.docx",
                                 L"C:" + kDeep + L"\\a.docx"},
                    LongPathCase{"dots_inside_names_kept", L"C:\\" + kDeep + L"\\..a.\\b..long name.docx",
                                 L"\\\\?\\C:\\" + kDeep + L"\\..a.\\b..long name.docx"}),
    [](const testing::TestParamInfo<LongPathCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
