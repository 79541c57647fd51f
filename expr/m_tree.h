// The parser of the expression language, the prefix listing, and the driver that runs the whole
// pipeline for one request: text in, listing out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "expr/tree.h"

namespace rivo::expr {

// Fills `node`, which already belongs to the tree, from the text: its label, its children and,
// for a ";" list, further nodes after it at its own level. Every text within the size limit
// yields a tree.
void ParseExpression(std::string_view text, TreeContainer& tree, NodeId node);

// The prefix listing: one line per node of the root's subtree, in pre-order.
using Listing = std::vector<std::string>;

// Texts longer than this are refused at once with "Expression is too large".
inline constexpr std::size_t kMaxExpressionBytes = std::size_t{1} << 20;

// The one check of that limit, made by every entry point (the parser, the driver, rivo-cli's
// reading of its operands): throws "Expression is too large" for a longer text.
void CheckExpressionSize(std::string_view text);

// Runs the pipeline on the text exactly as typed: clears the container, parses into a new root,
// expands diff calls, simplifies, and lists the root's subtree. The listing is the caller's.
// The listing counts against the run's memory budget like the tree: a tree that fits but whose
// listing would not ends the run with "Expression is too large".
Listing BuildListing(std::string_view text, TreeContainer& tree);

// The memory a listing holds, as the memory budget counts it: what a caller that keeps the
// listing of one request while the next one builds declares as held (HeldMemory).
std::size_t ListingBytes(const Listing& listing);

// The pipeline without the listing: the container cleared and the root (its first top-level
// node) parsed, expanded and simplified. BuildListing lists what this leaves.
void BuildTree(std::string_view text, TreeContainer& tree);

// The listing of the root's subtree, as BuildListing makes it after BuildTree: the list and
// every line count against the run's memory before they are allocated.
Listing ListTree(TreeContainer& tree);

// Appends the lines of the node's subtree to the listing, in pre-order; every line and any
// growth of the list count against the budget's run before they are allocated, and stay
// counted until the next run starts.
void ListSubtree(const TreeContainer& tree, NodeId node, RunBudget& budget, Listing& listing);

// The nodes of the node's subtree in the order ListSubtree lists them: line i of a listing came
// from node i. Its growth is charged to `charge`, which the caller holds as long as the list.
std::vector<NodeId> ListedNodes(const TreeContainer& tree, NodeId node, ScopedCharge& charge);

// The line of one label: " @F" for operators and functions, " @N" for numbers, or nothing.
std::string AddKindSuffix(const std::string& label);

}  // namespace rivo::expr
