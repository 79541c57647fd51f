// Memory figures for the benchmarks: the heap the program holds through operator new, with its
// high-water mark since the last reset (the counting allocator the tests share), and the
// process's peak resident set.
#pragma once

#include <cstddef>

#include "tests/support/counting_heap.h"

namespace rivo::bench {

using testing::HeldHeapBytes;
using testing::PeakHeapBytes;
using testing::ResetPeakHeap;

// The peak resident set of the whole process so far, in bytes.
std::size_t PeakResidentBytes();

}  // namespace rivo::bench
