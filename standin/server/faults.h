// Faults on demand, so that tests can make the stand-in fail the way a real server can fail, without
// changing the program under test. A test writes one REG_SZ value, read again at every call:
//
//   HKLM\Software\Velmora\WordStandIn  Fault = "<action>:<member>:<n>[:<k>]"
//
//   fail:Execute:3      the 3rd call of Execute fails (DISP_E_EXCEPTION, "injected fault")
//   exit:Open:2         the process ends at once at the 2nd call of Open, as in a crash
//   stall:Execute:1:30  the 1st call of Execute hangs for 30 seconds, then the process ends
//   reject:Execute:2:3  the 2nd, 3rd and 4th calls of Execute are refused with RPC_E_CALL_REJECTED, as a
//                       busy server refuses calls; k defaults to 1
//
// Calls are counted per member name (any case) from the start of each server process. No value, or an
// empty one, means no fault; a value that does not parse makes every call fail, saying so.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace standin::faults {

inline constexpr wchar_t kKey[] = L"Software\\Velmora\\WordStandIn";
inline constexpr wchar_t kValue[] = L"Fault";
// The exit code of a process ended by "exit" or "stall".
inline constexpr unsigned kExitCode = 3;

enum class Action { Fail, Exit, Stall, Reject };

struct Plan {
  Action action = Action::Fail;
  std::wstring member;
  unsigned call = 1;   // the first call hit, counted from 1
  unsigned extra = 0;  // stall: seconds; reject: how many calls (0 = 1)
  bool operator==(const Plan&) const = default;
};

// Reads "<action>:<member>:<n>[:<k>]"; nothing for a malformed text.
std::optional<Plan> Parse(std::wstring_view text);

// What plan does to the callNumber-th call of member, if anything.
std::optional<Action> Hits(const Plan& plan, std::wstring_view member, unsigned callNumber);

// Counts this call of member and carries out the fault the registry asks for: throws CallFailure, or ends
// the process.
void BeforeCall(const wchar_t* member);

}  // namespace standin::faults
