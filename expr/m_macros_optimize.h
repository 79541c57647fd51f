// The simplifier: folds numbers, drops neutral operands, gathers numeric factors and moves
// negations outward, by a fixed list of local rules tried first match first.
#pragma once

#include "expr/tree.h"

namespace rivo::expr {

// Simplifies the node's subtree in place: the children first, left to right, each to its end,
// then the node itself until no rule fires. Nodes a rewrite builds are not tried again.
void SimplifyTree(TreeContainer& tree, NodeId node);

// Tries the rules on this node alone; true when one of them rewrote it. A rewrite changes only
// the node's label and descendants; the node keeps its handle and its place.
bool SimplifyNode(TreeContainer& tree, NodeId node);

// Gives `target` the label and the descendants of `source` and deletes `source`; the target keeps
// its handle and its place. The source may lie below the target or anywhere else, but the target
// must not lie inside the source's subtree. The descendants are relinked, not copied, in constant
// time. A scratch node is appended at the end of the top level meanwhile and deleted again.
void ReplaceWithSubtree(TreeContainer& tree, NodeId source, NodeId target);

}  // namespace rivo::expr
