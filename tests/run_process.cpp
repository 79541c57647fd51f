#include "tests/run_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace rivo::testing {

namespace {

// A temporary file that disappears with the object.
struct TempFile {
    std::string path;
    TempFile() {
        std::string pattern = "/tmp/rivo-test-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) throw std::runtime_error("mkstemp failed");
        close(fd);
        path = pattern;
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& outputFile) {
    TempFile in, out, err;
    {
        std::ofstream f(in.path, std::ios::binary);
        f << input;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.path.c_str(), O_RDONLY, 0);
    if (outputFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, out.path.c_str(), O_WRONLY | O_TRUNC, 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, err.path.c_str(), O_WRONLY | O_TRUNC, 0);
    std::vector<char*> argv;
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + program);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    ProcessResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.out = out.Read();
    result.err = err.Read();
    return result;
}

}  // namespace rivo::testing
