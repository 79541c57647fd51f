// The whole road, text to painted five-circle picture, on texts of the largest accepted size
// (1 MiB) of many shapes, and a few short texts that cost as much. Each must end, with a picture or
// a pipeline error, within 2 s and 256 MB. Run one shape per process to read its own peak resident
// set:
//   road_bench --benchmark_filter='^Road/left_chain/'
#include <benchmark/benchmark.h>

#include <string>

#include "bench/peak_memory.h"
#include "diagram/core/diagram_size.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "tests/expression_shapes.h"
#include "tests/support/window_holders.h"

namespace {

using rivo::testing::TextShape;

constexpr double kMebibyte = 1024.0 * 1024.0;

void BM_Road(benchmark::State& state, TextShape shape) {
    const std::string text = rivo::testing::ShapedText(shape, rivo::expr::kMaxExpressionBytes);
    std::size_t peakHeap = 0;
    std::string outcome;
    for (auto _ : state) {
        // As in the window: the tree, the listing and the picture outlive the request.
        rivo::testing::WindowHolders window;
        const std::size_t before = rivo::bench::HeldHeapBytes();
        rivo::bench::ResetPeakHeap();
        try {
            outcome = "regions " + window.Draw(rivo::diagram::DiagramSize::kFive, text);
        } catch (const rivo::expr::PipelineError& e) {
            outcome = std::string("error: ") + e.what();
        }
        peakHeap = std::max(peakHeap, rivo::bench::PeakHeapBytes() - before);
        state.PauseTiming();  // the next request's Clear is where the old tree goes
        window.tree.Clear();
        window.listing = {};
        state.ResumeTiming();
    }
    state.SetLabel(outcome.substr(0, 60));
    state.counters["peak_heap_MiB"] = static_cast<double>(peakHeap) / kMebibyte;
    state.counters["peak_rss_MiB"] =
        static_cast<double>(rivo::bench::PeakResidentBytes()) / kMebibyte;
}

// The names are built from tables, so the benchmarks register themselves before main.
[[maybe_unused]] const bool kRegistered = [] {
    for (const TextShape shape : rivo::testing::kRoadShapes) {
        // The size in the name is the text's own: a few shapes are short fixed texts.
        const std::size_t bytes =
            rivo::testing::ShapedText(shape, rivo::expr::kMaxExpressionBytes).size();
        const std::string size = bytes == rivo::expr::kMaxExpressionBytes
                                     ? std::string("1MiB")
                                     : std::to_string(bytes) + "B";
        const std::string name =
            "Road/" + std::string(rivo::testing::ShapeName(shape)) + "/" + size;
        benchmark::RegisterBenchmark(name.c_str(), BM_Road, shape)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
