// The post-order walk the rewriting passes share: children left to right, each with its whole
// subtree, before their parent, as a recursion would visit them, but with an explicit stack so
// that no input depth can exhaust the call stack.
#pragma once

#include <vector>

#include "expr/tree.h"

namespace rivo::expr {

// Calls visit(node) for every node of the root's subtree, the root last. The visit may rewrite
// the node's label and descendants but must leave the node in its place and its parent's child
// list as it was: the next sibling is taken before the node is visited, and nodes the visit
// builds or moves below it are not walked.
template <typename Visit>
void ForEachPostOrder(TreeContainer& tree, NodeId root, Visit&& visit) {
    // Each entry is a node and the child to walk next (kNoNode once all are done).
    struct Frame {
        NodeId node;
        NodeId next;
    };
    // The stack is as deep as the tree: it grows only once the budget has room.
    ScopedCharge charge(tree.Budget());
    std::vector<Frame> stack;
    MakeRoom(stack, 1, charge);
    stack.push_back({root, tree.FirstChild(root)});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next != kNoNode) {
            const NodeId child = top.next;
            top.next = tree.NextSibling(child);
            MakeRoom(stack, 1, charge);  // may move the stack: `top` is not used again
            stack.push_back({child, tree.FirstChild(child)});
            continue;
        }
        const NodeId current = top.node;
        stack.pop_back();
        visit(current);
    }
}

// Calls visit(node) for every node of the root's subtree in pre-order, the root first: the order
// of the prefix listing. It follows the sibling and parent links and keeps no stack; the visit
// must not change the tree.
template <typename Visit>
void ForEachPreOrder(const TreeContainer& tree, NodeId root, Visit&& visit) {
    NodeId current = root;
    while (true) {
        visit(current);
        if (const NodeId first = tree.FirstChild(current); first != kNoNode) {
            current = first;
            continue;
        }
        while (current != root && tree.NextSibling(current) == kNoNode)
            current = tree.Parent(current);
        if (current == root) return;
        current = tree.NextSibling(current);
    }
}

}  // namespace rivo::expr
