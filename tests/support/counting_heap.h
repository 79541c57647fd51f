// Replaces the global operator new and delete of the executable that calls any of these, so that
// every C++ allocation is counted: the bytes asked for, whatever malloc rounds them up to, since
// the memory charges of a run are reckoned in asked-for bytes too.
#pragma once

#include <cstddef>

namespace rivo::testing {

// What the program holds through operator new now, in bytes.
std::size_t HeldHeapBytes();

// Starts a new high-water mark at what the program holds now.
void ResetPeakHeap();

// The most the program held through operator new since the last reset, in bytes.
std::size_t PeakHeapBytes();

// Called after every allocation has been counted, or nothing when null. It must not allocate.
void SetAllocationObserver(void (*observer)());

}  // namespace rivo::testing
