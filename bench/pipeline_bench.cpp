// The expression pipeline alone, text to prefix listing, on texts of 4, 32 and 256 KiB of
// several shapes. A 32 KiB text should take at most 5 ms, and the time from 4 to 256 KiB
// should grow by at most 64^1.15: nothing on the way may be quadratic.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "expr/m_tree.h"
#include "expr/tree.h"
#include "tests/expression_shapes.h"

namespace {

using rivo::testing::TextShape;

void BM_Pipeline(benchmark::State& state, TextShape shape, std::size_t bytes) {
    const std::string text = rivo::testing::ShapedText(shape, bytes);
    rivo::expr::TreeContainer tree;
    std::size_t lines = 0;
    for (auto _ : state) {
        const rivo::expr::Listing listing = rivo::expr::BuildListing(text, tree);
        lines = listing.size();
        benchmark::DoNotOptimize(listing.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["lines"] = static_cast<double>(lines);
}

constexpr TextShape kShapes[] = {TextShape::kLeftChain, TextShape::kRightChain,
                                 TextShape::kNestedParentheses, TextShape::kNestedCalls};

// The names are built from tables, so the benchmarks register themselves before main.
[[maybe_unused]] const bool kRegistered = [] {
    for (const TextShape shape : kShapes) {
        for (const std::size_t kib : {std::size_t{4}, std::size_t{32}, std::size_t{256}}) {
            const std::string name = "Pipeline/" + std::string(rivo::testing::ShapeName(shape)) +
                                     "/" + std::to_string(kib) + "KiB";
            benchmark::RegisterBenchmark(name.c_str(), BM_Pipeline, shape, kib * 1024)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
