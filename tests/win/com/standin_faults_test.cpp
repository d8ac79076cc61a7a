// The stand-in's fault settings: what parses, and which calls a fault hits.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "faults.h"

namespace standin::faults {
namespace {

TEST(FaultSettingTest, Parses) {
  const struct {
    const wchar_t* text;
    std::optional<Plan> plan;
  } cases[] = {
      {L"fail:Execute:3", Plan{Action::Fail, L"Execute", 3, 0}},
      {L"exit:Open:2", Plan{Action::Exit, L"Open", 2, 0}},
      {L"stall:Execute:1:30", Plan{Action::Stall, L"Execute", 1, 30}},
      {L"reject:Execute:2", Plan{Action::Reject, L"Execute", 2, 0}},
      {L"reject:Execute:2:5", Plan{Action::Reject, L"Execute", 2, 5}},
      {L"", std::nullopt},
      {L"fail", std::nullopt},
      {L"fail:Execute", std::nullopt},
      {L"fail::1", std::nullopt},
      {L"fail:Execute:0", std::nullopt},
      {L"fail:Execute:x", std::nullopt},
      {L"fail:Execute:-1", std::nullopt},
      {L"fail:Execute:1:5", std::nullopt},
      {L"stall:Execute:1", std::nullopt},
      {L"crash:Execute:1", std::nullopt},
      {L"Fail:Execute:1", std::nullopt},
      {L"fail:Execute:1234567", std::nullopt},
      {L"reject:Execute:1:2:3", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Parse(c.text), c.plan) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(FaultSettingTest, HitsTheCallsItNames) {
  const Plan fail{Action::Fail, L"Execute", 3, 0};
  const Plan reject{Action::Reject, L"execute", 2, 3};
  const struct {
    const Plan* plan;
    const wchar_t* member;
    unsigned call;
    bool hit;
  } cases[] = {
      {&fail, L"Execute", 2, false},  {&fail, L"Execute", 3, true},   {&fail, L"Execute", 4, false},
      {&fail, L"EXECUTE", 3, true},   {&fail, L"Open", 3, false},     {&reject, L"Execute", 1, false},
      {&reject, L"Execute", 2, true}, {&reject, L"Execute", 4, true}, {&reject, L"Execute", 5, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hits(*c.plan, c.member, c.call).has_value(), c.hit)
        << testing::PrintToString(std::wstring(c.member)) << " call " << c.call;
  }
}

}  // namespace
}  // namespace standin::faults
