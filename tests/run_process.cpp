#include "tests/run_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "tests/read_file.h"

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
};

}  // namespace

pid_t SpawnProcess(const std::vector<std::string>& command,
                   const std::vector<Redirection>& redirections) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const Redirection& r : redirections) {
        if (r.path.empty()) {
            posix_spawn_file_actions_adddup2(&actions, r.copyOf, r.fd);
        } else {
            posix_spawn_file_actions_addopen(&actions, r.fd, r.path.c_str(), r.flags, 0644);
        }
    }
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + words[0]);
    return pid;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& outputFile) {
    TempFile in, out, err;
    {
        std::ofstream f(in.path, std::ios::binary);
        f << input;
    }
    std::vector<std::string> command{program};
    command.insert(command.end(), args.begin(), args.end());
    const pid_t pid =
        SpawnProcess(command, {{0, in.path, O_RDONLY},
                               outputFile.empty() ? Redirection{1, out.path, O_WRONLY | O_TRUNC}
                                                  : Redirection{1, outputFile, O_WRONLY},
                               {2, err.path, O_WRONLY | O_TRUNC}});
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    ProcessResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.out = ReadFile(out.path);
    result.err = ReadFile(err.path);
    return result;
}

}  // namespace rivo::testing
