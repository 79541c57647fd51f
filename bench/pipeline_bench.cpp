// The expression pipeline alone, text to prefix listing, on texts of several shapes. A 32 KiB
// text should take at most 5 ms, and the time from 4 to 256 KiB should grow by at most
// 64^1.15: nothing on the way may be quadratic. The growth compares the two sizes in one
// benchmark, a batch of 64 small texts and one large text in turn, so that load on a shared
// machine falls on both; its counters give the fastest call of each and the median ratio.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "bench/interleaved.h"
#include "expr/m_tree.h"
#include "expr/tree.h"
#include "tests/expression_shapes.h"

namespace {

using rivo::testing::TextShape;

constexpr std::size_t kKiB = 1024;

std::size_t Lines(const std::string& text, rivo::expr::TreeContainer& tree) {
    const rivo::expr::Listing listing = rivo::expr::BuildListing(text, tree);
    benchmark::DoNotOptimize(listing.data());
    return listing.size();
}

void BM_Pipeline(benchmark::State& state, TextShape shape, std::size_t bytes) {
    const std::string text = rivo::testing::ShapedText(shape, bytes);
    rivo::expr::RunBudget budget;
    rivo::expr::TreeContainer tree(budget);
    std::size_t lines = 0;
    for (auto _ : state)
        lines = Lines(text, tree);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["lines"] = static_cast<double>(lines);
}

constexpr std::size_t kSmall = 4 * kKiB;
constexpr std::size_t kLarge = 256 * kKiB;
constexpr std::size_t kSmallPerLarge = kLarge / kSmall;

void BM_Growth(benchmark::State& state, TextShape shape) {
    const std::string small = rivo::testing::ShapedText(shape, kSmall);
    const std::string large = rivo::testing::ShapedText(shape, kLarge);
    rivo::expr::RunBudget budget;
    rivo::expr::TreeContainer tree(budget);
    rivo::bench::InterleavedPair pair;
    for (auto _ : state) {
        pair.Measure([&] { Lines(large, tree); }, 1,
                     [&] {
                         for (std::size_t i = 0; i < kSmallPerLarge; ++i)
                             Lines(small, tree);
                     },
                     kSmallPerLarge);
    }
    pair.Report(state, "large_us", "small_us", "growth");
}

constexpr TextShape kShapes[] = {TextShape::kLeftChain, TextShape::kRightChain,
                                 TextShape::kNestedParentheses, TextShape::kNestedCalls};

// The names are built from tables, so the benchmarks register themselves before main.
[[maybe_unused]] const bool kRegistered = [] {
    for (const TextShape shape : kShapes) {
        const std::string name = std::string(rivo::testing::ShapeName(shape));
        benchmark::RegisterBenchmark(("Pipeline/" + name + "/32KiB").c_str(), BM_Pipeline, shape,
                                     32 * kKiB)
            ->Unit(benchmark::kMicrosecond);
        // A pair takes some 50 ms; a fixed count gives every repetition enough pairs for a
        // median whatever --benchmark_min_time says.
        benchmark::RegisterBenchmark(("Growth/" + name + "/4KiB_to_256KiB").c_str(), BM_Growth,
                                     shape)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(9);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
