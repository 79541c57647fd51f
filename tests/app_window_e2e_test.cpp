// The real rivo: on its own Xvfb server, found, measured, clicked and photographed with the X
// tools a person's desktop would answer to; and without any display.
//
// No window manager runs, so the window has no decorations and keyboard focus follows the
// pointer unless a window takes it. Every wait polls for the state it needs, with a deadline.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "diagram/core/diagram_layout.h"
#include "diagram/draw/painter.h"
#include "tests/diagram_geometry.h"
#include "tests/read_file.h"
#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::testing::DifferentPixels;
using rivo::testing::RunProcess;

const std::string kRivo = RIVO_PATH;
constexpr const char* kHint = "start it from a desktop session or under xvfb-run";
// The sanitizer build starts slowly; a healthy run meets every deadline in a second or two.
constexpr std::chrono::seconds kDeadline{30};

// Polls `done` until it holds or the deadline passes.
bool PollUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// A process that runs in the background until the object goes: then SIGTERM, and SIGKILL if it
// has not ended a few seconds later. Its standard output and error go to `log`.
class BackgroundProcess {
  public:
    BackgroundProcess(const std::vector<std::string>& command, const std::string& log,
                      int readyFd = -1) {
        std::vector<rivo::testing::Redirection> redirections{
            {0, "/dev/null", O_RDONLY}, {1, log, O_WRONLY | O_CREAT | O_APPEND}, {2, {}, 0, 1}};
        if (readyFd >= 0) redirections.push_back({3, {}, 0, readyFd});
        pid_ = rivo::testing::SpawnProcess(command, redirections);
    }
    ~BackgroundProcess() {
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Whether it is still running.
    bool Running() { return waitpid(pid_, nullptr, WNOHANG) == 0; }

  private:
    pid_t pid_ = -1;
};

// An Xvfb server of its own on a free display number, which it names once it accepts clients.
// It never resets: by default Xvfb resets whenever its last client leaves, and a client that
// connects during that moment is refused, so one of the test's own X tools ending just as the
// window starts would make the window fail to find its display.
class VirtualDisplay {
  public:
    explicit VirtualDisplay(const std::string& log) {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        server_.emplace(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0",
                                                 "1024x768x24", "-nolisten", "tcp", "-noreset"},
                        log, ready[1]);
        close(ready[1]);
        std::string number;
        pollfd wait{ready[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, static_cast<int>(kDeadline.count() * 1000)) > 0 &&
               read(ready[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(ready[0]);
        if (number.empty()) throw std::runtime_error("Xvfb did not start");
        name_ = ":" + number;
    }
    const std::string& Name() const { return name_; }

    // Whether an X client is served on the display.
    bool Answers() const {
        return RunProcess("/usr/bin/env", {"DISPLAY=" + name_, "/usr/bin/xdpyinfo"}).status == 0;
    }

  private:
    std::optional<BackgroundProcess> server_;
    std::string name_;
};

struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
};

class RealWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        display_.emplace(Log("xvfb"));
        rivo_.emplace(std::vector<std::string>{"/usr/bin/env", "-u", "WAYLAND_DISPLAY",
                                               "DISPLAY=" + display_->Name(), "QT_QPA_PLATFORM=xcb",
                                               "XDG_RUNTIME_DIR=" + temp_.path().string(), kRivo},
                      Log("rivo"));
        std::vector<std::string> found;
        ASSERT_TRUE(PollUntil([&] { return (found = FindWindows()).size() == 1; }))
            << "no window appeared on " << display_->Name()
            << "; rivo said: " << rivo::testing::ReadFile(Log("rivo"))
            << "; the server said: " << rivo::testing::ReadFile(Log("xvfb"))
            << "; the server answers now: " << display_->Answers();
        window_ = found[0];
    }

    // Runs an X client against the display.
    std::string X(const std::string& program, std::vector<std::string> args) {
        args.insert(args.begin(), {"DISPLAY=" + display_->Name(), program});
        return RunProcess("/usr/bin/env", args).out;
    }

    // The visible windows titled exactly like the program.
    std::vector<std::string> FindWindows() {
        std::istringstream ids(
            X("/usr/bin/xdotool", {"search", "--onlyvisible", "--name", "^K\\.O\\.B\\. Rivo$"}));
        std::vector<std::string> found;
        for (std::string id; ids >> id;)
            found.push_back(id);
        return found;
    }

    WindowPlace Place(const std::string& window) {
        const std::string info = X("/usr/bin/xwininfo", {"-id", window});
        const auto field = [&](const std::string& name) {
            const std::size_t at = info.find(name + ":");
            return at == std::string::npos ? -1 : std::stoi(info.substr(at + name.size() + 1));
        };
        return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height")};
    }

