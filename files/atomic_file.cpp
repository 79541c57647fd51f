// Replacing a file whole or not at all, with POSIX calls: every write, the sync, the close and
// the rename are checked, and on any failure the new file is removed again.
#include "files/atomic_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>  // renameat2, RENAME_EXCHANGE
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <system_error>
#include <vector>

namespace rivo::files {

namespace {

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

// A file-size limit sends SIGXFSZ, which ends the process by default; ignored, the write fails
// with EFBIG and is reported like any other failure. A handler someone installed stays.
void IgnoreFileSizeSignal() {
    struct sigaction current {};
    if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        std::signal(SIGXFSZ, SIG_IGN);
    }
}

// The signals that end a process by default and that a user or the system sends to stop it.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The new files of the writes under way (a group write has several), for the handler of those
// signals: fixed buffers (a handler may not allocate) and a flag each, set once the name is
// whole and the file exists.
constexpr std::size_t kNewFileSlots = 4;
char g_newFiles[kNewFileSlots][4096];
std::atomic<bool> g_newFileExists[kNewFileSlots];
static_assert(std::atomic<bool>::is_always_lock_free);

// Removes the new files, then ends the process as the signal would have: the handler was set up
// to be reset to the default action when it runs, and the signal raised again is delivered with
// that action once the handler returns. Only async-signal-safe calls.
extern "C" void RemoveNewFileAndEnd(int signal) {
    for (std::size_t slot = 0; slot < kNewFileSlots; ++slot) {
        if (g_newFileExists[slot].load()) unlink(g_newFiles[slot]);
    }
    raise(signal);
}

// Sets the handler, once, for each of the signals whose action is still the default: one that
// is ignored (nohup) or handled by someone else stays so.
void RemoveNewFileOnEndingSignals() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = RemoveNewFileAndEnd;
        sigemptyset(&action.sa_mask);
        for (const int signal : kEndingSignals)
            sigaddset(&action.sa_mask, signal);
        action.sa_flags = static_cast<int>(SA_RESETHAND);
        for (const int signal : kEndingSignals) {
            struct sigaction current {};
            if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
                sigaction(signal, &action, nullptr);
            }
        }
        return true;
    }();
    (void)installed;
}

// The ending signals held back in this thread while it lives: a new file and the handler's
// record of it come and go together.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kEndingSignals)
            sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t before_;
};

std::string BaseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether this process may write to `path` (its effective user, as access(2) checks it), as
// the text of the error when it may not.
WriteFailure MayWrite(const std::string& path, int mode) {
    if (faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) != 0) return ErrorText(errno);
    return std::nullopt;
}

// What a write to `file` would replace: `path` becomes the file itself (the end of a link), and
// `mode` its permissions when it exists. A failure for anything but a regular file or nothing.
WriteFailure FindTarget(const std::string& file, std::string& path, std::optional<mode_t>& mode) {
    path = file;
    struct stat seen {};
    if (lstat(file.c_str(), &seen) != 0) {
        if (errno == ENOENT) return std::nullopt;
        return ErrorText(errno);
    }
    if (S_ISLNK(seen.st_mode)) {
        if (stat(file.c_str(), &seen) != 0) {
            return errno == ENOENT ? "it is a link to a file that does not exist"
                                   : ErrorText(errno);
        }
        char* resolved = realpath(file.c_str(), nullptr);
        if (resolved == nullptr) return ErrorText(errno);
        path = resolved;
        std::free(resolved);
    }
    if (S_ISDIR(seen.st_mode)) return ErrorText(EISDIR);
    // A device or a pipe is never opened (a pipe would block) nor replaced by a file.
    if (!S_ISREG(seen.st_mode)) return "it is not a regular file";
    mode = seen.st_mode & 07777;
    // A file the user may not write is refused, as cp refuses it, though the folder would let
    // a new file take its place.
    return MayWrite(path, W_OK);
}

