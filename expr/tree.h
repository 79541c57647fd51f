// The expression tree: an ordered forest of labelled nodes that every pipeline stage works on.
// Nodes live in an arena and are addressed by integer handles that stay valid until the node
// (or an ancestor) is deleted. Nothing here recurses: a walk follows the links or keeps its own
// stack, charged to the run, so a tree as deep as the input allows can be built, copied and
// destroyed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rivo::expr {

using NodeId = std::int32_t;
inline constexpr NodeId kNoNode = -1;

// A run may hold this many live nodes and this many label bytes; past either the run ends with
// "Expression is too large". Both sit far above any typed expression (a 1 MiB text of operators
// makes about two million nodes at most).
inline constexpr std::size_t kNodeBudget = 2'200'000;
inline constexpr std::size_t kLabelByteBudget = std::size_t{48} << 20;
// Rewriting can churn far more nodes than it keeps (nested diff calls rework the same subtree
// at every level), so a run also has a budget of work steps: one per node made, deleted or
// visited by a pass. It bounds the time of every run to a second or two.
inline constexpr std::size_t kWorkBudget = 25'000'000;
// And a budget of memory: the node slots, the label buffers, the parser's index, scratch space
// of copies, the listing being built and the listing the caller still holds from the request
// before, the stacks of the passes and of the evaluation. The window's edit line lays out only
// what it shows, so the window needs some 40 MiB beside the pipeline with 1 MiB of text in it:
// with 160 MiB for the pipeline the window peaks near 206 MiB over repeated draws of a 1 MiB
// text, under 256 MB, and a 1 MiB chain can be drawn again while its listing is kept. The
// largest trees a 1 MiB text can make (two million nodes, listed, about 193 MiB) end with the
// error.
inline constexpr std::size_t kMemoryBudget = std::size_t{160} << 20;

class TreeContainer {
  public:
    TreeContainer() = default;
    TreeContainer(std::size_t nodeBudget, std::size_t labelByteBudget,
                  std::size_t workBudget = kWorkBudget, std::size_t memoryBudget = kMemoryBudget);

    TreeContainer(const TreeContainer&) = delete;
    TreeContainer& operator=(const TreeContainer&) = delete;
    TreeContainer(TreeContainer&&) noexcept = default;
    TreeContainer& operator=(TreeContainer&&) noexcept = default;
    ~TreeContainer() = default;

    // Removes every node and starts a new run: the work and memory counts restart.
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

    // Counts work steps against the run's budget; "Expression is too large" past it.
    void ChargeWork(std::size_t steps);

    // Counts memory the run holds outside the nodes (the parser's index, the listing) against
    // the memory budget, "Expression is too large" past it; Release gives it back.
    void ChargeMemory(std::size_t bytes);
    void ReleaseMemory(std::size_t bytes);
    // Memory the caller keeps from an earlier run while this one builds (the previous listing);
    // it counts against every run's memory budget until set again, Clear included.
    void SetHeldMemory(std::size_t bytes) { heldMemory_ = bytes; }
    // The heap a string of this length holds beyond the string object itself.
    static std::size_t StringHeapBytes(std::size_t length);

    bool IsAlive(NodeId node) const;
    std::size_t NodeCount() const { return liveNodes_; }
    std::size_t LabelBytes() const { return labelBytes_; }
    std::size_t WorkDone() const { return work_; }
    // Everything counted against the memory budget, held memory included.
    std::size_t MemoryBytes() const;

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
    NodeId NewNode(std::string label);
    void LinkLast(NodeId parent, NodeId node);
    void LinkFirst(NodeId parent, NodeId node);
    void Unlink(NodeId node);
    void ChargeLabel(std::size_t oldSize, std::size_t newSize);
    void CheckMemory() const;
    void Free(NodeId node);

    std::vector<std::unique_ptr<Node[]>> chunks_;
    NodeId used_ = 0;  // slots handed out so far
    NodeId freeList_ = kNoNode;
    NodeId topFirst_ = kNoNode;
    NodeId topLast_ = kNoNode;
    int topCount_ = 0;
    std::size_t liveNodes_ = 0;
    std::size_t labelBytes_ = 0;
    std::size_t nodeBudget_ = kNodeBudget;
    std::size_t labelByteBudget_ = kLabelByteBudget;
    std::size_t work_ = 0;
    std::size_t workBudget_ = kWorkBudget;
    std::size_t labelHeap_ = 0;    // StringHeapBytes of every live label
    std::size_t otherMemory_ = 0;  // ChargeMemory less ReleaseMemory
    std::size_t heldMemory_ = 0;
    std::size_t memoryBudget_ = kMemoryBudget;
};

// Memory a step holds beside the tree, charged to the run for as long as this lives: each part
// is charged before it is allocated, and whatever is still charged is given back at the end.
class ScopedCharge {
  public:
    explicit ScopedCharge(TreeContainer& tree, std::size_t bytes = 0) : tree_(tree) { Add(bytes); }
    ScopedCharge(const ScopedCharge&) = delete;
    ScopedCharge& operator=(const ScopedCharge&) = delete;
    ~ScopedCharge() { tree_.ReleaseMemory(bytes_); }

    void Add(std::size_t bytes) {
        if (bytes == 0) return;
        tree_.ChargeMemory(bytes);
        bytes_ += bytes;
    }
    void Release(std::size_t bytes) {
        bytes = std::min(bytes, bytes_);
        tree_.ReleaseMemory(bytes);
        bytes_ -= bytes;
    }

  private:
    TreeContainer& tree_;
    std::size_t bytes_ = 0;
};

// Room for `count` more elements in `items`, the growth charged before it is allocated: while
// the elements move, the old block and the new one are both held.
template <typename T>
void MakeRoom(std::vector<T>& items, std::size_t count, ScopedCharge& charge) {
    if (items.capacity() - items.size() >= count) return;
    const std::size_t old = items.capacity();
    const std::size_t capacity = std::max({std::size_t{16}, 2 * old, items.size() + count});
    charge.Add(capacity * sizeof(T));
    items.reserve(capacity);
    charge.Release(old * sizeof(T));
}

// The number test shared by the listing and the rewriting passes.
bool IsNumber(std::string_view text);

// Copies the source's label and descendants onto the destination (see the member).
void CopySubtree(TreeContainer& tree, NodeId source, NodeId destination);

}  // namespace rivo::expr
