// The parser of the expression language, the prefix listing, and the driver that runs the whole
// pipeline for one request: text in, listing out.
//
// The expression language, as ParseExpression reads it. This is its one table: the docs point
// here, and oracle/literal_parser.cpp reads the same language literally for the differential
// test. Every text the parser is given (the whole input, an operand, an argument, a list
// element) is read the same way:
//
//   1. Strip: while the first byte is "(", the last is ")" and that "(" does not close before the
//      last byte, both go (StripSegment). A text of two bytes or fewer is not stripped at
//      all, but a longer one is stripped to the end: «((a))» is "a", "()" stays, «(())» becomes
//      empty, «(a)+(b)» stays whole. Brackets never strip.
//   2. Empty: the node stays as it was; a node just appended keeps its empty label.
//   3. Unary minus: a text that begins with "-" is read with a "0" in front: -x is 0-x.
//   4. Split: the first row of this table that finds a position decides the node. "First" and
//      "last" are occurrences at depth zero (below); "inner" means neither the first nor the
//      last byte of the text (with the "0" of step 3); "cut" is the first 23 bytes.
//
//   class    looks for, at depth zero         takes  where  label           children
//   list     ";"                              first  any    the text, cut   see Lists below
//   colon    ":"                              last   any    ":"             left, right
//   assign   "=" with no "=" after it and     last   inner  "="             left, right
//            none of = ! < > before it
//   compare  "==" "!=" "<=" ">=", or else     last   inner  the one or two  left, right (after
//            "<" ">", starting there                        bytes           the whole operator)
//   add      "+" or "-"                       last   any    that byte       left, right
//   multiply "*" or "/"                       last   any    that byte       left, right
//   power    "^"                              last   any    "^"             left, right
//   call     "(" or "[" at ANY depth          first  any    the bytes       one: the bytes
//                                                           before it, then after it, up to but
//                                                           " @F" or " @A"  not the last byte
//   leaf     none of the above                -      -      the text, cut   none
//
// Depth zero: counting from the text's first byte, "(" adds one to a parenthesis count and ")"
// takes one away; "[" and "]" do the same to a bracket count, but only where the parenthesis
// count is zero. A byte is at depth zero when both counts, after it, are zero.
//
// Precedence, loosest first: ";", ":", "=", comparisons, "+" "-", "*" "/", "^", call and index.
// Every two-operand class splits at its last occurrence, so each groups from the left: a-b-c is
// (a-b)-c, a^b^c is (a^b)^c, x:y:z is (x:y):z, a<b<c is (a<b)<c. The left operand is appended
// first. Unary minus binds as loosely as "-": -a*b is 0-(a*b), -a^b is 0-(a^b); within a text a
// "-" is always binary, so a*-b is (a*"")-b.
//
// Lists: ";" splits at its first occurrence. The part before it refills this node; the part after
// it goes into a new node after this one at the same level (a further top-level node, or a further
// child of the parent). So a;b;c is three nodes at one level, f(x;y) a call with two children and
// (a;b)+c a "+" with the three children a, b, c. The node first takes the whole text, cut, which
// stays when the part before the ";" is empty: ";b" gives ";b" and "b"; "a;" gives "a" and "".
//
// Cut: a label taken from the text keeps its first 23 bytes (kLeafLabelLength): bytes, not
// characters, so a UTF-8 character may be cut. A call's name is never cut; an operator's label is
// its one or two bytes.
//
// What never splits: every other byte ("&", a "!" not before "=", ",", ".", letters, digits,
// blanks) stays in a label, and blanks are never removed: "a + b" gives "a " and " b", «sin (x)»
// the call "sin  @F". An empty operand is a node with an empty label: "a+" is "+"("a", ""), "+a"
// is "+"("", "a"); "=a" is the leaf "=a", since "=" is never first. After an unclosed "(" or "["
// nothing is at depth zero, so the text falls to the call row, its last byte dropped: «(a+b» is
// " @F"("+"("a", "")). After a stray ")" or "]" a count stays below zero and no operator behind
// it is found: «a)+b» is a leaf. Bytes after a call's closing bracket are not read as such:
// «f(x)y» is "f @F"("x)"). "1E-5" splits at the "-". There is no syntax error: every text yields a
// tree, unless it is longer than kMaxExpressionBytes or the tree passes its budgets, which ends
// the run with "Expression is too large".
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
