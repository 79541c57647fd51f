// The simplifier on inputs whose cost would grow quadratically if a rewrite copied subtrees or
// relinked a wide child list one child at a time: the reported complexity should be O(N).
#include <benchmark/benchmark.h>

#include <string>

#include "expr/m_macros_optimize.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace {

using namespace rivo::expr;

void Simplify(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        state.PauseTiming();
        RunBudget budget;
        TreeContainer tree(budget);
        const NodeId root = tree.AddFirstTopLevel("");
        ParseExpression(text, tree, root);
        state.ResumeTiming();
        SimplifyTree(tree, root);
        benchmark::DoNotOptimize(tree.NodeCount());
        state.PauseTiming();  // the tree's destruction is not the simplifier's
        tree.Clear();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

std::string Repeat(const std::string& piece, std::int64_t count) {
    std::string out;
    for (std::int64_t i = 0; i < count; ++i)
        out += piece;
    return out;
}

// a+a+...+a: nothing to rewrite, only the walk.
void BM_UntouchedChain(benchmark::State& state) {
    Simplify(state, "a" + Repeat("+a", state.range(0)));
}

// f(1;...;1)*1*...*1: rule 18 lifts the N-child call N times.
void BM_WideCallLiftedUpAChain(benchmark::State& state) {
    Simplify(state, "f(1" + Repeat(";1", state.range(0)) + ")" + Repeat("*1", state.range(0)));
}

// (-a)*b*...*b: rule 23 moves the growing product under a new node at every level.
void BM_NegationPulledOutOfAChain(benchmark::State& state) {
    Simplify(state, "(-a)" + Repeat("*b", state.range(0)));
}

// -(-(...(a)...)): rules 5 and 28 on a right-deep nest.
void BM_NestedNegations(benchmark::State& state) {
    Simplify(state, Repeat("-(", state.range(0)) + "a" +
                        std::string(static_cast<std::size_t>(state.range(0)), ')'));
}

BENCHMARK(BM_UntouchedChain)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();
BENCHMARK(BM_WideCallLiftedUpAChain)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();
BENCHMARK(BM_NegationPulledOutOfAChain)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();
BENCHMARK(BM_NestedNegations)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();

}  // namespace

BENCHMARK_MAIN();
