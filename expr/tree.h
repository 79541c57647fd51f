// The expression tree: an ordered forest of labelled nodes that every pipeline stage works on.
// Nodes live in an arena and are addressed by integer handles that stay valid until the node
// (or an ancestor) is deleted. Nothing here recurses: a walk follows the links or keeps its own
// stack, charged to the run's budget, so a tree as deep as the input allows can be built,
// copied and destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "expr/budget.h"

namespace rivo::expr {

using NodeId = std::int32_t;
inline constexpr NodeId kNoNode = -1;

class TreeContainer {
  public:
    // Every node and label, and the storage of the slots, is charged to `budget`, which must
    // outlive the tree.
    explicit TreeContainer(RunBudget& budget) : budget_(&budget) {}
    // The budget forgets the tree's nodes and storage: it may serve the next tree.
    ~TreeContainer();

    TreeContainer(const TreeContainer&) = delete;
    TreeContainer& operator=(const TreeContainer&) = delete;

    // Removes every node and starts a new run of the budget.
    void Clear();
    // A new node placed first among the top-level nodes.
    NodeId AddFirstTopLevel(std::string label);
    // A new last child of `parent`; with kNoNode, a new last top-level node.
    NodeId AppendChild(NodeId parent, std::string label);
    // Removes the node with its whole subtree; its former siblings keep their order.
    void Delete(NodeId node);

    NodeId Parent(NodeId node) const;
    const std::string& Label(NodeId node) const { return At(node).label; }
    void SetLabel(NodeId node, std::string label);
    int ChildCount(NodeId node) const { return At(node).childCount; }
    // The index-th child (0-based); "List index out of bounds (%d)" outside 0 .. count - 1.
    NodeId Child(NodeId node, int index) const {
        // The passes nearly always ask for the first or the second child.
        const Node& n = At(node);
        if (index == 0 && n.childCount > 0) return n.first;
        if (index == 1 && n.childCount > 1) return At(n.first).next;
        return FarChild(n, index);
    }

    NodeId FirstTopLevel() const { return topFirst_; }
    int TopLevelCount() const { return topCount_; }

    // Sibling links, for walks that visit every child without indexing.
    NodeId FirstChild(NodeId node) const { return At(node).first; }
    NodeId LastChild(NodeId node) const { return At(node).last; }
    NodeId NextSibling(NodeId node) const { return At(node).next; }
    NodeId PreviousSibling(NodeId node) const { return At(node).prev; }

    // Appends all children of `from`, with their subtrees, after the children of `to`, without
    // copying. `to` must not lie inside one of those subtrees. Into a node without children this
    // takes constant time however many children move, so repeatedly lifting a wide node up a
    // long chain stays linear.
    void MoveChildren(NodeId from, NodeId to);
    // Places all children of `from`, with their subtrees and in their order, before the
    // children of `to`, one at a time: the cost is the number of children of `from`. `to` must
    // not lie inside one of those subtrees.
    void MoveChildrenToFront(NodeId from, NodeId to);

    // Copies the source's label onto the destination and appends copies of the source's
    // descendants after the destination's own children.
    void CopySubtree(NodeId source, NodeId destination);

    // The budget every stage of a run on this tree charges.
    RunBudget& Budget() { return *budget_; }
    const RunBudget& Budget() const { return *budget_; }

    bool IsAlive(NodeId node) const;
    std::size_t NodeCount() const { return liveNodes_; }

  private:
    // A child does not name its parent directly but its parent's family, the slot of an owner
    // record; handing a whole child list to another node then only re-points the owner.
    // Every slot, live or free, owns exactly one family, and families only ever swap owners.
    struct Node {
        std::string label;
        NodeId parentFamily = kNoNode;  // kNoNode at the top level
        NodeId family = kNoNode;        // the family this node's children belong to
        NodeId familyOwner = kNoNode;   // the owner of the family numbered like this slot
        NodeId first = kNoNode;
        NodeId last = kNoNode;
        NodeId next = kNoNode;  // also links the free list
        NodeId prev = kNoNode;
        std::int32_t childCount = kFreeSlot;  // kFreeSlot marks a slot that holds no node
    };
    static constexpr std::int32_t kFreeSlot = -1;

    // Fixed-size chunks: growing never moves nodes, so no growth step doubles the memory.
    static constexpr int kChunkBits = 12;
    static constexpr NodeId kChunkSize = NodeId{1} << kChunkBits;
    static constexpr std::size_t kKeptChunks = 64;  // 16 MiB of slots, 262144 nodes
    static constexpr std::size_t kChunkBytes = static_cast<std::size_t>(kChunkSize) * sizeof(Node);

    // Every access checks its handle; kept inline, since every pass goes through here.
    Node& At(NodeId node) { return const_cast<Node&>(std::as_const(*this).At(node)); }
    const Node& At(NodeId node) const {
        if (node < 0 || node >= used_) [[unlikely]]
            ThrowBadHandle(false);
        const Node& n = Slot(node);
        if (n.childCount == kFreeSlot) [[unlikely]]
            ThrowBadHandle(true);
        return n;
    }
    // Live or free.
    Node& Slot(NodeId slot) { return const_cast<Node&>(std::as_const(*this).Slot(slot)); }
    const Node& Slot(NodeId slot) const {
        return chunks_[static_cast<std::size_t>(slot >> kChunkBits)]
                      [static_cast<std::size_t>(slot & (kChunkSize - 1))];
    }
    [[noreturn]] static void ThrowBadHandle(bool deleted);
    NodeId FarChild(const Node& n, int index) const;
    void AddChunk();
    NodeId NewNode(std::string label);
    void LinkLast(NodeId parent, NodeId node);
    void LinkFirst(NodeId parent, NodeId node);
    void Unlink(NodeId node);
    void Free(NodeId node);

    RunBudget* budget_;
    std::vector<std::unique_ptr<Node[]>> chunks_;
    NodeId used_ = 0;  // slots handed out so far
    NodeId freeList_ = kNoNode;
    NodeId topFirst_ = kNoNode;
    NodeId topLast_ = kNoNode;
    int topCount_ = 0;
    std::size_t liveNodes_ = 0;
};

}  // namespace rivo::expr
