// Table rows for end-to-end runs of rivo-cli that succeed: arguments and standard input in,
// exactly this on standard output and on standard error (mostly nothing).
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "tests/run_process.h"

namespace rivo::testing {

struct CliCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string out;
    std::string err = {};
};

inline void ExpectCliOutputs(const std::string& program, std::span<const CliCase> cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = RunProcess(program, c.args, c.input);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

// A usage error: status 2, nothing on standard output, and on standard error the reason alone on
// its line (holding `reason`), then the pointer to the help, as GNU tools print it.
inline void ExpectUsageError(const ProcessResult& r, const std::string& reason = {}) {
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    const auto newline = r.err.find('\n');
    ASSERT_NE(newline, std::string::npos) << r.err;
    const std::string first = r.err.substr(0, newline);
    EXPECT_EQ(first.rfind("rivo-cli: ", 0), 0u) << r.err;
    EXPECT_NE(first.find(reason), std::string::npos) << r.err;
    EXPECT_EQ(r.err.substr(newline + 1), "Try 'rivo-cli --help' for more information.\n");
}

}  // namespace rivo::testing
