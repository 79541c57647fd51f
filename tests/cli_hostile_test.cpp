// Hostile inputs and careless uses of rivo-cli, one row each with its verdict: the exit status
// (or the signal that ended it), standard error exactly, and the files left in its folder,
// any file there before unchanged. How long each takes is measured in bench/input_bench.cpp.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "expr/m_tree.h"
#include "tests/cli_fixture.h"
#include "tests/expression_shapes.h"
#include "tests/read_file.h"
#include "tests/run_process.h"

namespace {

namespace fs = std::filesystem;
using rivo::testing::ReadFile;
using rivo::testing::ShapedText;
using rivo::testing::TextShape;

const std::string kCli = RIVO_CLI_PATH;

struct Outcome {
    int status = -1;  // the exit status, or -1 when a signal ended the process
    int signal = 0;
    std::string out;
    std::string err;
};

// Runs rivo-cli with standard input from `input` (a path); with a `signal`, sends it as soon
// as the new file of a write exists in `folder`. False when the run ended before that.
bool RunCli(const std::vector<std::string>& command, const std::string& input, int signal,
            const fs::path& folder, const fs::path& scratch, Outcome& outcome) {
    const std::string out = (scratch / "out").string();
    const std::string err = (scratch / "err").string();
    const pid_t pid =
        rivo::testing::SpawnProcess(command, {{0, input, O_RDONLY},
                                              {1, out, O_WRONLY | O_CREAT | O_TRUNC},
                                              {2, err, O_WRONLY | O_CREAT | O_TRUNC}});
    int status = 0;
    bool sent = signal == 0;
    while (!sent) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".tmp") sent = kill(pid, signal) == 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (sent) waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome.out = ReadFile(out);
    outcome.err = ReadFile(err);
    return sent;
}

std::map<std::string, std::string> FilesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = entry.is_regular_file() ? ReadFile(entry) : "";
    return files;
}

using CliHostile = rivo::testing::CliFileTest;

