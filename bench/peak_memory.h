// Memory figures for the benchmarks: the heap the program holds through operator new, with its
// high-water mark since the last reset, and the process's peak resident set.
#pragma once

#include <cstddef>

namespace rivo::bench {

// What the program holds through operator new now, in bytes.
std::size_t HeldHeapBytes();

// Starts a new high-water mark at what the program holds now.
void ResetPeakHeap();

// The most the program held through operator new since the last reset, in bytes.
std::size_t PeakHeapBytes();

// The peak resident set of the whole process so far, in bytes.
std::size_t PeakResidentBytes();

}  // namespace rivo::bench
