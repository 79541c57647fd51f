// Runs a real executable with given arguments and standard input, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace rivo::testing {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// With an `outputFile`, standard output goes there (e.g. "/dev/full") instead of into `out`.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {}, const std::string& outputFile = {});

}  // namespace rivo::testing
