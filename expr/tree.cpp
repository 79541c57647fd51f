#include "expr/tree.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "expr/error.h"

namespace rivo::expr {

void TreeContainer::ThrowBadHandle(bool deleted) {
    throw std::logic_error(deleted ? "deleted node handle" : "invalid node handle");
}

NodeId TreeContainer::Parent(NodeId node) const {
    const NodeId family = At(node).parentFamily;
    return family == kNoNode ? kNoNode : Slot(family).familyOwner;
}

bool TreeContainer::IsAlive(NodeId node) const {
    if (node < 0 || node >= used_) return false;
    return Slot(node).childCount != kFreeSlot;
}

TreeContainer::~TreeContainer() {
    budget_->ForgetTree();
}

void TreeContainer::AddChunk() {
    // The table of chunks grows too, its new block held beside the old one while the pointers
    // move; each block is charged before it is allocated.
    if (chunks_.size() == chunks_.capacity()) {
        const std::size_t capacity = std::max<std::size_t>(16, 2 * chunks_.capacity());
        budget_->ChargeStorage(capacity * sizeof(chunks_[0]));
        const std::size_t old = chunks_.capacity() * sizeof(chunks_[0]);
        chunks_.reserve(capacity);
        budget_->ReleaseStorage(old);
    }
    budget_->ChargeStorage(kChunkBytes);
    try {
        chunks_.push_back(std::make_unique<Node[]>(static_cast<std::size_t>(kChunkSize)));
    } catch (...) {
        budget_->ReleaseStorage(kChunkBytes);
        throw;
    }
}

NodeId TreeContainer::NewNode(std::string label) {
    budget_->ChargeWork(1);
    budget_->ChargeNode(label.size());
    NodeId id;
    NodeId family;
    NodeId familyOwner;
    if (freeList_ != kNoNode) {
        id = freeList_;
        const Node& slot = Slot(id);
        freeList_ = slot.next;
        family = slot.family;
        familyOwner = slot.familyOwner;
    } else {
        if ((used_ & (kChunkSize - 1)) == 0 &&
            static_cast<std::size_t>(used_ >> kChunkBits) == chunks_.size()) {
            try {
                AddChunk();
            } catch (...) {
                budget_->ReleaseNode(label.size());
                throw;
            }
        }
        id = used_++;
        family = id;
        familyOwner = id;
    }
    Node& n = Slot(id);
    n.parentFamily = n.first = n.last = n.next = n.prev = kNoNode;
    n.family = family;
    n.familyOwner = familyOwner;
    Slot(family).familyOwner = id;
    // A slot's old label holds no heap block (Delete and Clear saw to that); a new label that
    // fits inline must not bring one either, or the budget would not see it.
    if (label.size() <= kInlineStringBytes && label.capacity() > kInlineStringBytes) {
        label.shrink_to_fit();
    }
    n.label = std::move(label);
    n.childCount = 0;
    ++liveNodes_;
    return id;
}

void TreeContainer::LinkLast(NodeId parent, NodeId node) {
    Node& n = At(node);
    n.parentFamily = parent == kNoNode ? kNoNode : At(parent).family;
    n.next = kNoNode;
    if (parent == kNoNode) {
        n.prev = topLast_;
        if (topLast_ != kNoNode) {
            At(topLast_).next = node;
        } else {
            topFirst_ = node;
        }
        topLast_ = node;
        ++topCount_;
        return;
    }
    Node& p = At(parent);
    n.prev = p.last;
    if (p.last != kNoNode) {
        At(p.last).next = node;
    } else {
        p.first = node;
    }
    p.last = node;
    ++p.childCount;
}

void TreeContainer::LinkFirst(NodeId parent, NodeId node) {
    Node& n = At(node);
    Node& p = At(parent);
    n.parentFamily = p.family;
    n.prev = kNoNode;
    n.next = p.first;
    if (p.first != kNoNode) {
        At(p.first).prev = node;
    } else {
        p.last = node;
    }
    p.first = node;
    ++p.childCount;
}

void TreeContainer::Unlink(NodeId node) {
    const NodeId parent = Parent(node);
    Node& n = At(node);
    NodeId& first = parent == kNoNode ? topFirst_ : At(parent).first;
    NodeId& last = parent == kNoNode ? topLast_ : At(parent).last;
    if (n.prev != kNoNode) {
        At(n.prev).next = n.next;
    } else {
        first = n.next;
    }
    if (n.next != kNoNode) {
        At(n.next).prev = n.prev;
    } else {
        last = n.prev;
    }
    if (parent == kNoNode) {
        --topCount_;
    } else {
        --At(parent).childCount;
    }
    n.parentFamily = n.next = n.prev = kNoNode;
}

void TreeContainer::Clear() {
    // Chunks up to a few MiB stay for the next run, whose nodes then need no fresh pages. A slot
    // is set up afresh when it is handed out again; only heap blocks of labels must go now, and
    // there are none when no live label has one (Delete frees the others).
    if (chunks_.size() > kKeptChunks) {
        budget_->ReleaseStorage((chunks_.size() - kKeptChunks) * kChunkBytes);
        chunks_.resize(kKeptChunks);
    }
    if (budget_->LabelHeapBytes() != 0) {
        const NodeId kept = std::min(used_, static_cast<NodeId>(chunks_.size()) * kChunkSize);
        for (NodeId slot = 0; slot < kept; ++slot) {
            std::string& label = Slot(slot).label;
            if (label.capacity() > kInlineStringBytes) std::string().swap(label);
        }
    }
    used_ = 0;
    freeList_ = kNoNode;
    topFirst_ = topLast_ = kNoNode;
    topCount_ = 0;
    liveNodes_ = 0;
    budget_->ReleaseAllNodes();
    budget_->StartRun();
}

NodeId TreeContainer::AddFirstTopLevel(std::string label) {
    const NodeId id = NewNode(std::move(label));
    Node& n = At(id);
    n.next = topFirst_;
    if (topFirst_ != kNoNode) {
        At(topFirst_).prev = id;
    } else {
        topLast_ = id;
    }
    topFirst_ = id;
    ++topCount_;
    return id;
}

NodeId TreeContainer::AppendChild(NodeId parent, std::string label) {
    if (parent != kNoNode) At(parent);  // reject a bad parent before allocating
    const NodeId id = NewNode(std::move(label));
    LinkLast(parent, id);
    return id;
}

void TreeContainer::SetLabel(NodeId node, std::string label) {
    Node& n = At(node);
    budget_->ChargeLabelChange(n.label.size(), label.size());
    n.label = std::move(label);
    // Assigning a short label keeps the old label's heap block, and a short label may bring
    // one; the budget counts none, so none may stay.
    if (n.label.size() <= kInlineStringBytes && n.label.capacity() > kInlineStringBytes) {
        n.label.shrink_to_fit();
    }
}

NodeId TreeContainer::FarChild(const Node& n, int index) const {
    if (index < 0 || index >= n.childCount) {
        throw PipelineError("List index out of bounds (" +
                            std::to_string(static_cast<long long>(index) - n.childCount) + ")");
    }
    // Walk from the nearer end: the passes ask for the first two children or the last one.
    if (index <= n.childCount / 2) {
        NodeId c = n.first;
        for (int i = 0; i < index; ++i)
            c = At(c).next;
        return c;
    }
    NodeId c = n.last;
    for (int i = n.childCount - 1; i > index; --i)
        c = At(c).prev;
    return c;
}

void TreeContainer::Delete(NodeId node) {
    At(node);
    Unlink(node);
    // Leaves first, through the links alone: a stack would grow with the subtree's depth. A
    // freed leaf hands over to its next sibling, or to its parent, which may be a leaf by then.
    NodeId current = node;
    while (true) {
        while (At(current).first != kNoNode)
            current = At(current).first;
        if (current == node) break;
        const NodeId next = At(current).next;
        const NodeId parent = Parent(current);
        Node& p = At(parent);
        p.first = next;
        if (next == kNoNode) {
            p.last = kNoNode;
        } else {
            At(next).prev = kNoNode;
        }
        --p.childCount;
        Free(current);
        current = next != kNoNode ? next : parent;
    }
    Free(node);
}

void TreeContainer::Free(NodeId id) {
    Node& n = At(id);
    budget_->ReleaseNode(n.label.size());
    std::string().swap(n.label);
    n.parentFamily = n.first = n.last = n.prev = kNoNode;
    n.childCount = kFreeSlot;
    n.next = freeList_;
    freeList_ = id;
    --liveNodes_;
}

void TreeContainer::MoveChildren(NodeId from, NodeId to) {
    Node& target = At(to);
    Node& source = At(from);
    if (from == to) return;  // its children already stand after its children
    if (target.first == kNoNode && source.first != kNoNode) {
        // The children keep naming their family; only its owner changes.
        std::swap(source.family, target.family);
        Slot(target.family).familyOwner = to;
        Slot(source.family).familyOwner = from;
        target.first = std::exchange(source.first, kNoNode);
        target.last = std::exchange(source.last, kNoNode);
        target.childCount = std::exchange(source.childCount, 0);
        return;
    }
    while (At(from).first != kNoNode) {
        const NodeId c = At(from).first;
        Unlink(c);
        LinkLast(to, c);
    }
}

void TreeContainer::MoveChildrenToFront(NodeId from, NodeId to) {
    if (from == to) return;
    // Into a childless node front and back are the same place, where the list changes hands.
    if (At(to).first == kNoNode) return MoveChildren(from, to);
    while (At(from).last != kNoNode) {
        const NodeId c = At(from).last;
        Unlink(c);
        LinkFirst(to, c);
    }
}

void TreeContainer::CopySubtree(NodeId source, NodeId destination) {
    {
        // A label may be as long as the text: the budget must have room for the copy first.
        const ScopedCharge copy(*budget_, StringHeapBytes(Label(source).size()));
        SetLabel(destination, Label(source));
    }
    // Take the source's shape first, so that a destination inside the source cannot make the
    // copy chase its own new nodes. Each entry: source node, index of its copied parent. The
    // scratch lists are as long as the subtree: each grows only once the budget has room.
    ScopedCharge scratch(*budget_);
    using Entry = std::pair<NodeId, std::int32_t>;
    constexpr std::int32_t kTop = -1;
    std::vector<Entry> order;
    std::vector<Entry> pending;
    MakeRoom(pending, static_cast<std::size_t>(ChildCount(source)), scratch);
    for (NodeId c = LastChild(source); c != kNoNode; c = PreviousSibling(c))
        pending.emplace_back(c, kTop);
    while (!pending.empty()) {
        const Entry entry = pending.back();
        pending.pop_back();
        MakeRoom(order, 1, scratch);
        order.push_back(entry);
        const auto self = static_cast<std::int32_t>(order.size() - 1);
        MakeRoom(pending, static_cast<std::size_t>(ChildCount(entry.first)), scratch);
        for (NodeId c = LastChild(entry.first); c != kNoNode; c = PreviousSibling(c))
            pending.emplace_back(c, self);
    }
    scratch.Add(order.size() * sizeof(NodeId));
    std::vector<NodeId> copies(order.size(), kNoNode);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const NodeId parent = order[k].second == kTop
                                  ? destination
                                  : copies[static_cast<std::size_t>(order[k].second)];
        const std::string& label = Label(order[k].first);
        const ScopedCharge copy(*budget_, StringHeapBytes(label.size()));
        copies[k] = AppendChild(parent, label);
    }
}

}  // namespace rivo::expr
