#include "expr/budget.h"

#include "expr/error.h"

namespace rivo::expr {

namespace {

[[noreturn]] void ThrowTooLarge() {
    throw PipelineError(kTooLargeMessage);
}

}  // namespace

std::size_t StringHeapBytes(std::size_t length) {
    return length <= kInlineStringBytes ? 0 : (length + 24) & ~std::size_t{15};
}

void RunBudget::StartRun() {
    if (!shareWork_) work_ = 0;
    outOfWork_ = false;
    run_ = 0;
}

void RunBudget::ChargeWork(std::size_t steps) {
    if (steps > limits_.work - work_) {
        outOfWork_ = true;
        ThrowTooLarge();
    }
    work_ += steps;
}

void RunBudget::CheckMemoryGrowth(std::size_t growth) const {
    if (growth > limits_.memory || MemoryBytes() > limits_.memory - growth) ThrowTooLarge();
}

void RunBudget::ChargeMemory(std::size_t bytes) {
    CheckMemoryGrowth(bytes);
    run_ += bytes;
}

void RunBudget::ReleaseMemory(std::size_t bytes) {
    run_ -= std::min(bytes, run_);
}

void RunBudget::ChargeStorage(std::size_t bytes) {
    CheckMemoryGrowth(bytes);
    storage_ += bytes;
}

void RunBudget::ReleaseStorage(std::size_t bytes) {
    storage_ -= std::min(bytes, storage_);
}

void RunBudget::ChargeNode(std::size_t labelLength) {
    if (nodes_ >= limits_.nodes) ThrowTooLarge();
    ChargeLabelChange(0, labelLength);
    ++nodes_;
}

void RunBudget::ReleaseNode(std::size_t labelLength) {
    labelBytes_ -= labelLength;
    labelHeap_ -= StringHeapBytes(labelLength);
    --nodes_;
}

void RunBudget::ReleaseAllNodes() {
    nodes_ = 0;
    labelBytes_ = 0;
    labelHeap_ = 0;
}

void RunBudget::ForgetTree() {
    ReleaseAllNodes();
    storage_ = 0;
}

void RunBudget::ChargeLabelChange(std::size_t oldLength, std::size_t newLength) {
    if (newLength > oldLength && labelBytes_ - oldLength + newLength > limits_.labelBytes) {
        ThrowTooLarge();
    }
    const std::size_t oldHeap = StringHeapBytes(oldLength);
    const std::size_t newHeap = StringHeapBytes(newLength);
    if (newHeap > oldHeap) CheckMemoryGrowth(newHeap - oldHeap);
    labelBytes_ = labelBytes_ - oldLength + newLength;
    labelHeap_ = labelHeap_ - oldHeap + newHeap;
}

}  // namespace rivo::expr
