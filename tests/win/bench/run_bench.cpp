// Times the replacement run over a folder of documents, as the program carries it out, and reports the
// run's peak memory. Usage: run_bench FOLDER PAIRS_FILE
//   FOLDER      every .docx in it takes part (mode one)
//   PAIRS_FILE  UTF-8: texts to be replaced, a line "----", replacement texts
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "replace/run.h"

namespace fs = std::filesystem;

static std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: run_bench FOLDER PAIRS_FILE\n");
    return 2;
  }
  velmora::RunInput input;
  for (const auto& entry : fs::directory_iterator(argv[1])) {
    if (entry.path().extension() == L".docx") input.documents.push_back(entry.path().wstring());
  }
  std::ifstream in(fs::path(argv[2]), std::ios::binary);
  const std::wstring pairs = Wide(std::string(std::istreambuf_iterator<char>(in), {}));
  const std::size_t cut = pairs.find(L"\n----\n");
  if (cut == std::wstring::npos) return 2;
  input.findBox = pairs.substr(0, cut);
  input.replaceBox = pairs.substr(cut + 6);
  auto checked = velmora::CheckRun(input);
  if (!std::holds_alternative<velmora::RunPlan>(checked)) {
    std::fprintf(stderr, "the input does not pass the checks\n");
    return 2;
  }
  const auto& plan = std::get<velmora::RunPlan>(checked);
  std::atomic<bool> stop{false};
  const auto start = std::chrono::steady_clock::now();
  const auto results = velmora::CarryOutRun(plan, {}, nullptr, stop);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::size_t replaced = 0;
  for (const auto& r : results) replaced += r.outcome == velmora::Outcome::kReplaced;
  PROCESS_MEMORY_COUNTERS memory{sizeof(memory)};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  std::printf("documents %zu, pairs %zu, replaced %zu, seconds %.2f, peak working set %.1f MiB\n",
              plan.documents.size(), plan.documents.empty() ? 0 : plan.documents[0].pairs.size(), replaced, seconds,
              static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
  return replaced == plan.documents.size() ? 0 : 1;
}
