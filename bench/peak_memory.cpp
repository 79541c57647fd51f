#include "bench/peak_memory.h"

#include <sys/resource.h>

namespace rivo::bench {

std::size_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // reported in KiB
}

}  // namespace rivo::bench
