// rivo-cli draw --batch as a user runs it: one process, 512 lines of standard input (every
// shading of three circles, four times), 512 PNG files of 400 x 400 written to a folder on
// disk. The time covers the whole per-line path (pipeline, paint, PNG encoding, file write)
// and the process around it, from its start to the sync of the folder at its end. The target:
// at least 500 pictures a second (items_per_second); scripts/bench.sh compares the figure with
// matplotlib-venn drawing the same shadings (bench/venn_bench.py).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/run_cli.h"

namespace {

// Regions 1 to 7 of three circles, each as the expression of that region alone.
constexpr const char* kRegion[] = {"a-b-c", "a*b-c", "b-a-c", "a*c-b", "a*b*c", "b*c-a", "c-a-b"};
constexpr int kRepeats = 4;
constexpr int kLines = 128 * kRepeats;

// Every set of the seven regions as the union of its regions; the empty one as "a-a".
std::string Shadings() {
    std::string lines;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        for (int set = 0; set < 128; ++set) {
            std::string line;
            for (int region = 0; region < 7; ++region) {
                if ((set >> region & 1) == 0) continue;
                if (!line.empty()) line += '+';
                line += kRegion[region];
            }
            lines += (line.empty() ? "a-a" : line) + '\n';
        }
    }
    return lines;
}

void BatchDraw(benchmark::State& state) {
    // Beside the benchmark in the build, on a disk as a user's pictures would be (not in a
    // memory file system).
    std::string folder =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "batch-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("cannot make a folder for the pictures");
        return;
    }
    const std::string input = folder + "/lines.txt";
    std::ofstream(input) << Shadings();
    for (auto _ : state) {
        if (rivo::bench::RunCli({"draw", "3", "-", "-o", folder + "/p-%04d.png", "--batch"},
                                input) != 0) {
            state.SkipWithError("rivo-cli draw --batch failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BatchDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