TEST_F(CliHostile, EveryInputEndsWithItsVerdictAndLeavesNothingBehind) {
    const std::string costly = ShapedText(TextShape::kDiffsOfSquareTimesExps, 91);
    std::string costlyLines;
    for (int i = 0; i < 10; ++i)
        costlyLines += costly + '\n';
    // Legal alone (some 14.5 of the 25 million work steps); twice, more than one input's work.
    const std::string halfBudget = ShapedText(TextShape::kNestedDiffs, 70000);
    const std::string longChain =
        ShapedText(TextShape::kLeftChain, rivo::expr::kMaxExpressionBytes);
    std::string chain = "a";
    for (int i = 0; i < 6000; ++i)
        chain += "+a";
    std::string manyLines;
    for (int i = 0; i < 10000; ++i)
        manyLines += "a\n";
    const std::string noEnd =
        "rivo-cli: line 1: Expression is too large.\n"
        "rivo-cli: line 1 has no end within 64 MiB: the input is not read "
        "further\n";
    const std::string dir = "{}";  // each row's own folder, in the arguments

    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::string input;  // standard input's bytes, or with `device` the file to read
        bool device = false;
        std::map<std::string, std::string> before = {};  // files put in the folder first
        int status = 1;
        std::string err = {};
        std::vector<std::string> after = {};  // the files in the folder afterwards
        int signal = 0;                       // sent while the picture is being written
        std::string outEnd = {};              // how standard output ends
        bool unprivileged = false;            // run as nobody (when the test runs as root)
    };
    // A costly line comes to the number 0, which the diagram skips: the sheet refuses it, but
    // its work is spent all the same.
    const std::string sheetCut =
        "rivo-cli: line 1: the diagram skipped \"0\", so the line is left out of the sheet.\n"
        "rivo-cli: line 2: the diagram skipped \"0\", so the line is left out of the sheet.\n"
        "rivo-cli: line 3: Expression is too large.\n"
        "rivo-cli: line 3: the lines before it spent the work of the whole sheet (as much as "
        "one expression may take); this line and the rest of the input are left out\n"
        "rivo-cli: no diagram for the sheet: the input holds no expression that draws; " +
        dir + "/s.pdf is not written\n";
    const std::string bmp = dir + "/big.bmp";
    const Row rows[] = {
        // 1. One budget for one input: a sheet's lines, and the two sides of equal.
        {"a sheet of costly lines",
         {"sheet", "3", dir + "/in.txt", "-o", dir + "/s.pdf"},
         "",
         false,
         {{"in.txt", costlyLines}},
         1,
         sheetCut,
         {"in.txt"}},
        {"half a budget alone",
         {"regions", "3", halfBudget},
         "",
         false,
         {},
         0,
         "note: the diagram skipped \"0\"\n"},
        {"equal of two halves and more",
         {"equal", "3", halfBudget, halfBudget},
         "",
         false,
         {},
         1,
         "Expression is too large.\n"},
        // 2. An input that never ends.
        {"sheet of /dev/zero",
         {"sheet", "3", "/dev/zero", "-o", dir + "/s.pdf"},
         "",
         false,
         {},
         1,
         noEnd},
        {"sheet of - from /dev/zero",
         {"sheet", "3", "-", "-o", dir + "/s.pdf"},
         "/dev/zero",
         true,
         {},
         1,
         noEnd},
        {"batch from /dev/zero",
         {"draw", "3", "-", "--batch", "-o", dir + "/p%d.png"},
         "/dev/zero",
         true,
         {},
         1,
         noEnd},
        {"a line one byte over the limit",
         {"draw", "3", "-", "--batch", "-o", dir + "/p%d.png"},
         std::string(rivo::expr::kMaxExpressionBytes + 1, 'a') + "\na\n",
         false,
         {},
         1,
         "rivo-cli: line 1: Expression is too large.\n",
         {"p2.png"}},
        // 3. steps prints bounded texts, and refuses what regions takes.
        {"steps of a long chain",
         {"steps", "3", "-"},
         chain,
         false,
         {},
         0,
         "",
         {},
         0,
         "+a+a+\u2026\t1245\n"},
        {"steps of the longest chain",
         {"steps", "3", "-"},
         longChain,
         false,
         {},
         1,
         "Expression is too large.\n"},
        // 4. An interrupted write leaves no new file.
        {"SIGINT",
         {"paint", "3", "1", "--size", "4096", "-o", bmp},
         "",
         false,
         {},
         -1,
         "",
         {},
         SIGINT},
        {"SIGTERM",
         {"paint", "3", "1", "--size", "4096", "-o", bmp},
         "",
         false,
         {},
         -1,
         "",
         {},
         SIGTERM},
        {"SIGHUP",
         {"paint", "3", "1", "--size", "4096", "-o", bmp},
         "",
         false,
         {},
         -1,
         "",
         {},
         SIGHUP},
        // 6. A vector picture has no raster; a raster too large says so.
        {"the largest SVG",
         {"draw", "3", "-", "--size", "4096", "-o", dir + "/big.svg"},
         longChain,
         false,
         {},
         0,
         "note: the diagram skipped \"+\", \"+\", \"+\", \"+\", \"+\", \"+\", \"+\" and 419421 "
         "more; read \"bb\" as b\n",
         {"big.svg"}},
        {"the largest PNG",
         {"draw", "3", "-", "--size", "4096", "-o", dir + "/big.png"},
         longChain,
         false,
         {},
         1,
         "Picture is too large.\n"},
        // 7. A file the user may not write is refused, though its folder would let a new one in.
        {"a read-only target",
         {"paint", "3", "1", "-o", dir + "/old.png"},
         "",
         false,
         {{"old.png", "the older picture"}},
         1,
         "rivo-cli: cannot write the picture to " + dir + "/old.png: Permission denied\n",
         {"old.png"},
         0,
         "",
         true},
        // 8. White space is blank; a folder is checked once, before any line is read.
        {"blank lines",
         {"draw", "3", "-", "--batch", "-o", dir + "/p%d.png"},
         "\v\n\f\n\u00a0\n \t\u00a0\u3000\r\n\ufeff\na\n",
         false,
         {},
         0,
         "",
         {"p6.png"}},
        {"a missing pattern folder",
         {"draw", "3", "-", "--batch", "-o", dir + "/missing/p%d.png"},
         manyLines,
         false,
         {},
         1,
         "rivo-cli: cannot write the pictures to " + dir +
             "/missing: cannot create a file in its folder: No such file or directory\n"},
        {"a sheet into a folder",
         {"sheet", "3", "-", "-o", dir + "/folder.pdf"},
         "/dev/zero",
         true,
         {{"folder.pdf/", ""}},
         1,
         "rivo-cli: cannot write the sheet to " + dir + "/folder.pdf: Is a directory\n",
         {"folder.pdf"}},
    };
    const bool root = geteuid() == 0;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        const fs::path folder = File("row" + std::to_string(i));
        const fs::path scratch = File("scratch" + std::to_string(i));
        fs::create_directories(folder);
        fs::create_directories(scratch);
        const auto place = [&](std::string text) {
            for (std::size_t at; (at = text.find(dir)) != std::string::npos;)
                text.replace(at, dir.size(), folder.string());
            return text;
        };
        for (const auto& [name, bytes] : row.before) {
            if (name.back() == '/') {
                fs::create_directory(folder / name);
            } else {
                std::ofstream(folder / name, std::ios::binary) << bytes;
            }
        }
        std::vector<std::string> command;
        if (row.unprivileged) {
            for (const auto& [name, bytes] : row.before)
                fs::permissions(folder / name, fs::perms{0444});
            if (root) {
                // The folder lets nobody make a file: only the target's own mode refuses.
                fs::permissions(File(""), fs::perms{0755});
                fs::permissions(folder, fs::perms{0777});
                command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
            }
        }
        command.push_back(kCli);
        for (const std::string& arg : row.args)
            command.push_back(place(arg));
        std::string input = row.device ? row.input : (scratch / "in").string();
        if (!row.device) std::ofstream(input, std::ios::binary) << row.input;
        const auto before = FilesIn(folder);

        Outcome outcome;
        // A signal needs the write under way; a run too quick to catch is tried again.
        bool caught = false;
        for (int attempt = 0; attempt < 5 && !caught; ++attempt)
            caught = RunCli(command, input, row.signal, folder, scratch, outcome);
        ASSERT_TRUE(caught);
        EXPECT_EQ(outcome.status, row.status);
        EXPECT_EQ(outcome.signal, row.signal);
        EXPECT_EQ(outcome.err, place(row.err));
        EXPECT_TRUE(outcome.out.ends_with(row.outEnd)) << outcome.out.substr(0, 200);
        std::vector<std::string> names;
        const auto after = FilesIn(folder);
        for (const auto& [name, bytes] : after) {
            names.push_back(name);
            if (before.contains(name)) {
                EXPECT_EQ(bytes, before.at(name)) << name;
            }
        }
        EXPECT_EQ(names, row.after);
    }
}

}  // namespace
