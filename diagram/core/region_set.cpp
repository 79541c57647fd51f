#include "diagram/core/region_set.h"

#include <array>
#include <bit>
#include <cstdint>

namespace rivo::diagram {

namespace {

// One bit per unsigned byte value.
using CodeBits = std::array<std::uint64_t, 4>;

CodeBits BitsOf(const std::string& codes) {
    CodeBits bits{};
    for (const char c : codes) {
        const auto code = static_cast<unsigned char>(c);
        bits[code >> 6] |= std::uint64_t{1} << (code & 63u);
    }
    return bits;
}

// The codes whose bits are set, ascending; code 0 is left out on purpose.
std::string Collect(CodeBits bits) {
    bits[0] &= ~std::uint64_t{1};
    std::string result;
    for (std::size_t word = 0; word < bits.size(); ++word) {
        for (std::uint64_t rest = bits[word]; rest != 0; rest &= rest - 1) {
            result.push_back(
                static_cast<char>(word * 64 + static_cast<std::size_t>(std::countr_zero(rest))));
        }
    }
    return result;
}

template <typename Combine>
std::string Combined(const std::string& first, const std::string& second, Combine combine) {
    const CodeBits a = BitsOf(first);
    const CodeBits b = BitsOf(second);
    CodeBits out{};
    for (std::size_t word = 0; word < out.size(); ++word)
        out[word] = combine(a[word], b[word]);
    return Collect(out);
}

}  // namespace

std::string RegionUnion(std::string first, std::string second) {
    return Combined(first, second, [](std::uint64_t a, std::uint64_t b) { return a | b; });
}

std::string RegionIntersection(std::string first, std::string second) {
    return Combined(first, second, [](std::uint64_t a, std::uint64_t b) { return a & b; });
}

std::string RegionDifference(std::string first, std::string second) {
    return Combined(first, second, [](std::uint64_t a, std::uint64_t b) { return a & ~b; });
}

}  // namespace rivo::diagram
