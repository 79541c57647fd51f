// The picture writer against the real file system: each format's file decodes back to the
// picture, and a write that fails says why and leaves everything as it was.
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "diagram/draw/painter.h"
#include "diagram/draw/picture_writer.h"
#include "tests/read_file.h"
#include "tests/temp_directory.h"

namespace {

namespace fs = std::filesystem;
using rivo::diagram::DiagramSize;
using rivo::diagram::PaintDiagram;
using rivo::diagram::PictureFormatOf;
using rivo::diagram::PictureFormats;
using rivo::diagram::WritePicture;
using rivo::files::WriteFileAtomically;

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Nothing for a folder that does not exist.
std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        names.insert(entry.path().filename().string());
    return names;
}

// The mean over all pixels and channels of the absolute difference, 0 to 255.
double MeanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

TEST(PictureWriter, TheExtensionNamesTheFormat) {
    const struct {
        const char* file;
        const char* format;  // "" for none
    } rows[] = {
        {"a.png", "PNG"}, {"dir/b.JpG", "JPEG"}, {"c.jpeg", "JPEG"},
        {"d.BMP", "BMP"}, {"e.bmp.out", ""},     {"png", ""},
        {"f.", ""},       {"g.png/h", ""},       {"i.png.jpg", "JPEG"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const auto* format = PictureFormatOf(row.file);
        EXPECT_EQ(format ? format->name : "", row.format);
    }
}

TEST(PictureWriter, EachFormatDecodesBackToThePicture) {
    // What each extension must give, told independently of the writer's table.
    const struct {
        std::string extension;
        std::string magic;
        bool lossless;
    } rows[] = {
        {"png", "\x89PNG\r\n\x1a\n", true},
        {"jpg", "\xff\xd8\xff", false},
        {"jpeg", "\xff\xd8\xff", false},
        {"bmp", "BM", true},
    };
    std::set<std::string> known;
    // The vector formats draw rather than encode this raster; their own test covers them.
    for (const auto& format : PictureFormats()) {
        if (!format.vector) known.insert(format.extensions.begin(), format.extensions.end());
    }
    std::set<std::string> tested;
    for (const auto& row : rows)
        tested.insert(row.extension);
    EXPECT_EQ(known, tested);

    const QImage picture = PaintDiagram(DiagramSize::kFive, "ACEGIKMOQSU");
    const QImage other = PaintDiagram(DiagramSize::kFive, "BDFHJLNPRT");
    // A lossy format must come this close: JPEG's halved colour resolution alone costs about 2
    // at the edges of the red and green fills. Another picture is far off.
    constexpr double kClose = 4.0;
    ASSERT_GT(MeanDifference(picture, other), 10 * kClose);
    const rivo::testing::TempDirectory temp;
    std::set<std::string> written;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.extension);
        const fs::path file = temp.path() / ("picture." + row.extension);
        // Over an older file: the new one takes its place and its permissions.
        WriteBytes(file, "an older picture");
        fs::permissions(file,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        const auto failure = WritePicture(picture, file.string());
        ASSERT_FALSE(failure) << *failure;
        written.insert(file.filename().string());
        EXPECT_EQ(rivo::testing::ReadFile(file).substr(0, row.magic.size()), row.magic);
        EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        const QImage decoded(QString::fromStdString(file.string()));
        ASSERT_EQ(decoded.size(), picture.size());
        if (row.lossless) {
            EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), picture);
        } else {
            EXPECT_LT(MeanDifference(decoded, picture), kClose);
        }
    }
    EXPECT_EQ(NamesIn(temp.path()), written);
}

TEST(PictureWriter, ThroughALinkTheFileItPointsToIsReplaced) {
    const rivo::testing::TempDirectory temp;
    fs::create_directory(temp.path() / "pictures");
    WriteBytes(temp.path() / "pictures" / "real.png", "an older picture");
    fs::create_symlink("pictures/real.png", temp.path() / "link.png");
    const QImage picture = PaintDiagram(DiagramSize::kThree, "246");
    ASSERT_FALSE(WritePicture(picture, (temp.path() / "link.png").string()));
    EXPECT_TRUE(fs::is_symlink(temp.path() / "link.png"));
    EXPECT_EQ(QImage(QString::fromStdString((temp.path() / "pictures" / "real.png").string()))
                  .convertToFormat(QImage::Format_RGB32),
              picture);
    EXPECT_EQ(NamesIn(temp.path()), (std::set<std::string>{"link.png", "pictures"}));
    EXPECT_EQ(NamesIn(temp.path() / "pictures"), std::set<std::string>{"real.png"});
}

// What a failed write must leave: the target as it was (its kind and, for a file, its bytes),
// and no other name in its folder.
struct Snapshot {
    bool exists = false;
    mode_t kind = 0;
    std::string bytes;
    std::set<std::string> names;

