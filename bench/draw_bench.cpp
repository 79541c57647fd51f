// One draw request, text to painted picture, as the window runs it, against the floor under its
// painting: the copy of the template and the same fills, done as plainly as possible on a bare
// pixel array. Both run in one benchmark, batch by batch in turn, so that load on a shared
// machine falls on both; the counters give the fastest call of each and the median ratio. The
// draw of three circles should stay within 1.5 times its floor.
#include <benchmark/benchmark.h>

#include <QImage>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/interleaved.h"
#include "diagram/core/diagram_layout.h"
#include "diagram/core/diagram_size.h"
#include "diagram/draw/painter.h"
#include "tests/support/window_holders.h"

namespace {

using rivo::diagram::DiagramSize;

constexpr const char* kDefaultText = "a*b+b*c+a*c-a*b*c";
// The union of all five circles: every one of the 21 regions.
constexpr const char* kAllRegionsText = "a+b+c+d+e";

using Window = rivo::testing::WindowHolders;

constexpr int kSide = 400;
constexpr std::size_t kPixels = std::size_t{kSide} * kSide;
constexpr std::uint32_t kWhitePixel = 0xFFFFFFFFu;  // RGB32 keeps the alpha byte at 0xFF

// A scanline fill of the white area around (x, y) on bare pixels; `stack` is reused storage.
void FloorFill(std::uint32_t* pixels, int x, int y, std::uint32_t colour,
               std::vector<std::int32_t>& stack) {
    stack.clear();
    stack.push_back(y * kSide + x);
    while (!stack.empty()) {
        const std::int32_t at = stack.back();
        stack.pop_back();
        const int row = at / kSide;
        std::uint32_t* line = pixels + row * kSide;
        int left = at % kSide;
        if (line[left] != kWhitePixel) continue;
        int right = left;
        while (left > 0 && line[left - 1] == kWhitePixel)
            --left;
        while (right + 1 < kSide && line[right + 1] == kWhitePixel)
            ++right;
        std::fill(line + left, line + right + 1, colour);
        for (const int next : {row - 1, row + 1}) {
            if (next < 0 || next >= kSide) continue;
            const std::uint32_t* neighbour = pixels + next * kSide;
            for (int column = left; column <= right; ++column) {
                if (neighbour[column] == kWhitePixel &&
                    (column == left || neighbour[column - 1] != kWhitePixel)) {
                    stack.push_back(next * kSide + column);
                }
            }
        }
    }
}

struct FloorFillStep {
    int x;
    int y;
    std::uint32_t colour;
};

// The fills the painter makes for the region set, each in its seed's colour.
std::vector<FloorFillStep> FillsOf(DiagramSize size, const std::string& regions) {
    std::vector<FloorFillStep> fills;
    for (const char code : regions) {
        const auto* seed = rivo::diagram::FindSeed(size, code);
        if (seed == nullptr) continue;
        const std::uint32_t table = seed->colour;
        fills.push_back(
            {seed->x, seed->y,
             qRgb(static_cast<int>(table & 0xFFu), static_cast<int>((table >> 8) & 0xFFu),
                  static_cast<int>((table >> 16) & 0xFFu))});
    }
    return fills;
}

// Batches of about a millisecond: short enough to fall between two moments of load.
constexpr std::size_t kCallsPerBatch = 16;

void BM_DrawAgainstFloor(benchmark::State& state, DiagramSize size, const char* text) {
    Window window;
    const std::string regions = window.Draw(size, text);
    const std::vector<FloorFillStep> fills = FillsOf(size, regions);
    const QImage& stored = rivo::diagram::DiagramTemplate(size);
    std::vector<std::uint32_t> pattern(kPixels);
    std::memcpy(pattern.data(), stored.constBits(), kPixels * sizeof(std::uint32_t));
    std::vector<std::uint32_t> picture(kPixels);
    std::vector<std::int32_t> stack;
    stack.reserve(kPixels);

    rivo::bench::InterleavedPair pair;
    for (auto _ : state) {
        pair.Measure(
            [&] {
                for (std::size_t i = 0; i < kCallsPerBatch; ++i) {
                    window.Draw(size, text);
                    benchmark::DoNotOptimize(window.picture.constBits());
                }
            },
            kCallsPerBatch,
            [&] {
                for (std::size_t i = 0; i < kCallsPerBatch; ++i) {
                    std::memcpy(picture.data(), pattern.data(), kPixels * sizeof(std::uint32_t));
                    for (const FloorFillStep& fill : fills)
                        FloorFill(picture.data(), fill.x, fill.y, fill.colour, stack);
                    benchmark::DoNotOptimize(picture.data());
                    benchmark::ClobberMemory();
                }
            },
            kCallsPerBatch);
    }
    // A floor that paints something else would measure nothing.
    if (std::memcmp(picture.data(), window.picture.constBits(), kPixels * sizeof(std::uint32_t)) !=
        0) {
        state.SkipWithError("the floor's picture differs from the painter's");
    }
    pair.Report(state, "draw_us", "floor_us", "ratio");
    state.counters["regions"] = static_cast<double>(regions.size());
}

struct Case {
    const char* name;
    DiagramSize size;
    const char* text;
};

const Case kCases[] = {
    {"default/3_circles", DiagramSize::kThree, kDefaultText},
    {"default/4_circles", DiagramSize::kFour, kDefaultText},
    {"default/5_circles", DiagramSize::kFive, kDefaultText},
    {"all_21_regions/5_circles", DiagramSize::kFive, kAllRegionsText},
};

// The names are built from tables, so the benchmarks register themselves before main.
[[maybe_unused]] const bool kRegistered = [] {
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark((std::string("DrawAgainstFloor/") + c.name).c_str(),
                                     BM_DrawAgainstFloor, c.size, c.text)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
