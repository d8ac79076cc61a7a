#include "replace/find_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "replace_model.h"

namespace velmora {
namespace {

const std::wstring kEmoji = L"\U0001F600";  // two UTF-16 units, one wchar_t on Linux, a pair on Windows
const std::wstring kMarker(kPieceMarker);

std::wstring Repeat(const std::wstring& text, std::size_t times) {
  std::wstring out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

std::wstring A(std::size_t n) {
  return std::wstring(n, L'a');
}

using testing_model::ApplyExecute;
using testing_model::Unescape;

bool IsHighSurrogate(wchar_t c) {
  return static_cast<std::uint32_t>(c) >= 0xD800 && static_cast<std::uint32_t>(c) <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
  return static_cast<std::uint32_t>(c) >= 0xDC00 && static_cast<std::uint32_t>(c) <= 0xDFFF;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Every rule a plan of calls has to keep; `replace` is the replacement as typed.
void ExpectWellFormedPlan(const std::vector<ExecuteCall>& calls, const std::wstring& find,
                          const std::wstring& replace) {
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().findText, EscapeForFind(find));
  std::wstring reassembled;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const ExecuteCall& call = calls[i];
    SCOPED_TRACE(testing::Message() << "call " << i << " of " << calls.size());
    EXPECT_LE(Utf16Length(call.findText), kFindTextLimit);
    EXPECT_LE(Utf16Length(call.replaceWith), kFindTextLimit);
    if (i > 0) {
      EXPECT_EQ(call.findText, kMarker);
    }
    std::wstring piece = call.replaceWith;
    if (i + 1 < calls.size()) {
      ASSERT_TRUE(EndsWith(piece, kMarker));
      piece.resize(piece.size() - kMarker.size());
      // A piece is cut as late as the room allows: the next character would not have fitted.
      EXPECT_GE(Utf16Length(piece), kFindTextLimit - Utf16Length(kPieceMarker) - 1);
    }
    EXPECT_EQ(piece.find(kMarker), std::wstring::npos);
    EXPECT_EQ(EscapeForFind(Unescape(piece)), piece) << "a doubled caret was cut";
    if (!piece.empty()) {
      EXPECT_FALSE(IsHighSurrogate(piece.back())) << "a surrogate pair was cut";
      EXPECT_FALSE(IsLowSurrogate(piece.front())) << "a surrogate pair was cut";
    }
    reassembled += piece;
  }
  EXPECT_EQ(reassembled, EscapeForFind(replace));

  std::wstring document = L"前" + find + L"中" + find + L"后";
  for (const ExecuteCall& call : calls) ApplyExecute(document, call);
  EXPECT_EQ(document, L"前" + replace + L"中" + replace + L"后");
}

struct LengthCase {
  std::wstring text;
  std::size_t units;
};

class Utf16LengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(Utf16LengthTest, CountsCodeUnits) {
  EXPECT_EQ(Utf16Length(GetParam().text), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf16LengthTest,
                         testing::Values(LengthCase{L"", 0}, LengthCase{L"abc", 3}, LengthCase{L"替换", 2},
                                         LengthCase{kEmoji, 2}, LengthCase{L"a" + kEmoji + L"b", 4},
                                         LengthCase{kMarker, 3}, LengthCase{L"^^", 2}));

struct EscapeCase {
  std::wstring text;
  std::wstring escaped;
};

class EscapeForFindTest : public testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeForFindTest, DoublesEveryCaret) {
  EXPECT_EQ(EscapeForFind(GetParam().text), GetParam().escaped);
  EXPECT_EQ(EscapedLength(GetParam().text), Utf16Length(GetParam().escaped));
}

INSTANTIATE_TEST_SUITE_P(Texts, EscapeForFindTest,
                         testing::Values(EscapeCase{L"", L""}, EscapeCase{L"abc", L"abc"},
                                         EscapeCase{L"a^b", L"a^^b"}, EscapeCase{L"^", L"^^"},
                                         EscapeCase{L"^^", L"^^^^"}, EscapeCase{L"^p^t", L"^^p^^t"},
                                         EscapeCase{L"替换^" + kEmoji, L"替换^^" + kEmoji}));

struct PlanCase {
  const char* name;
  std::wstring find;
  std::wstring replace;
  std::vector<ExecuteCall> calls;
  friend void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }
};

class PlanExecutesTest : public testing::TestWithParam<PlanCase> {};

TEST_P(PlanExecutesTest, GivesTheExactCalls) {
  const PlanCase& c = GetParam();
  const std::vector<ExecuteCall> calls = PlanExecutes(c.find, c.replace);
  EXPECT_EQ(calls, c.calls);
  if (!c.calls.empty()) ExpectWellFormedPlan(calls, c.find, c.replace);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlanExecutesTest,
    testing::Values(
        PlanCase{"short", L"甲", L"乙", {{L"甲", L"乙"}}},
        PlanCase{"empty_replacement_deletes", L"甲", L"", {{L"甲", L""}}},
        PlanCase{"carets_doubled_both_sides", L"a^b", L"^p", {{L"a^^b", L"^^p"}}},
        PlanCase{"replacement_of_255", L"x", A(255), {{L"x", A(255)}}},
        PlanCase{"replacement_of_255_with_caret", L"x", A(253) + L"^", {{L"x", A(253) + L"^^"}}},
        PlanCase{"replacement_of_255_with_emoji", L"x", A(253) + kEmoji, {{L"x", A(253) + kEmoji}}},
        PlanCase{"replacement_of_256", L"x", A(256), {{L"x", A(252) + kMarker}, {kMarker, A(4)}}},
        PlanCase{"caret_over_the_cut",
                 L"x",
                 A(251) + L"^" + A(10),
                 {{L"x", A(251) + kMarker}, {kMarker, L"^^" + A(10)}}},
        PlanCase{"caret_at_the_cut",
                 L"x",
                 A(250) + L"^" + A(10),
                 {{L"x", A(250) + L"^^" + kMarker}, {kMarker, A(10)}}},
        PlanCase{"emoji_over_the_cut",
                 L"x",
                 A(251) + kEmoji + A(10),
                 {{L"x", A(251) + kMarker}, {kMarker, kEmoji + A(10)}}},
        PlanCase{"emoji_at_the_cut",
                 L"x",
                 A(250) + kEmoji + A(10),
                 {{L"x", A(250) + kEmoji + kMarker}, {kMarker, A(10)}}},
        PlanCase{"three_pieces",
                 L"^",
                 A(252 + 252 + 255),
                 {{L"^^", A(252) + kMarker}, {kMarker, A(252) + kMarker}, {kMarker, A(255)}}},
        PlanCase{"find_of_255_escaped", Repeat(L"^", 127) + L"a", L"b", {{Repeat(L"^^", 127) + L"a", L"b"}}},
        PlanCase{"find_too_long", A(256), L"b", {}},
        PlanCase{"find_too_long_by_carets", Repeat(L"^", 128), L"b", {}},
        PlanCase{"find_empty", L"", L"b", {}}),
    [](const testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.name); });

