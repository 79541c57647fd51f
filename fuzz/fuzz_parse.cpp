// Fuzzes the parser against the literal, rescanning reference parser: both must build the same
// forest from every text. The first byte is left out, so that the targets share one seed layout
// (fuzz/corpus: a byte that picks the options, then the text). The reference is quadratic, so
// longer texts are refused.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"
#include "fuzz/fuzz_support.h"
#include "oracle/literal_parser.h"

namespace {

using rivo::expr::kNoNode;
using rivo::expr::NodeId;
using rivo::expr::TreeContainer;

constexpr std::size_t kMaxInputBytes = 513;  // the option byte and 512 of text

// The two forests node by node, labels and shape, without building their notation.
bool SameForest(const TreeContainer& left, const TreeContainer& right) {
    static std::vector<std::pair<NodeId, NodeId>> stack;
    stack.assign(1, {left.FirstTopLevel(), right.FirstTopLevel()});
    if (left.TopLevelCount() != right.TopLevelCount()) return false;
    while (!stack.empty()) {
        auto [a, b] = stack.back();
        stack.pop_back();
        // a and b walk one list of siblings in step, pushing each pair's children.
        for (; a != kNoNode && b != kNoNode; a = left.NextSibling(a), b = right.NextSibling(b)) {
            if (left.Label(a) != right.Label(b) || left.ChildCount(a) != right.ChildCount(b))
                return false;
            if (left.ChildCount(a) > 0) stack.emplace_back(left.FirstChild(a), right.FirstChild(b));
        }
        if (a != b) return false;  // one list ended before the other
    }
    return true;
}

void PrintForest(const char* name, const TreeContainer& tree) {
    std::fprintf(stderr, "%s:\n", name);
    for (const std::string& line : rivo::expr::FormatForest(tree))
        std::fprintf(stderr, "  %s\n", line.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t bytes) {
    if (bytes == 0) return 0;
    if (bytes > kMaxInputBytes) return -1;  // not kept in the corpus
    const std::string_view text(reinterpret_cast<const char*>(data + 1), bytes - 1);

    // Reused, as the window reuses its tree holder.
    static rivo::expr::RunBudget fastBudget(rivo::fuzz::kFuzzLimits);
    static rivo::expr::RunBudget literalBudget(rivo::fuzz::kFuzzLimits);
    static TreeContainer fast(fastBudget);
    static TreeContainer literal(literalBudget);
    fast.Clear();
    literal.Clear();
    rivo::expr::ParseExpression(text, fast, fast.AddFirstTopLevel(""));
    rivo::testing::LiteralParseExpression(text, literal, literal.AddFirstTopLevel(""));
    if (!SameForest(fast, literal)) {
        PrintForest("parser", fast);
        PrintForest("literal parser", literal);
        rivo::fuzz::Require(false, "the parser and the literal parser build different forests");
    }
    return 0;
}
