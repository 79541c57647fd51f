// Replacing a file whole or not at all: what a picture writer needs of the file system.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace rivo::files {

// Why a write failed, in words for the user (the system's text for an error, such as "No space
// left on device"); nothing when it succeeded.
using WriteFailure = std::optional<std::string>;

// Replaces `file` with `bytes`, or leaves it as it was. The bytes go to a new file beside it,
// every write checked and synced, which is then renamed over `file`; a folder that does not
// allow a new file is a failure, never a write in place. A file the user may not write
// (access(2)) is refused as cp refuses it; a replaced file keeps its permissions, and its owner
// becomes the writer. SIGINT, SIGTERM or SIGHUP during the write remove the new file before
// they end the process as they would have (unless the process ignores or handles them itself).
// A link to a regular file replaces the file it points to, and the link stays; anything else
// that exists and is not a regular file (a folder, a device, a pipe) is refused untouched.
// A file-size limit makes the write fail instead of ending the process (SIGXFSZ is ignored).
// With Sync::kLater the file is still replaced whole, but neither it nor its folder is synced:
// for many files in a row, which the caller then makes durable at once with SyncFileSystemOf.
enum class Sync { kNow, kLater };
WriteFailure WriteFileAtomically(const std::string& file, std::string_view bytes,
                                 Sync sync = Sync::kNow);

// One file of a group write: its name and its new bytes.
struct FileBytes {
    std::string file;
    std::string_view bytes;
};

// Why a group write failed: the file it failed on (its index) and why; `restored` is false when
// an earlier file was replaced already and could not be put back (the reason names it).
struct GroupFailure {
    std::size_t index = 0;
    std::string reason;
    bool restored = true;
};

// Replaces every file of `files` with its bytes, or leaves every one as it was: each new file is
// written and synced beside its target first (any refusal or failure then touches no target);
// then they are renamed over their targets in order. A file that existed is swapped with its new
// one (renameat2's exchange, or a hard link kept aside where the file system cannot swap), so
// that when a later rename fails the earlier targets get their old files back and the ones that
// did not exist are removed again. Only where the file system can neither swap nor link is an
// earlier replaced file past recovery then; the failure says so.
std::optional<GroupFailure> WriteFilesAtomically(std::span<const FileBytes> files);

// What a write to `file` would be refused for before a byte is written: the target (a folder,
// a device, a file the user may not write) or its folder (missing, no folder, not writable), in
// the words WriteFileAtomically would use; nothing when the write may go ahead. For a run that
// writes at its end, so that it need not work in vain.
WriteFailure CheckWritable(const std::string& file);

// Whether a new file can be made in `folder`, as CheckWritable says it.
WriteFailure CheckFolder(const std::string& folder);

// The folder `path` names its file in: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// Writes to disk whatever the file system holding `file` (the end of a link: where a write to
// it went) still keeps in memory (syncfs).
WriteFailure SyncFileSystemOf(const std::string& file);

}  // namespace rivo::files
