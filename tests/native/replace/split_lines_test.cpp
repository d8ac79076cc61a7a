#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "replace/run_input.h"

namespace velmora {
namespace {

struct LinesCase {
  const char* name;
  std::wstring box;
  std::vector<std::wstring> lines;
  friend void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }
};

class SplitLinesTest : public testing::TestWithParam<LinesCase> {};

TEST_P(SplitLinesTest, CutsTheBoxIntoLines) {
  EXPECT_EQ(SplitLines(GetParam().box), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SplitLinesTest,
    testing::Values(LinesCase{"empty_box", L"", {}}, LinesCase{"one_line", L"甲", {L"甲"}},
                    LinesCase{"crlf", L"甲\r\n乙\r\n丙", {L"甲", L"乙", L"丙"}},
                    LinesCase{"lone_cr", L"a\rb", {L"a", L"b"}}, LinesCase{"lone_lf", L"a\nb", {L"a", L"b"}},
                    LinesCase{"mixed_breaks", L"a\r\nb\nc\rd", {L"a", L"b", L"c", L"d"}},
                    LinesCase{"lf_cr_is_two_breaks", L"a\n\rb", {L"a", L"", L"b"}},
                    LinesCase{"trailing_crlf_ignored", L"a\r\n", {L"a"}},
                    LinesCase{"trailing_lf_ignored", L"a\n", {L"a"}},
                    LinesCase{"trailing_cr_ignored", L"a\r", {L"a"}},
                    LinesCase{"only_one_trailing_break_ignored", L"a\r\n\r\n", {L"a", L""}},
                    LinesCase{"blank_line_inside", L"a\r\n\r\nb", {L"a", L"", L"b"}},
                    LinesCase{"leading_blank_line", L"\r\na", {L"", L"a"}},
                    LinesCase{"only_a_break", L"\r\n", {L""}},
                    LinesCase{"only_breaks", L"\r\n\r\n\n", {L"", L"", L""}},
                    LinesCase{"spaces_are_text", L" \r\n", {L" "}},
                    LinesCase{"caret_and_emoji_kept", L"^p\r\n\U0001F600", {L"^p", L"\U0001F600"}}),
    [](const testing::TestParamInfo<LinesCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
