// What the fuzz targets share: the tree budgets of an instrumented run, a check that says what
// failed before it aborts, and a cheap fingerprint of a listing.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "expr/tree.h"

namespace rivo::fuzz {

// Under the sanitizers and the coverage counters a work step costs a microsecond or more, so
// with the product's budgets one legal nested-diff text of a few hundred bytes runs for five
// seconds, past the fuzzer's timeout. These budgets end such a run with "Expression is too
// large" within some 30 ms, while every text up to the fuzzer's length limit (1 KiB,
// scripts/fuzz.sh) still parses: at most two nodes a byte. The error is a legal answer. The
// memory budget stays out of reach of what the node and label budgets allow: a memory figure
// also counts the node chunks an earlier input left in the reused container, and a verdict that
// depended on the input before would make the repeat checks report false findings.
inline constexpr expr::BudgetLimits kFuzzLimits{
    .nodes = 5'000,
    .labelBytes = std::size_t{128} << 10,
    .work = 25'000,
    .memory = std::size_t{16} << 20,
};

// A broken invariant: says which, then aborts so that libFuzzer keeps the input.
inline void Require(bool holds, const char* invariant) {
    if (holds) return;
    std::fprintf(stderr, "broken invariant: %s\n", invariant);
    std::abort();
}

inline std::size_t Fingerprint(const std::vector<std::string>& lines) {
    std::size_t hash = lines.size();
    for (const std::string& line : lines)
        hash = hash * 1000003u ^ std::hash<std::string_view>{}(line);
    return hash;
}

}  // namespace rivo::fuzz
