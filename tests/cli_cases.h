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

}  // namespace rivo::testing