    static Snapshot Of(const fs::path& target) {
        Snapshot s;
        struct stat seen {};
        s.exists = lstat(target.c_str(), &seen) == 0;
        s.kind = seen.st_mode & S_IFMT;
        if (s.exists && S_ISREG(seen.st_mode)) s.bytes = rivo::testing::ReadFile(target);
        s.names = NamesIn(target.parent_path());
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

// More than a 16 KiB disk and a 2048-byte file-size limit allow.
const std::string kNewBytes(64 * 1024, 'n');

// A soft file-size limit for as long as the object lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

  private:
    rlimit saved_{};
};

// As root the folder's permissions would not bind, so the write runs as nobody.
class Unprivileged {
  public:
    Unprivileged() {
        if (geteuid() == 0) active_ = seteuid(65534) == 0;
    }
    ~Unprivileged() {
        if (active_) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }

  private:
    bool active_ = false;
};

// The condition a write runs under.
enum class During { kAsItIs, kFileSizeLimit, kUnprivileged };

// The write fails for the reason and leaves the target and its folder as they were.
void ExpectFailsLeavingAllAsItWas(const fs::path& target, const std::string& reason,
                                  During during = During::kAsItIs) {
    const Snapshot before = Snapshot::Of(target);
    std::optional<FileSizeLimit> limit;
    std::optional<Unprivileged> unprivileged;
    if (during == During::kFileSizeLimit) limit.emplace(2048);
    if (during == During::kUnprivileged) unprivileged.emplace();
    const auto failure = WriteFileAtomically(target.string(), kNewBytes);
    limit.reset();
    unprivileged.reset();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find(reason), std::string::npos) << *failure;
    EXPECT_TRUE(Snapshot::Of(target) == before);
}

TEST(PictureWriter, AFailedWriteLeavesEverythingAsItWas) {
    const rivo::testing::TempDirectory temp;
    const fs::path& dir = temp.path();
    fs::permissions(dir, fs::perms{0755});  // nobody writes into the read-only folder below
    fs::create_directory(dir / "folder.png");
    ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0666), 0);
    fs::create_symlink("/dev/full", dir / "device.png");
    fs::create_symlink("nothing.png", dir / "dangling.png");
    WriteBytes(dir / "limited.png", "the older picture");
    fs::create_directory(dir / "read-only");
    WriteBytes(dir / "read-only" / "keep.png", "the older picture");
    fs::permissions(dir / "read-only" / "keep.png", fs::perms{0666});
    fs::permissions(dir / "read-only", fs::perms{0555});
    // A file its user may not write, in a folder anyone may write: refused all the same.
    fs::create_directory(dir / "open");
    WriteBytes(dir / "open" / "locked.png", "the older picture");
    fs::permissions(dir / "open" / "locked.png", fs::perms{0444});
    fs::permissions(dir / "open", fs::perms{0777});
    const struct {
        const char* name;
        const char* target;
        std::string reason;
        During during = During::kAsItIs;
    } rows[] = {
        {"a folder", "folder.png", ErrorText(EISDIR)},
        {"a pipe, never opened", "pipe.png", "not a regular file"},
        {"a link to a device", "device.png", "not a regular file"},
        {"a link to nothing", "dangling.png", "does not exist"},
        {"a folder that does not exist", "missing/new.png", ErrorText(ENOENT)},
        {"a file-size limit", "limited.png", ErrorText(EFBIG), During::kFileSizeLimit},
        {"a writable file in a read-only folder", "read-only/keep.png", ErrorText(EACCES),
         During::kUnprivileged},
        {"a file its user may not write", "open/locked.png", ErrorText(EACCES),
         During::kUnprivileged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectFailsLeavingAllAsItWas(dir / row.target, row.reason, row.during);
    }
    fs::permissions(dir / "read-only", fs::perms::owner_all);
}

// A tmpfs of 16 KiB, mounted for the test and unmounted after it.
class SmallDisk {
  public:
    explicit SmallDisk(const fs::path& at) : at_(at) {
        fs::create_directory(at_);
        if (mount("tmpfs", at_.c_str(), "tmpfs", 0, "size=16k") == 0) {
            mounted_ = true;
        } else {
            error_ = ErrorText(errno);
        }
    }
    ~SmallDisk() {
        if (mounted_) umount2(at_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    const std::string& Error() const { return error_; }

  private:
    fs::path at_;
    bool mounted_ = false;
    std::string error_;
};

TEST(PictureWriter, AFullDiskLeavesEverythingAsItWas) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a 16 KiB tmpfs needs root";
    const rivo::testing::TempDirectory temp;
    const SmallDisk disk(temp.path() / "small");
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a 16 KiB tmpfs: " << disk.Error();
    const fs::path dir = temp.path() / "small";
    WriteBytes(dir / "keep.png", std::string(4096, 'o'));
    for (const fs::path& target : {dir / "keep.png", dir / "new.png"}) {
        SCOPED_TRACE(target.filename().string());
        ExpectFailsLeavingAllAsItWas(target, ErrorText(ENOSPC));
    }
}

}  // namespace
