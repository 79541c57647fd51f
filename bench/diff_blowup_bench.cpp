// The input whose derivative explodes: twenty diff calls nested around a product. Each level
// copies the whole result of the level inside it, so the run must end with "Expression is too
// large" once the tree's budgets are spent; this shows how long that takes and how much memory
// the run holds at its peak (both must stay under 2 s and 256 MB).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/peak_memory.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace {

constexpr double kMebibyte = 1024.0 * 1024.0;

std::string BlowUpText() {
    std::string text = "x*x*x*sin(x)";
    for (int i = 0; i < 20; ++i)
        text = "diff(" + text + ";x)";
    return text;
}

void BM_DiffBlowUp(benchmark::State& state) {
    const std::string text = BlowUpText();
    std::size_t peakHeap = 0;
    std::size_t nodes = 0;
    std::size_t labelBytes = 0;
    std::size_t work = 0;
    for (auto _ : state) {
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        const std::size_t before = rivo::bench::HeldHeapBytes();
        rivo::bench::ResetPeakHeap();
        try {
            rivo::expr::BuildListing(text, tree);
            state.SkipWithError("the blow-up ended without the budget error");
            break;
        } catch (const rivo::expr::PipelineError& e) {
            if (std::strcmp(e.what(), rivo::expr::kTooLargeMessage) != 0) {
                state.SkipWithError(e.what());
                break;
            }
        }
        peakHeap = std::max(peakHeap, rivo::bench::PeakHeapBytes() - before);
        nodes = tree.NodeCount();
        labelBytes = budget.LabelBytes();
        work = budget.WorkDone();
        state.PauseTiming();
        tree.Clear();
        state.ResumeTiming();
    }
    state.counters["peak_heap_MiB"] = static_cast<double>(peakHeap) / kMebibyte;
    state.counters["peak_rss_MiB"] =
        static_cast<double>(rivo::bench::PeakResidentBytes()) / kMebibyte;
    state.counters["nodes_at_error"] = static_cast<double>(nodes);
    state.counters["label_bytes_at_error"] = static_cast<double>(labelBytes);
    state.counters["work_steps"] = static_cast<double>(work);
}

BENCHMARK(BM_DiffBlowUp)
    ->Name("DiffBlowUp/twenty_nested_diffs_of_x*x*x*sin(x)")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
