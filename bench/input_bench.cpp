// rivo-cli on whole inputs, as processes: the time from the start of the program to its end,
// for the inputs whose time was once unbounded or far too long. Their targets are checked by
// scripts/check_bench.py:
//  - a sheet of 600 five-circle diagrams, with colours, with --hatch and in the Venn layout:
//    under 1 s; and 600 made up (--random, half of them answered with their shortest
//    expression), with a title, the answers after the exercises and in a file of their own:
//    under 1 s;
//  - an input that never ends (/dev/zero as the sheet's FILE, as its standard input, and as the
//    standard input of draw --batch): well under a second, 0.5 s;
//  - the inputs a run's budget bounds, each under 2 s: ten costly lines of a sheet, two texts
//    of equal that each need more than half a run's work, a megabyte of failing sheet lines,
//    600 "write the expression" lines of one of the costliest five-circle shadings to answer;
//  - steps of the longest chain, refused for its size, in about the time regions takes to
//    answer for the same text (at most 1.5 times).
// The label says the exit status seen; a run whose status is not the expected one is an error.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/run_cli.h"
#include "expr/m_tree.h"
#include "tests/expression_shapes.h"

namespace {

namespace fs = std::filesystem;
using rivo::testing::ShapedText;
using rivo::testing::TextShape;

struct Input {
    const char* name;
    std::vector<std::string> args;  // "{}" stands for the folder of the inputs
    std::string input;              // the file read as standard input, in that folder
    int status;
};

// 600 different five-circle expressions of three letters and two operators.
std::string SheetLines() {
    const std::string letters = "abcde";
    const std::string operators = "+*-";
    std::string lines;
    for (int i = 0; i < 600; ++i) {
        lines += letters[static_cast<std::size_t>(i % 5)];
        lines += operators[static_cast<std::size_t>(i / 5 % 3)];
        lines += letters[static_cast<std::size_t>(i / 15 % 5)];
        lines += operators[static_cast<std::size_t>(i / 75 % 3)];
        lines += "(" + std::string(1, letters[static_cast<std::size_t>(i / 225 % 5)]) + "+" +
                 std::string(1, letters[static_cast<std::size_t>(i % 4)]) + ")\n";
    }
    return lines;
}

void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

void WriteInputs(const fs::path& folder) {
    Write(folder / "sheet.txt", SheetLines());
    std::string costly;
    for (int i = 0; i < 10; ++i)
        costly += ShapedText(TextShape::kDiffsOfSquareTimesExps, 91) + '\n';
    Write(folder / "costly.txt", costly);
    std::string failing;
    while (failing.size() < rivo::expr::kMaxExpressionBytes)
        failing += "1/0\n";
    Write(folder / "failing.txt", failing);
    Write(folder / "chain.txt", ShapedText(TextShape::kLeftChain, rivo::expr::kMaxExpressionBytes));
    Write(folder / "empty.txt", "");
    std::string parity;
    for (int i = 0; i < 600; ++i)
        parity += "?\tA \u0394 B \u0394 C \u0394 D \u0394 E\n";
    Write(folder / "parity.txt", parity);
}

void RunInput(benchmark::State& state, const Input& input, const fs::path& folder) {
    std::vector<std::string> args;
    for (std::string arg : input.args) {
        if (const auto at = arg.find("{}"); at != std::string::npos)
            arg.replace(at, 2, folder.string());
        args.push_back(arg);
    }
    const std::string stdinFile =
        input.input.front() == '/' ? input.input : (folder / input.input).string();
    int status = 0;
    for (auto _ : state)
        status = rivo::bench::RunCli(args, stdinFile);
    state.SetLabel("exit status " + std::to_string(status));
    if (status != input.status) {
        state.SkipWithError(
            ("exit status " + std::to_string(status) + ", not " + std::to_string(input.status))
                .c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Beside the benchmark in the build, on a disk as a user's files would be.
    std::string folder =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "input-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) return 1;
    WriteInputs(folder);
    // Two texts that each take some 14.5 of a run's 25 million work steps.
    const std::string half = ShapedText(TextShape::kNestedDiffs, 70000);
    static const Input kInputs[] = {
        {"sheet600_colour", {"sheet", "5", "{}/sheet.txt", "-o", "{}/s.pdf"}, "empty.txt", 0},
        {"sheet600_hatch",
         {"sheet", "5", "{}/sheet.txt", "-o", "{}/s.pdf", "--hatch"},
         "empty.txt",
         0},
        {"sheet600_venn",
         {"sheet", "5", "{}/sheet.txt", "--layout", "venn", "-o", "{}/v.pdf"},
         "empty.txt",
         0},
        {"sheet600_random",
         {"sheet", "5", "--random", "600", "--seed", "1", "--title", "Week 3", "-o", "{}/r.pdf"},
         "empty.txt",
         0},
        {"sheet600_random_separate",
         {"sheet", "5", "--random", "600", "--seed", "1", "--title", "Week 3", "--answers",
          "separate", "-o", "{}/r.pdf"},
         "empty.txt",
         0},
        {"endless_sheet_file", {"sheet", "3", "/dev/zero", "-o", "{}/z.pdf"}, "empty.txt", 1},
        {"endless_sheet_stdin", {"sheet", "3", "-", "-o", "{}/z.pdf"}, "/dev/zero", 1},
        {"endless_batch_stdin", {"draw", "3", "-", "--batch", "-o", "{}/z%d.png"}, "/dev/zero", 1},
        {"costly_sheet_lines", {"sheet", "3", "{}/costly.txt", "-o", "{}/c.pdf"}, "empty.txt", 1},
        {"equal_of_two_halves", {"equal", "3", half, half}, "empty.txt", 1},
        {"failing_sheet_lines", {"sheet", "3", "{}/failing.txt", "-o", "{}/f.pdf"}, "empty.txt", 1},
        {"reverse_sheet_lines",
         {"sheet", "5", "{}/parity.txt", "--notation", "set", "-o", "{}/p.pdf"},
         "empty.txt",
         0},
        {"steps_longest_chain", {"steps", "3", "-"}, "chain.txt", 1},
        {"regions_longest_chain", {"regions", "3", "-"}, "chain.txt", 0},
    };
    for (const Input& input : kInputs) {
        benchmark::RegisterBenchmark(input.name, RunInput, input, fs::path(folder))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
