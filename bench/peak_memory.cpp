// Replaces the global operator new and delete of the benchmark executable that links this file,
// so that every C++ allocation is counted. The block sizes come from malloc_usable_size, the
// same on the way in and out, so the count cannot drift.
#include "bench/peak_memory.h"

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gHeldBytes{0};
std::atomic<std::size_t> gPeakBytes{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    const std::size_t held =
        gHeldBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) +
        malloc_usable_size(block);
    std::size_t peak = gPeakBytes.load(std::memory_order_relaxed);
    while (held > peak && !gPeakBytes.compare_exchange_weak(peak, held)) {
    }
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    gHeldBytes.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
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

namespace rivo::bench {

std::size_t HeldHeapBytes() {
    return gHeldBytes.load(std::memory_order_relaxed);
}

void ResetPeakHeap() {
    gPeakBytes.store(gHeldBytes.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

std::size_t PeakHeapBytes() {
    return gPeakBytes.load(std::memory_order_relaxed);
}

std::size_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // reported in KiB
}

}  // namespace rivo::bench
