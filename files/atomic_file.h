// Replacing a file whole or not at all: what a picture writer needs of the file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rivo::files {

// Why a write failed, in words for the user (the system's text for an error, such as "No space
// left on device"); nothing when it succeeded.
using WriteFailure = std::optional<std::string>;

// Replaces `file` with `bytes`, or leaves it as it was. The bytes go to a new file beside it,
// every write checked and synced, which is then renamed over `file`; a folder that does not
// allow a new file is a failure, never a write in place. A replaced file keeps its permissions.
// A link to a regular file replaces the file it points to, and the link stays; anything else
// that exists and is not a regular file (a folder, a device, a pipe) is refused untouched.
// A file-size limit makes the write fail instead of ending the process (SIGXFSZ is ignored).
// With Sync::kLater the file is still replaced whole, but neither it nor its folder is synced:
// for many files in a row, which the caller then makes durable at once with SyncFileSystemOf.
enum class Sync { kNow, kLater };
WriteFailure WriteFileAtomically(const std::string& file, std::string_view bytes,
                                 Sync sync = Sync::kNow);

// The folder `path` names its file in: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// Writes to disk whatever the file system holding `file` (the end of a link: where a write to
// it went) still keeps in memory (syncfs).
WriteFailure SyncFileSystemOf(const std::string& file);

}  // namespace rivo::files