// A replacement of 100 KB with carets and characters above U+FFFF spread through it, so cuts land on
// every kind of boundary.
TEST(PlanExecutes, HundredKilobyteReplacementReassembles) {
  const std::wstring pattern = L"替换文本^" + kEmoji + L"abc^^d" + kEmoji + kEmoji + L"e";
  std::wstring replace;
  while (Utf16Length(replace) < 100 * 1024) replace += pattern;
  const std::wstring find = L"查^找";
  const std::vector<ExecuteCall> calls = PlanExecutes(find, replace);
  EXPECT_GT(calls.size(), 100u * 1024 / 255);
  ExpectWellFormedPlan(calls, find, replace);
}

// Every offset of a caret and of an emoji around the cut of the first piece.
TEST(PlanExecutes, EveryCutNearTheLimitKeepsItsPairs) {
  for (const std::wstring& special : {std::wstring(L"^"), kEmoji, std::wstring(L"^^"), kEmoji + L"^"}) {
    for (std::size_t before = 245; before <= 258; ++before) {
      const std::wstring replace = A(before) + special + A(300);
      SCOPED_TRACE(testing::Message() << "before " << before << ", special of " << special.size());
      ExpectWellFormedPlan(PlanExecutes(L"f", replace), L"f", replace);
    }
  }
}

}  // namespace
}  // namespace velmora
