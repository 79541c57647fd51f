#include "tests/support/counting_heap.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Each block carries its size in a header, so that the count on the way out is the count on the
// way in; the header keeps the block aligned as malloc would.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::atomic<std::size_t> gHeldBytes{0};
std::atomic<std::size_t> gPeakBytes{0};
std::atomic<void (*)()> gObserver{nullptr};

void* Allocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size));
    if (block == nullptr) throw std::bad_alloc();
    std::memcpy(block, &size, sizeof size);
    const std::size_t held = gHeldBytes.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t peak = gPeakBytes.load(std::memory_order_relaxed);
    while (held > peak && !gPeakBytes.compare_exchange_weak(peak, held)) {
    }
    if (const auto observer = gObserver.load(std::memory_order_relaxed)) observer();
    return block + kHeader;
}

void Release(void* pointer) noexcept {
    if (pointer == nullptr) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    gHeldBytes.fetch_sub(size, std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

namespace rivo::testing {

std::size_t HeldHeapBytes() {
    return gHeldBytes.load(std::memory_order_relaxed);
}

void ResetPeakHeap() {
    gPeakBytes.store(gHeldBytes.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

std::size_t PeakHeapBytes() {
    return gPeakBytes.load(std::memory_order_relaxed);
}

void SetAllocationObserver(void (*observer)()) {
    gObserver.store(observer, std::memory_order_relaxed);
}

}  // namespace rivo::testing
