#include "cli/batch_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <cerrno>
#include <iostream>
#include <map>
#include <optional>
#include <system_error>

#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/picture_output.h"
#include "cli/set_notation_commands.h"
#include "cli/zone_commands.h"
#include "diagram/draw/picture_writer.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "files/atomic_file.h"

namespace rivo::cli {

NumberedName::NumberedName(std::string_view pattern) {
    const auto invalid = [&](const std::string& why) {
        return UsageError{"the -o pattern of --batch " + why + ": \"" + std::string(pattern) +
                          "\""};
    };
    bool converted = false;
    std::string* text = &before_;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            *text += pattern[i];
            continue;
        }
        ++i;
        if (i < pattern.size() && pattern[i] == '%') {
            *text += '%';
            continue;
        }
        if (i < pattern.size() && pattern[i] == '0') {
            zeros_ = true;
            ++i;
        }
        int width = 0;
        for (; i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9'; ++i) {
            width = width * 10 + (pattern[i] - '0');
            if (width > kMaxNumberWidth) {
                throw invalid("allows a width of at most " + std::to_string(kMaxNumberWidth));
            }
        }
        if (i >= pattern.size() || pattern[i] != 'd') {
            throw invalid("knows only %d, %Nd, %0Nd and %%");
        }
        if (converted) throw invalid("must hold only one number (%d)");
        converted = true;
        width_ = width;
        text = &after_;
    }
    if (!converted) throw invalid("needs one number (%d, %03d, ...)");
}

std::string NumberedName::For(std::size_t number) const {
    std::string digits = std::to_string(number);
    if (digits.size() < static_cast<std::size_t>(width_)) {
        digits.insert(0, static_cast<std::size_t>(width_) - digits.size(), zeros_ ? '0' : ' ');
    }
    return before_ + digits + after_;
}

namespace {

// The pictures of a batch are each written whole (a new file renamed into place) but synced
// together at the end: one sync of each file system written to, instead of two for every
// picture, which on a disk take longer than all the rest of the work.
class FileSystemSync {
  public:
    // After `file` was written: its file system is remembered (stat follows a link to where
    // the bytes went). False when the file cannot be looked at, which is reported.
    bool Wrote(const std::string& file) {
        struct stat status {};
        if (stat(file.c_str(), &status) != 0) {
            std::cerr << "rivo-cli: cannot look at " << file << ": "
                      << std::generic_category().message(errno) << '\n';
            return false;
        }
        pending_.try_emplace(status.st_dev, file);
        return true;
    }
    // Syncs every file system written to; a failure is reported.
    bool Now() {
        bool synced = true;
        for (const auto& [device, file] : pending_) {
            if (const auto failure = files::SyncFileSystemOf(file)) {
                std::cerr << "rivo-cli: cannot sync the pictures in " << files::FolderOf(file)
                          << ": " << *failure << '\n';
                synced = false;
            }
        }
        pending_.clear();
        return synced;
    }

  private:
    std::map<dev_t, std::string> pending_;  // a picture written on each file system
};

// One line of a batch in set notation: its picture in the universe frame, or its error with the
// line's number. False when the line fails.
bool DrawSetLine(const Arguments& args, diagram::DiagramKind kind, std::string_view text,
                 std::size_t number, QImage& picture, const std::string& file,
                 FileSystemSync& folders) {
    const std::string prefix = "line " + std::to_string(number) + ": ";
    const diagram::SetReading reading = diagram::ReadSetNotation(text, kind.circles);
    if (reading.error) {
        if (reading.error->column == 0) {
            ReportLine(number, reading.error->message);
        } else {
            std::cerr << diagram::FormatSetNotationError("rivo-cli: " + prefix, text,
                                                         *reading.error);
        }
        return false;
    }
    expr::RunBudget pictureBudget;
    if (WriteUniversePicture(args, kind, reading.set, picture, file, pictureBudget,
                             files::Sync::kLater, prefix) != 0) {
        return false;
    }
    if (const auto size = diagram::EulerSizeOf(kind))
        WriteHiddenZoneNote(std::cerr, *size, diagram::ToZoneSet(reading.set), prefix);
    return folders.Wrote(file);
}

}  // namespace

int RunDrawBatch(const Arguments& args, std::ostream&) {
    const int circles = ReadCircles(args.operands[0]);
    if (args.operands[1] != "-") throw UsageError{"draw --batch reads standard input: EXPR is -"};
    if (!args.output) throw UsageError{"draw --batch needs -o PATTERN"};
    const NumberedName names(*args.output);
    if (!diagram::PictureFormatOf(names.For(1))) {
        throw UsageError{"PATTERN must end in " + diagram::PictureExtensionList() + ", not \"" +
                         *args.output + "\""};
    }
    RenderOptionsOf(args, circles);
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    const std::optional<diagram::DiagramSize> size = diagram::EulerSizeOf(kind);

    // Before a line is read: a folder that takes no file would fail every line.
    const std::string folder = files::FolderOf(names.For(1));
    if (folder == files::FolderOf(names.For(2))) {
        if (const auto refused = files::CheckFolder(folder)) {
            std::cerr << "rivo-cli: cannot write the pictures to " << folder << ": " << *refused
                      << '\n';
            return 1;
        }
    }

    LineReader lines(STDIN_FILENO);
    std::string text;
    bool tooLong = false;
    int status = 0;
    QImage picture;
    FileSystemSync folders;
    // A stream: every line has a run of its own, on one tree that each line rebuilds.
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    try {
        while (lines.Next(text, tooLong, expr::kMaxExpressionBytes)) {
            const std::size_t number = lines.LineNumber();
            if (IsSkippedLine(text)) continue;
            if (tooLong) {
                ReportLine(number, expr::kTooLargeMessage);
                status = 1;
                continue;
            }
            if (InSetNotation(args)) {
                if (!DrawSetLine(args, kind, text, number, picture, names.For(number), folders))
                    status = 1;
                continue;
            }
            const LineDrawing line = DrawLine(circles, text, number, tree);
            if (!line.drawing) {
                status = 1;
                continue;
            }
            const std::string prefix = "line " + std::to_string(number) + ": ";
            const std::string file = names.For(number);
            expr::RunBudget pictureBudget;
            if (WriteDiagramPicture(args, kind, *line.drawing, picture, file, pictureBudget,
                                    files::Sync::kLater, prefix) != 0) {
                status = 1;
            } else {
                WriteReadingNote(std::cerr, line.drawing->readingNote, prefix);
                if (size) WriteHiddenZoneNote(std::cerr, *size, line.drawing->zones, prefix);
                if (!folders.Wrote(file)) status = 1;
            }
        }
    } catch (const InputError&) {
        // The pictures written so far stay, and reach the disk as the others would have.
        folders.Now();
        throw;
    }
    if (!folders.Now()) status = 1;
    return status;
}

}  // namespace rivo::cli
