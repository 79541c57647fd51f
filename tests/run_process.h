// Runs a real executable with given arguments and standard input, for end-to-end tests.
#pragma once

#include <sys/types.h>

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

// One descriptor of a process to start: a file opened with `flags` (created 0644 with
// O_CREAT), or, with an empty path, a copy of the child's descriptor `copyOf`.
struct Redirection {
    int fd;
    std::string path;
    int flags = 0;
    int copyOf = -1;
};

// Starts command[0] (a path) with the arguments command[1...], the environment of this process
// and the descriptors redirected in order; throws when it cannot be started.
pid_t SpawnProcess(const std::vector<std::string>& command,
                   const std::vector<Redirection>& redirections);

}  // namespace rivo::testing