// The new file beside the target under a name of its own, created exclusively so that nothing
// that already exists is ever opened. Removed again unless kept.
class NewFile {
  public:
    explicit NewFile(const std::string& target) {
        RemoveNewFileOnEndingSignals();
        // The target's name, shortened to leave room for the tag within a name's 255 bytes.
        const std::string stem = FolderOf(target) + "/." + BaseOf(target).substr(0, 200) + ".";
        std::random_device random;
        const EndingSignalsHeld held;
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            path_ = stem + std::to_string(random() % 1000000000u) + ".tmp";
            fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) {
            const int error = errno;
            path_.clear();
            errno = error;
            return;
        }
        for (std::size_t slot = 0; slot < kNewFileSlots; ++slot) {
            if (g_newFileExists[slot].load() || path_.size() >= sizeof g_newFiles[slot]) continue;
            std::memcpy(g_newFiles[slot], path_.c_str(), path_.size() + 1);
            g_newFileExists[slot].store(true);
            slot_ = slot;
            break;
        }
    }
    ~NewFile() {
        if (fd_ >= 0) close(fd_);
        const EndingSignalsHeld held;
        if (!path_.empty()) unlink(path_.c_str());
        Forget();
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    bool WriteAll(std::string_view bytes) const {
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return false;
            if (written == 0) {
                errno = EIO;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }
    // close() reports late write errors of some file systems; it is not retried, since the
    // descriptor is gone either way.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }
    // Renames the new file to `target`; from then on it is no longer removed.
    bool RenameTo(const std::string& target) {
        const EndingSignalsHeld held;
        if (rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        Forget();
        return true;
    }
    // Swaps the new file and `target` in one step: the target holds the new bytes, and this
    // file (still removed unless kept) its old ones. Swapping again undoes it.
    bool ExchangeWith(const std::string& target) {
        return renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0;
    }
    const std::string& Path() const { return path_; }

  private:
    void Forget() {
        if (slot_ < kNewFileSlots) g_newFileExists[slot_].store(false);
        slot_ = kNewFileSlots;
    }

    int fd_ = -1;
    std::string path_;
    std::size_t slot_ = kNewFileSlots;
};

// The new file of `target` written whole and synced, or why not: what a write does before it
// touches the target.
WriteFailure Prepare(NewFile& temp, const std::optional<mode_t>& mode, std::string_view bytes,
                     Sync sync) {
    if (!temp.IsOpen()) return "cannot create a file in its folder: " + ErrorText(errno);
    if (mode && fchmod(temp.Descriptor(), *mode) != 0) return ErrorText(errno);
    if (!temp.WriteAll(bytes) || (sync == Sync::kNow && fsync(temp.Descriptor()) != 0) ||
        !temp.Close()) {
        return ErrorText(errno);
    }
    return std::nullopt;
}

// The rename itself is durable only once the folder is synced. The new file is in place by
// now, so a folder that cannot be synced changes nothing about the outcome.
void SyncFolder(const std::string& target) {
    const int fd = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

WriteFailure WriteFileAtomically(const std::string& file, std::string_view bytes, Sync sync) {
    IgnoreFileSizeSignal();
    std::string target;
    std::optional<mode_t> mode;
    if (auto refused = FindTarget(file, target, mode)) return refused;
    NewFile temp(target);
    if (auto failure = Prepare(temp, mode, bytes, sync)) return failure;
    if (!temp.RenameTo(target)) return ErrorText(errno);
    if (sync == Sync::kNow) SyncFolder(target);
    return std::nullopt;
}

std::optional<GroupFailure> WriteFilesAtomically(std::span<const FileBytes> files) {
    IgnoreFileSizeSignal();
    // How a target was committed, and so how it is undone.
    enum class Done { kNothing, kSwapped, kLinked, kCreated, kReplaced };
    struct Entry {
        std::string target;
        std::optional<mode_t> mode;
        std::unique_ptr<NewFile> temp;
        std::string kept;  // the old file's hard link, for kLinked
        Done done = Done::kNothing;
    };
    std::vector<Entry> entries(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        Entry& entry = entries[i];
        if (auto refused = FindTarget(files[i].file, entry.target, entry.mode)) {
            return GroupFailure{i, *refused};
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (entries[j].target == entry.target) {
                return GroupFailure{i, "it is the same file as " + files[j].file};
            }
        }
        entry.temp = std::make_unique<NewFile>(entry.target);
        if (auto failure = Prepare(*entry.temp, entry.mode, files[i].bytes, Sync::kNow)) {
            return GroupFailure{i, *failure};
        }
    }
    const auto undo = [&](std::size_t count, GroupFailure& failure) {
        for (std::size_t j = count; j-- > 0;) {
            Entry& entry = entries[j];
            bool undone = true;
            if (entry.done == Done::kSwapped) undone = entry.temp->ExchangeWith(entry.target);
            if (entry.done == Done::kLinked)
                undone = rename(entry.kept.c_str(), entry.target.c_str()) == 0;
            if (entry.done == Done::kCreated) undone = unlink(entry.target.c_str()) == 0;
            if (entry.done == Done::kReplaced || !undone) {
                failure.reason +=
                    "; " + files[j].file + " was replaced already and could not be restored";
                failure.restored = false;
            }
        }
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        bool committed = false;
        if (entry.mode) {
            committed = entry.temp->ExchangeWith(entry.target);
            if (committed) {
                entry.done = Done::kSwapped;
            } else if (errno != ENOENT) {
                // A file system that cannot swap: the old file is kept under a second name.
                entry.kept = entry.temp->Path() + ".old";
                const bool linked = link(entry.target.c_str(), entry.kept.c_str()) == 0;
                if (!linked) entry.kept.clear();
                committed = entry.temp->RenameTo(entry.target);
                entry.done = linked ? Done::kLinked : Done::kReplaced;
                if (!committed && linked) {
                    const int error = errno;
                    unlink(entry.kept.c_str());
                    errno = error;
                }
            }
        }
        if (!committed && entry.done == Done::kNothing) {
            committed = entry.temp->RenameTo(entry.target);
            entry.done = Done::kCreated;
        }
        if (!committed) {
            GroupFailure failure{i, ErrorText(errno)};
            undo(i, failure);
            return failure;
        }
    }
    for (Entry& entry : entries) {
        if (entry.done == Done::kLinked) unlink(entry.kept.c_str());
        SyncFolder(entry.target);
    }
    return std::nullopt;
}

WriteFailure CheckFolder(const std::string& folder) {
    if (auto refused = MayWrite(folder, W_OK | X_OK)) {
        return "cannot create a file in its folder: " + *refused;
    }
    return std::nullopt;
}

WriteFailure CheckWritable(const std::string& file) {
    std::string target;
    std::optional<mode_t> mode;
    if (auto refused = FindTarget(file, target, mode)) return refused;
    return CheckFolder(FolderOf(target));
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

WriteFailure SyncFileSystemOf(const std::string& file) {
    // A link's bytes went to the file it points to, which may lie on another file system.
    std::string path = file;
    if (char* resolved = realpath(file.c_str(), nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ErrorText(errno);
    const bool synced = syncfs(fd) == 0;
    const int error = errno;
    close(fd);
    if (!synced) return ErrorText(error);
    return std::nullopt;
}

}  // namespace rivo::files
