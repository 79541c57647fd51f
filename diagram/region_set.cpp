#include "diagram/region_set.h"

#include <array>

namespace rivo::diagram {

namespace {

// One flag per unsigned byte value, cleared at the start of each operation.
using PresenceTable = std::array<bool, 256>;

void Mark(PresenceTable& table, const std::string& codes, bool value) {
    for (const char c : codes)
        table[static_cast<unsigned char>(c)] = value;
}

// Code 0 is left out on purpose: the scan runs over 1 to 255.
template <typename Present>
std::string Collect(Present present) {
    std::string result;
    for (int k = 1; k < 256; ++k) {
        if (present(static_cast<std::size_t>(k))) result.push_back(static_cast<char>(k));
    }
    return result;
}

}  // namespace

std::string RegionUnion(std::string first, std::string second) {
    PresenceTable present{};
    Mark(present, first, true);
    Mark(present, second, true);
    return Collect([&](std::size_t k) { return present[k]; });
}

std::string RegionIntersection(std::string first, std::string second) {
    PresenceTable inFirst{};
    PresenceTable inSecond{};
    Mark(inFirst, first, true);
    Mark(inSecond, second, true);
    return Collect([&](std::size_t k) { return inFirst[k] && inSecond[k]; });
}

std::string RegionDifference(std::string first, std::string second) {
    PresenceTable present{};
    Mark(present, first, true);
    Mark(present, second, false);
    return Collect([&](std::size_t k) { return present[k]; });
}

}  // namespace rivo::diagram
