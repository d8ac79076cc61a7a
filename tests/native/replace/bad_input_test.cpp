// Unusual and hostile box contents, followed through every step before the server: the lines of the
// boxes, the check of the run, and the find-and-replace calls, applied here to a text as the word
// processor's replace-all applies them.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "replace/find_text.h"
#include "replace/run_input.h"
#include "replace_model.h"

namespace velmora {
namespace {

const std::wstring kEmoji = L"\U0001F600";
const std::wstring kParty = L"\U0001F389";

RunInput ModeOne(std::wstring findBox, std::wstring replaceBox) {
  RunInput input;
  input.documents = {L"C:\\a.docx", L"C:\\b.docx"};
  input.findBox = std::move(findBox);
  input.replaceBox = std::move(replaceBox);
  return input;
}

using testing_model::ApplyExecute;

// What a document's text becomes when the run's calls for every pair are applied in line order.
std::wstring Apply(std::wstring text, const std::vector<ReplacePair>& pairs) {
  for (const ReplacePair& pair : pairs) {
    const std::vector<ExecuteCall> calls = PlanExecutes(pair.find, pair.replace);
    EXPECT_FALSE(calls.empty()) << "a checked pair has no call";
    for (const ExecuteCall& call : calls) {
      EXPECT_LE(Utf16Length(call.findText), kFindTextLimit);
      EXPECT_LE(Utf16Length(call.replaceWith), kFindTextLimit);
      ApplyExecute(text, call);
    }
  }
  return text;
}

struct Refused {
  Fault fault;
  std::size_t line;
};

struct Replaced {
  std::vector<ReplacePair> pairs;
  std::wstring before;  // a document's text
  std::wstring after;   // and what the run makes of it
};

struct BadInputCase {
  const char* name;
  std::wstring findBox;
  std::wstring replaceBox;
  std::variant<Refused, Replaced> expected;
  friend void PrintTo(const BadInputCase& c, std::ostream* os) { *os << c.name; }
};

class BadInputTest : public testing::TestWithParam<BadInputCase> {};

TEST_P(BadInputTest, IsRefusedWithItsFaultOrReplacedExactly) {
  const BadInputCase& c = GetParam();
  const auto checked = CheckRun(ModeOne(c.findBox, c.replaceBox));
  if (const auto* refused = std::get_if<Refused>(&c.expected)) {
    ASSERT_TRUE(std::holds_alternative<CheckFault>(checked));
    EXPECT_EQ(std::get<CheckFault>(checked).fault, refused->fault);
    EXPECT_EQ(std::get<CheckFault>(checked).line, refused->line);
    return;
  }
  const Replaced& replaced = std::get<Replaced>(c.expected);
  ASSERT_TRUE(std::holds_alternative<RunPlan>(checked))
      << "refused with fault " << static_cast<int>(std::get<CheckFault>(checked).fault);
  const RunPlan& plan = std::get<RunPlan>(checked);
  ASSERT_EQ(plan.documents.size(), 2u);
  for (const PlannedDocument& document : plan.documents) {
    EXPECT_FALSE(document.skipped.has_value());
    EXPECT_EQ(document.pairs, replaced.pairs);
  }
  EXPECT_EQ(Apply(replaced.before, plan.documents[0].pairs), replaced.after);
}

std::wstring WithNul(const std::wstring& head, const std::wstring& tail) {
  std::wstring text = head;
  text += L'\0';
  return text + tail;
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BadInputTest,
    testing::Values(
        BadInputCase{"both_empty", L"", L"", Refused{Fault::kNoFindText, 0}},
        BadInputCase{"find_only_line_breaks", L"\r\n\r\n", L"x\r\ny", Refused{Fault::kEmptyFindLine, 1}},
        BadInputCase{"replace_only_line_breaks_are_blank_lines", L"a\r\nb", L"\r\n\r\n",
                     Replaced{{{L"a", L""}, {L"b", L""}}, L"cab", L"c"}},
        BadInputCase{"lone_cr_and_lone_lf_end_lines", L"a\rb\nc", L"1\n2\r3\r\n",
                     Replaced{{{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}}, L"abcba", L"12321"}},
        BadInputCase{"find_line_of_a_megabyte", L"x\r\n" + std::wstring(1 << 20, L'y'), L"1\r\n2",
                     Refused{Fault::kFindLineTooLong, 2}},
        BadInputCase{"nul_and_control_characters_are_text", WithNul(L"a", L"b") + L"\r\n\t\x01",
                     L"\x0B\x1F\r\n\x7F",
                     Replaced{{{WithNul(L"a", L"b"), L"\x0B\x1F"}, {L"\t\x01", L"\x7F"}},
                              WithNul(L"[a", L"b]\t\x01"),
                              L"[\x0B\x1F]\x7F"}},
        BadInputCase{
            "emoji_replaced_whole", kEmoji + L"a", kParty + L"\r\n",
            Replaced{{{kEmoji + L"a", kParty}}, L"x" + kEmoji + L"a" + kEmoji, L"x" + kParty + kEmoji}},
        BadInputCase{"emoji_fill_the_limit", std::wstring(253, L'x') + kEmoji, L"y",
                     Replaced{{{std::wstring(253, L'x') + kEmoji, L"y"}},
                              L"<" + std::wstring(253, L'x') + kEmoji + L">",
                              L"<y>"}},
        BadInputCase{"emoji_one_unit_over_the_limit", std::wstring(127, kEmoji[0]) + L"xx", L"y",
                     Refused{Fault::kFindLineTooLong, 1}},
        BadInputCase{
            "right_to_left_text", L"שלום\r\nabc", L"مرحبا\u200F\r\nעברית",
            Replaced{{{L"שלום", L"مرحبا\u200F"}, {L"abc", L"עברית"}}, L"abc שלום!", L"עברית مرحبا\u200F!"}},
        BadInputCase{"caret_at_the_end", L"a^\r\n^", L"b^\r\n^^",
                     Replaced{{{L"a^", L"b^"}, {L"^", L"^^"}}, L"a^p", L"b^^p"}},
        BadInputCase{"text_equal_to_its_replacement", L"same", L"same",
                     Replaced{{{L"same", L"same"}}, L"same and same", L"same and same"}},
        BadInputCase{"replacement_holds_its_own_text", L"a", L"aa",
                     Replaced{{{L"a", L"aa"}}, L"banana", L"baanaanaa"}},
        BadInputCase{
            "long_replacement_holds_its_own_text", L"a", std::wstring(600, L'a'),
            Replaced{{{L"a", std::wstring(600, L'a')}}, L"bab", L"b" + std::wstring(600, L'a') + L"b"}}),
    [](const testing::TestParamInfo<BadInputCase>& info) { return std::string(info.param.name); });

// 100,000 lines in each box: every line paired in order for every document, and one line short is a
// mismatch of the counts, not a plan.
TEST(BadInput, HundredThousandLinesArePlannedOrRefusedAsAWhole) {
  constexpr std::size_t kLines = 100000;
  std::wstring finds, replaces;
  for (std::size_t i = 0; i < kLines; ++i) {
    finds += L"f" + std::to_wstring(i) + L"\r\n";
    replaces += L"r" + std::to_wstring(i) + L"\n";
  }
  const auto checked = CheckRun(ModeOne(finds, replaces));
  ASSERT_TRUE(std::holds_alternative<RunPlan>(checked));
  for (const PlannedDocument& document : std::get<RunPlan>(checked).documents) {
    ASSERT_EQ(document.pairs.size(), kLines);
    EXPECT_EQ(document.pairs.front(), (ReplacePair{L"f0", L"r0"}));
    EXPECT_EQ(document.pairs[54321], (ReplacePair{L"f54321", L"r54321"}));
    EXPECT_EQ(document.pairs.back(), (ReplacePair{L"f99999", L"r99999"}));
  }

  const std::wstring oneShort = replaces.substr(0, replaces.size() - std::wstring(L"r99999\n").size());
  const auto mismatched = CheckRun(ModeOne(finds, oneShort));
  ASSERT_TRUE(std::holds_alternative<CheckFault>(mismatched));
  EXPECT_EQ(std::get<CheckFault>(mismatched).fault, Fault::kCountsDiffer);
}

}  // namespace
}  // namespace velmora