    // The whole screen as it is now.
    QImage Screenshot(const std::string& name) {
        const std::string file = (temp_.path() / (name + ".png")).string();
        X("/usr/bin/import", {"-window", "root", file});
        if (const char* keep = std::getenv("RIVO_SCREENSHOT_DIR")) {
            std::filesystem::create_directories(keep);
            std::filesystem::copy_file(file, std::filesystem::path(keep) / (name + ".png"),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
    }

    // The 400 x 400 pixels of IM, which lies at (8, 96) in the client area.
    QImage Picture(const QImage& screen, const WindowPlace& place) {
        return screen.copy(place.x + 8, place.y + 96, 400, 400);
    }

    // The corner of IM where the hidden-zone marker stands over the picture while the drawn set
    // holds zones the diagram cannot show, blacked out: the rest is the picture as painted.
    static QImage OutsideMarkerCorner(QImage picture) {
        for (int y = 2; y < 24; ++y) {
            for (int x = 376; x < 398; ++x)
                picture.setPixel(x, y, qRgb(0, 0, 0));
        }
        return picture;
    }

    // Clicks at a point of the client area.
    void Click(const std::string& window, int x, int y) {
        X("/usr/bin/xdotool",
          {"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", "1"});
    }

    std::string Log(const std::string& name) const {
        return (temp_.path() / (name + ".log")).string();
    }

    rivo::testing::TempDirectory temp_;
    std::optional<VirtualDisplay> display_;
    std::optional<BackgroundProcess> rivo_;
    std::string window_;
};

// Exactly the title, 414 x 505 in the middle of the 1024 x 768 screen, a fixed size and no
// minimise, maximise or resize function.
TEST_F(RealWindow, ShowsTheWindowWithItsTitleSizeAndPlace) {
    EXPECT_EQ(X("/usr/bin/xprop", {"-id", window_, "_NET_WM_NAME"}),
              "_NET_WM_NAME(UTF8_STRING) = \"K.O.B. Rivo\"\n");
    EXPECT_EQ(X("/usr/bin/xprop", {"-id", window_, "WM_NAME"}),
              "WM_NAME(STRING) = \"K.O.B. Rivo\"\n");
    const WindowPlace place = Place(window_);
    EXPECT_EQ(place.width, 414);
    EXPECT_EQ(place.height, 505);
    // Centred: 305 and 131.5 from the left and the top.
    EXPECT_EQ(place.x, 305);
    EXPECT_LE(std::abs(2 * place.y - (768 - 505)), 1) << place.y;
    const std::string hints = X("/usr/bin/xprop", {"-id", window_, "WM_NORMAL_HINTS"});
    EXPECT_NE(hints.find("program specified minimum size: 414 by 505"), std::string::npos) << hints;
    EXPECT_NE(hints.find("program specified maximum size: 414 by 505"), std::string::npos) << hints;
    // Motif hints: flags, functions, decorations. Functions 2, 8 and 16 are resize, minimise and
    // maximise, decorations 4, 32 and 64 the resize handles and the two buttons; bit 1 would
    // mean "all but".
    const std::string motif = X("/usr/bin/xprop", {"-id", window_, "_MOTIF_WM_HINTS"});
    unsigned long flags = 0, functions = 0, decorations = 0;
    ASSERT_EQ(std::sscanf(motif.c_str(), "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = %lx, %lx, %lx", &flags,
                          &functions, &decorations),
              3)
        << motif;
    EXPECT_EQ(flags & 3, 3u) << motif;  // both fields below are in force
    EXPECT_EQ(functions & (1 | 2 | 8 | 16), 0u) << motif;
    EXPECT_EQ(decorations & (1 | 4 | 32 | 64), 0u) << motif;
    EXPECT_NE(functions & 32, 0u) << motif;  // it can be closed
}

TEST_F(RealWindow, DrawThreePaintsTheRegionsInsideExactlyTwoCircles) {
    const WindowPlace place = Place(window_);
    const QImage before = Screenshot("before-draw");
    // No picture yet: IM shows the window's background, one colour.
    const QImage empty = Picture(before, place);
    EXPECT_EQ(empty.pixel(0, 0), empty.pixel(399, 399));
    EXPECT_EQ(empty.pixel(0, 0), empty.pixel(200, 150));

    Click(window_, 240 + 37, 8 + 11);  // the middle of "Draw (3)"
    const QImage expected = rivo::diagram::PaintDiagram(DiagramSize::kThree, "246");
    QImage shown;
    EXPECT_TRUE(PollUntil([&] {
        shown = Picture(Screenshot("draw-3"), place);
        return DifferentPixels(shown, expected) == 0;
    })) << "the picture never became the painted diagram";
    const QRgb silver = qRgb(192, 192, 192);
    const QRgb white = qRgb(255, 255, 255);
    for (const auto& seed : rivo::diagram::LayoutOf(DiagramSize::kThree).seeds) {
        SCOPED_TRACE(seed.code);
        const bool inTwo = seed.code == '2' || seed.code == '4' || seed.code == '6';
        EXPECT_EQ(shown.pixel(seed.x, seed.y), inTwo ? silver : white);
    }
}

// The keyboard alone: Tab twice to "Draw (4)" and Return draw the four-circle diagram; the Menu
// key then opens the picture's menu over the picture, and Escape closes it.
TEST_F(RealWindow, KeyboardAloneDrawsAndOpensThePictureMenu) {
    const WindowPlace place = Place(window_);
    X("/usr/bin/xdotool", {"windowfocus", "--sync", window_});
    X("/usr/bin/xdotool", {"key", "Tab", "Tab", "Return"});
    // The default text's set holds A and C alone, which four circles cannot show: the marker
    // stands in its corner.
    const QImage painted = rivo::diagram::PaintDiagram(DiagramSize::kFour, "CDEJK");
    const QImage four = OutsideMarkerCorner(painted);
    QImage shown;
    EXPECT_TRUE(PollUntil([&] {
        shown = Picture(Screenshot("keyboard-draw-4"), place);
        return DifferentPixels(OutsideMarkerCorner(shown), four) == 0;
    })) << "Tab, Tab, Return did not draw the four circles";
    EXPECT_GT(DifferentPixels(shown, painted), 0) << "no hidden-zone marker";

    X("/usr/bin/xdotool", {"key", "Menu"});
    EXPECT_TRUE(PollUntil([&] {
        return DifferentPixels(OutsideMarkerCorner(Picture(Screenshot("picture-menu"), place)),
                               four) > 0;
    })) << "no menu over the picture";
    X("/usr/bin/xdotool", {"key", "Escape"});
    EXPECT_TRUE(PollUntil([&] {
        return DifferentPixels(OutsideMarkerCorner(Picture(Screenshot("menu-closed"), place)),
                               four) == 0;
    })) << "the menu stayed open";
}

// An error is a modal box titled like the program over the window; after OK the window keeps
// its picture and goes on working.
TEST_F(RealWindow, ErrorReportIsAModalBoxAndTheWindowGoesOn) {
    const WindowPlace place = Place(window_);
    Click(window_, 277, 19);
    const QImage drawn = rivo::diagram::PaintDiagram(DiagramSize::kThree, "246");
    ASSERT_TRUE(PollUntil(
        [&] { return DifferentPixels(Picture(Screenshot("draw-3"), place), drawn) == 0; }));

    Click(window_, 100, 18);  // into eIN, which takes the keyboard
    X("/usr/bin/xdotool", {"key", "ctrl+a", "type", "a+1/0"});
    Click(window_, 277, 43);  // "Draw (4)"
    std::string box;
    ASSERT_TRUE(PollUntil([&] {
        for (const auto& w : FindWindows())
            if (w != window_) box = w;
        return !box.empty();
    })) << "no error box appeared";
    EXPECT_EQ(X("/usr/bin/xprop", {"-id", box, "_NET_WM_NAME"}),
              "_NET_WM_NAME(UTF8_STRING) = \"K.O.B. Rivo\"\n");
    const std::string state = X("/usr/bin/xprop", {"-id", box, "_NET_WM_STATE"});
    EXPECT_NE(state.find("_NET_WM_STATE_MODAL"), std::string::npos) << state;
    Screenshot("error-box");

    // Give the box the keyboard, then OK it with Return.
    X("/usr/bin/xdotool", {"windowfocus", "--sync", box});
    X("/usr/bin/xdotool", {"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return FindWindows().size() == 1; })) << "the box stayed open";
    EXPECT_EQ(DifferentPixels(Picture(Screenshot("after-error"), place), drawn), 0);

    Click(window_, 100, 18);
    X("/usr/bin/xdotool", {"key", "ctrl+a", "type", "a"});
    Click(window_, 277, 43);
    const QImage four =
        OutsideMarkerCorner(rivo::diagram::PaintDiagram(DiagramSize::kFour, "ABCDEFG"));
    EXPECT_TRUE(PollUntil([&] {
        return DifferentPixels(OutsideMarkerCorner(Picture(Screenshot("draw-4"), place)), four) ==
               0;
    }));
    EXPECT_TRUE(rivo_->Running());
}

// Without a display the program says so in one line and exits with 1, also when DISPLAY names
// a server that is not there.
TEST(RivoWithoutDisplay, SaysSoInOneLine) {
    const auto none = RunProcess(
        "/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", kRivo});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err,
              std::string("rivo: no display found (DISPLAY is not set); ") + kHint + "\n");
    const auto absent = RunProcess("/usr/bin/env", {"-u", "WAYLAND_DISPLAY", "-u",
                                                    "QT_QPA_PLATFORM", "DISPLAY=:65000", kRivo});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_EQ(absent.err,
              std::string("rivo: cannot connect to display \":65000\"; ") + kHint + "\n");
    const auto xcb = RunProcess(
        "/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", kRivo});
    EXPECT_EQ(xcb.status, 1);
    EXPECT_EQ(xcb.err, std::string("rivo: no display found (DISPLAY is not set); ") + kHint + "\n");
}

}  // namespace
