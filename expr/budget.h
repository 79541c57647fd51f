// What one run of the pipeline may spend: nodes, label bytes, work steps and memory. The tree
// charges its nodes and labels here, the parser, the passes and the listing charge the memory
// they hold beside the tree, and the caller declares the listing it keeps from the run before.
// Past any limit the run ends with "Expression is too large".
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace rivo::expr {

// A run may hold this many live nodes and this many label bytes. Both sit far above any typed
// expression (a 1 MiB text of operators makes about two million nodes at most).
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

struct BudgetLimits {
    std::size_t nodes = kNodeBudget;
    std::size_t labelBytes = kLabelByteBudget;
    std::size_t work = kWorkBudget;
    std::size_t memory = kMemoryBudget;
};

// The heap a string of this length holds beyond the string object itself: the block malloc
// hands out for length + 1 bytes (header included, rounded up to 16), none for a string short
// enough to live inside the object.
std::size_t StringHeapBytes(std::size_t length);
inline constexpr std::size_t kInlineStringBytes = 15;

class RunBudget {
  public:
    RunBudget() = default;
    explicit RunBudget(const BudgetLimits& limits) : limits_(limits) {}

    // A new run: its work and the memory charged during it start again from nothing. What
    // outlives a run (the tree's slots, its labels, the held memory) stays counted.
    void StartRun();

    // From now on a new run keeps the work of the runs before it: the runs of one input (the
    // lines of a sheet, the two sides of `equal`) together spend at most what one run may, so
    // that the input's time is bounded whatever its shape.
    void ShareWorkAcrossRuns() { shareWork_ = true; }

    // Work steps; "Expression is too large" past the budget.
    void ChargeWork(std::size_t steps);

    // Memory the run holds beside the tree, charged before it is allocated; Release gives it
    // back. Prefer ScopedCharge, which gives back whatever is still charged when it ends.
    void ChargeMemory(std::size_t bytes);
    void ReleaseMemory(std::size_t bytes);

    // Memory the caller keeps from an earlier run while this one builds (the previous
    // listing); it counts against every run until set again. HeldMemory sets it for a scope.
    void SetHeldMemory(std::size_t bytes) { held_ = bytes; }

    // The tree's own accounts: a node with its label, a label changing length, the storage of
    // its slots. Each checks before it counts, so a refused charge leaves the counts as they
    // were and the caller allocates nothing.
    void ChargeNode(std::size_t labelLength);
    void ReleaseNode(std::size_t labelLength);
    void ChargeLabelChange(std::size_t oldLength, std::size_t newLength);
    void ChargeStorage(std::size_t bytes);
    void ReleaseStorage(std::size_t bytes);
    // The tree dropped every node; with ForgetTree also its storage (it is gone). A budget
    // serves one tree at a time.
    void ReleaseAllNodes();
    void ForgetTree();

    std::size_t NodeCount() const { return nodes_; }
    std::size_t LabelBytes() const { return labelBytes_; }
    std::size_t LabelHeapBytes() const { return labelHeap_; }
    std::size_t WorkDone() const { return work_; }
    // Whether the run was ended by the work budget (rather than by nodes, labels or memory).
    bool OutOfWork() const { return outOfWork_; }
    // Everything counted against the memory budget, held memory included.
    std::size_t MemoryBytes() const { return storage_ + labelHeap_ + run_ + held_; }

  private:
    void CheckMemoryGrowth(std::size_t growth) const;

    BudgetLimits limits_;
    std::size_t nodes_ = 0;
    std::size_t labelBytes_ = 0;
    std::size_t labelHeap_ = 0;  // StringHeapBytes of every live label
    std::size_t storage_ = 0;    // the tree's slots and their table
    std::size_t work_ = 0;
    std::size_t run_ = 0;  // ChargeMemory less ReleaseMemory, since the run started
    std::size_t held_ = 0;
    bool shareWork_ = false;
    bool outOfWork_ = false;
};

// Memory a step holds beside the tree, charged to the run for as long as this lives: each part
// is charged before it is allocated, and whatever is still charged is given back at the end.
class ScopedCharge {
  public:
    explicit ScopedCharge(RunBudget& budget, std::size_t bytes = 0) : budget_(budget) {
        Add(bytes);
    }
    ScopedCharge(const ScopedCharge&) = delete;
    ScopedCharge& operator=(const ScopedCharge&) = delete;
    ~ScopedCharge() { budget_.ReleaseMemory(bytes_); }

    void Add(std::size_t bytes) {
        if (bytes == 0) return;
        budget_.ChargeMemory(bytes);
        bytes_ += bytes;
    }
    void Release(std::size_t bytes) {
        bytes = std::min(bytes, bytes_);
        budget_.ReleaseMemory(bytes);
        bytes_ -= bytes;
    }
    // What is charged now went into something the run keeps (the listing): it stays charged
    // until the next run starts.
    void Keep() { bytes_ = 0; }

  private:
    RunBudget& budget_;
    std::size_t bytes_ = 0;
};

// The memory a caller keeps from the run before, declared for as long as this lives.
class HeldMemory {
  public:
    HeldMemory(RunBudget& budget, std::size_t bytes) : budget_(budget) {
        budget_.SetHeldMemory(bytes);
    }
    HeldMemory(const HeldMemory&) = delete;
    HeldMemory& operator=(const HeldMemory&) = delete;
    ~HeldMemory() { budget_.SetHeldMemory(0); }

  private:
    RunBudget& budget_;
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

}  // namespace rivo::expr
