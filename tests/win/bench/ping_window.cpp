// Measures how quickly a window answers while the program works: sends it an empty message (WM_NULL) every
// 20 ms and times the round trip, until its title contains MARKER or it is gone. Prints one line:
//   samples <n> p50_ms <x> p90_ms <x> p99_ms <x> max_ms <x> over_50ms <n>
// Usage: ping_window HWND MARKER      (HWND as a decimal number)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const auto at = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(at, sorted.size() - 1)];
}

std::wstring Title(HWND h) {
  wchar_t text[512] = {};
  GetWindowTextW(h, text, 512);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ping_window HWND MARKER\n");
    return 2;
  }
  const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[1], nullptr, 10)));
  const std::wstring marker = argv[2];
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  while (IsWindow(window) && Title(window).find(marker) == std::wstring::npos) {
    LARGE_INTEGER before{}, after{};
    QueryPerformanceCounter(&before);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) break;
    QueryPerformanceCounter(&after);
    ms.push_back(1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                 static_cast<double>(frequency.QuadPart));
    Sleep(20);
  }
  std::sort(ms.begin(), ms.end());
  const auto over = std::count_if(ms.begin(), ms.end(), [](double x) { return x > 50.0; });
  std::printf("samples %zu p50_ms %.2f p90_ms %.2f p99_ms %.2f max_ms %.2f over_50ms %lld\n", ms.size(),
              Percentile(ms, 0.5), Percentile(ms, 0.9), Percentile(ms, 0.99), ms.empty() ? 0.0 : ms.back(),
              static_cast<long long>(over));
  return 0;
}
