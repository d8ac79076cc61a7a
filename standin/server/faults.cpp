#include "faults.h"

#include <windows.h>

#include <map>
#include <vector>

#include "dispatch.h"

namespace standin::faults {

namespace {

std::vector<std::wstring_view> SplitAtColons(std::wstring_view text) {
  std::vector<std::wstring_view> parts;
  for (;;) {
    const std::size_t colon = text.find(L':');
    parts.push_back(text.substr(0, colon));
    if (colon == std::wstring_view::npos) return parts;
    text.remove_prefix(colon + 1);
  }
}

// A decimal count from 0 to 999999.
std::optional<unsigned> ParseCount(std::wstring_view text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  unsigned value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  return value;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// The registry value as it is now; empty when there is none.
std::wstring ReadFaultValue() {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

[[noreturn]] void EndProcessNow() {
  TerminateProcess(GetCurrentProcess(), kExitCode);
  ExitProcess(kExitCode);
}

}  // namespace

std::optional<Plan> Parse(std::wstring_view text) {
  const auto parts = SplitAtColons(text);
  if (parts.size() < 3 || parts.size() > 4 || parts[1].empty()) return std::nullopt;
  static const std::pair<std::wstring_view, Action> kActions[] = {{L"fail", Action::Fail},
                                                                  {L"exit", Action::Exit},
                                                                  {L"stall", Action::Stall},
                                                                  {L"reject", Action::Reject}};
  Plan plan;
  bool known = false;
  for (const auto& [name, action] : kActions) {
    if (parts[0] == name) {
      plan.action = action;
      known = true;
    }
  }
  const auto call = ParseCount(parts[2]);
  if (!known || !call || *call == 0) return std::nullopt;
  plan.member = std::wstring(parts[1]);
  plan.call = *call;
  // Only a stall takes (and needs) seconds; only a refusal may say for how many calls.
  const bool takesExtra = plan.action == Action::Stall || plan.action == Action::Reject;
  if (parts.size() == 4) {
    const auto extra = ParseCount(parts[3]);
    if (!takesExtra || !extra) return std::nullopt;
    plan.extra = *extra;
  } else if (plan.action == Action::Stall) {
    return std::nullopt;
  }
  return plan;
}

std::optional<Action> Hits(const Plan& plan, std::wstring_view member, unsigned callNumber) {
  if (!SameName(plan.member, member)) return std::nullopt;
  const unsigned calls = plan.action == Action::Reject && plan.extra > 0 ? plan.extra : 1;
  if (callNumber < plan.call || callNumber - plan.call >= calls) return std::nullopt;
  return plan.action;
}

void BeforeCall(const wchar_t* member) {
  static std::map<std::wstring, unsigned> calls;
  const unsigned callNumber = ++calls[member];

  const std::wstring value = ReadFaultValue();
  if (value.empty()) return;
  const auto plan = Parse(value);
  if (!plan) Fail(L"WordStandIn: the Fault value \"" + value + L"\" is malformed");
  const auto action = Hits(*plan, member, callNumber);
  if (!action) return;
  switch (*action) {
    case Action::Fail:
      Fail(std::wstring(L"WordStandIn: injected fault in ") + member);
    case Action::Exit:
      EndProcessNow();
    case Action::Stall:
      Sleep(plan->extra * 1000);
      EndProcessNow();
    case Action::Reject:
      throw CallFailure{RPC_E_CALL_REJECTED, {}};
  }
}

}  // namespace standin::faults
