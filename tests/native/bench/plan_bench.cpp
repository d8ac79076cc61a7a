// The program's own work in a run, apart from the automation calls: reading the boxes, the checks, the
// plan, and the texts of every Find.Execute. Google Benchmark; scripts/bench_program.sh runs it.
#include <benchmark/benchmark.h>

#include <string>

#include "replace/find_text.h"
#include "replace/run_input.h"

namespace {

velmora::RunInput Input(std::size_t documents, std::size_t pairs) {
  velmora::RunInput input;
  for (std::size_t d = 0; d < documents; ++d)
    input.documents.push_back(L"Z:\\bench\\docs\\doc" + std::to_wstring(d) + L".docx");
  for (std::size_t p = 0; p < pairs; ++p) {
    input.findBox += L"甲方" + std::to_wstring(p) + L"号\r\n";
    input.replaceBox += L"乙方^" + std::to_wstring(p) + L"名 (new)\r\n";
  }
  return input;
}

// Everything the run computes for documents x pairs, before and between its automation calls.
void WholeRunPlan(benchmark::State& state) {
  const velmora::RunInput input =
      Input(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  for (auto _ : state) {
    auto checked = velmora::CheckRun(input);
    std::size_t calls = 0;
    for (const auto& document : std::get<velmora::RunPlan>(checked).documents) {
      for (const auto& pair : document.pairs) calls += velmora::PlanExecutes(pair.find, pair.replace).size();
    }
    benchmark::DoNotOptimize(calls);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(WholeRunPlan)->Args({10, 10})->Args({100, 20})->Args({500, 50})->Unit(benchmark::kMillisecond);

// The boxes of a big paste: 100,000 lines each.
void SplitHundredThousandLines(benchmark::State& state) {
  const velmora::RunInput input = Input(1, 100000);
  for (auto _ : state) benchmark::DoNotOptimize(velmora::SplitLines(input.findBox));
}
BENCHMARK(SplitHundredThousandLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
