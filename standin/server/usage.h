// What one server process did, for benchmarks: the automation calls it answered and, when it ends, its CPU
// time and peak memory. Recorded only when asked for with one string value:
//
//   HKLM\Software\Velmora\WordStandIn  UsageFolder = "<folder>"
//
// Each process then writes one line to <folder>\standin-<process id>.txt as it ends:
//   getids <n> invoke <n> user_ms <n> kernel_ms <n> peak_kib <n>
#pragma once

namespace standin::usage {

inline constexpr wchar_t kValue[] = L"UsageFolder";

void CountGetIds();
void CountInvoke();

// Writes the process's line if a folder is set; nothing otherwise.
void WriteIfAsked();

}  // namespace standin::usage
