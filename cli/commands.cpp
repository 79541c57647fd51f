#include "cli/commands.h"

#include <iostream>
#include <iterator>
#include <ostream>

#include "expr/m_macros_optimize.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"

namespace rivo::cli {

namespace {

void WriteLines(std::ostream& out, const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        out << line << '\n';
}

// parse EXPR: the forest exactly as the parser left it, before any pass.
int RunParse(const Arguments& args, std::ostream& out) {
    const std::string text = ReadExpression(args.operands[0]);
    expr::TreeContainer tree;
    const expr::NodeId root = tree.AddFirstTopLevel("");
    expr::ParseExpression(text, tree, root);
    WriteLines(out, expr::FormatForest(tree));
    return 0;
}

// tree EXPR: the root node's tree after the passes, on one line.
int RunTree(const Arguments& args, std::ostream& out) {
    const std::string text = ReadExpression(args.operands[0]);
    expr::TreeContainer tree;
    expr::ParseExpression(text, tree, tree.AddFirstTopLevel(""));
    expr::SimplifyTree(tree, tree.FirstTopLevel());
    out << expr::FormatSubtree(tree, tree.FirstTopLevel()) << '\n';
    return 0;
}

constexpr Command kCommands[] = {
    {"parse", "EXPR", 1, "the forest the parser built, one line per top-level node", RunParse},
    {"tree", "EXPR", 1, "the root node's tree after the passes, one line", RunTree},
};

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

std::string ReadExpression(const std::string& operand) {
    if (operand != "-") return operand;
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace rivo::cli
