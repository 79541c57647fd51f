// The context menu of the window's picture on the offscreen platform: when a right click or the
// keyboard opens it, and its two actions with their shortcuts, the picture to the clipboard and
// the picture saved in the format its extension names through a save dialog that proposes a name
// and asks again after a failure.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "diagram/draw/painter.h"
#include "tests/diagram_geometry.h"
#include "tests/read_file.h"
#include "tests/temp_directory.h"
#include "tests/widget_test_support.h"

namespace {

using rivo::app::Tfrm_gorsek;
using rivo::diagram::DiagramSize;
using rivo::diagram::PaintDiagram;
using rivo::testing::DifferentPixels;
using rivo::testing::ModalBoxWatcher;
using rivo::testing::ShownPicture;

// What the first popup menu showed, recorded by the watcher that closes every popup menu it
// sees, so a test never hangs in one.
struct SeenMenu {
    QStringList texts;
    QStringList names;
    QStringList shortcuts;
    QString menuName;
    QPoint position;
};

class PopupMenuWatcher {
  public:
    PopupMenuWatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return;
            QMetaObject::invokeMethod(menu, &QMenu::close, Qt::QueuedConnection);
            if (seen_) return;
            SeenMenu seen;
            for (const QAction* action : menu->actions()) {
                seen.texts << action->text();
                seen.names << action->objectName();
                seen.shortcuts << action->shortcut().toString();
            }
            seen.menuName = menu->objectName();
            seen.position = menu->pos();
            seen_ = seen;
        });
        timer_.start(10);
    }
    const std::optional<SeenMenu>& Seen() const { return seen_; }

  private:
    QTimer timer_;
    std::optional<SeenMenu> seen_;
};

// Each test starts with a window shown on the screen, without a picture yet.
class PictureMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    // Draw (3) of the default text: regions 2, 4 and 6.
    void Draw() { QTest::mouseClick(w.Button1, Qt::LeftButton); }

    Tfrm_gorsek w;
};

// A right click at a point of IM, delivered to the window as the platform delivers it, so the
// window's own handling turns it into a context-menu request.
void RightClick(Tfrm_gorsek& window, QPoint atPicture) {
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                      window.IM->mapTo(&window, atPicture));
}

void Trigger(Tfrm_gorsek& window, const char* actionName) {
    const auto menu = window.BuildPictureMenu();
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String(actionName)) {
            action->trigger();
            return;
        }
    }
    FAIL() << "no action " << actionName;
}

std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            names.push_back(std::filesystem::relative(entry.path(), dir).string());
        }
    }
    return names;
}

TEST_F(PictureMenu, RightClickDoesNothingBeforeTheFirstPicture) {
    EXPECT_EQ(w.BuildPictureMenu(), nullptr);
    PopupMenuWatcher popups;
    RightClick(w, QPoint(200, 200));
    QTest::qWait(50);
    EXPECT_FALSE(popups.Seen());
    // Nor after a request that failed before any picture was painted.
    {
        ModalBoxWatcher box;
        w.eIN->setText("1/0");
        Draw();
        ASSERT_TRUE(box.Wait());
    }
    EXPECT_EQ(w.BuildPictureMenu(), nullptr);
    RightClick(w, QPoint(200, 200));
    QTest::qWait(50);
    EXPECT_FALSE(popups.Seen());
}

TEST_F(PictureMenu, RightClickOnThePictureOpensTheMenu) {
    Draw();
    PopupMenuWatcher popups;
    RightClick(w, QPoint(150, 120));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popups.Seen().has_value(); }, 5000));
    EXPECT_EQ(popups.Seen()->texts, QStringList({"&Copy picture", "&Save picture as…", "",
                                                 "Show s&teps…", "Show every &zone…"}));
    EXPECT_EQ(popups.Seen()->names, QStringList({"copyPictureAction", "savePictureAction", "",
                                                 "showStepsAction", "showEveryZoneAction"}));
    EXPECT_EQ(popups.Seen()->shortcuts, QStringList({"Ctrl+C", "Ctrl+S", "", "", ""}));
    EXPECT_EQ(popups.Seen()->position, w.IM->mapToGlobal(QPoint(150, 120)));
    // Opening and closing the menu changed nothing.
    EXPECT_EQ(ShownPicture(w), PaintDiagram(DiagramSize::kThree, "246"));
}

TEST_F(PictureMenu, CopyPutsThePictureOnTheClipboard) {
    Draw();
    QGuiApplication::clipboard()->clear();
    Trigger(w, "copyPictureAction");
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(400, 400));
    EXPECT_EQ(DifferentPixels(copied, PaintDiagram(DiagramSize::kThree, "246")), 0);

    w.eIN->setText("a");
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    Trigger(w, "copyPictureAction");
    EXPECT_EQ(DifferentPixels(QGuiApplication::clipboard()->image(),
                              PaintDiagram(DiagramSize::kFive, "ABCDEFGHIJK")),
              0);
}

TEST_F(PictureMenu, SaveWritesThePictureInTheFormatOfItsExtension) {
    w.eIN->setText("a*b");
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    const QImage expected = PaintDiagram(DiagramSize::kFour, "CDFG");
    ASSERT_EQ(ShownPicture(w), expected);
    const rivo::testing::TempDirectory temp;
    std::filesystem::create_directory(temp.path() / "my.pictures");
    std::ofstream(temp.path() / "old.png") << "not a picture";
    const std::string png = "\x89PNG\r\n\x1a\n";
    const struct {
        const char* name;
        const char* typed;
        const char* written;
        std::string magic;
    } rows[] = {
        {"no extension: .png added", "diagram", "diagram.png", png},
        {"with .png", "set.png", "set.png", png},
        {"a dot only in the folder", "my.pictures/diagram", "my.pictures/diagram.png", png},
        {"over an existing file", "old.png", "old.png", png},
        {"jpeg", "photo.jpg", "photo.jpg", "\xff\xd8\xff"},
        {"bmp, any case", "plain.BMP", "plain.BMP", "BM"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString typed = QString::fromStdString((temp.path() / row.typed).string());
        int asked = 0;
        w.ChooseSaveFile = [&](const QString&) {
            ++asked;
            return typed;
        };
        ModalBoxWatcher box;
        Trigger(w, "savePictureAction");
        EXPECT_EQ(asked, 1);
        EXPECT_FALSE(box.Seen());
        const std::string file = (temp.path() / row.written).string();
        EXPECT_EQ(rivo::testing::ReadFile(file).substr(0, row.magic.size()), row.magic);
        const QImage saved(QString::fromStdString(file));
        EXPECT_EQ(saved.size(), QSize(400, 400));
        // JPEG is lossy; how close it comes is the writer's test.
        if (row.magic != "\xff\xd8\xff") {
            EXPECT_EQ(DifferentPixels(saved, expected), 0);
        }
    }
    // Nothing but the chosen files, no leftovers of the atomic write.
    auto files = FilesIn(temp.path());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"diagram.png", "my.pictures/diagram.png", "old.png",
                                               "photo.jpg", "plain.BMP", "set.png"}));
}

TEST_F(PictureMenu, SaveCancelledWritesNothing) {
    Draw();
    w.ChooseSaveFile = [](const QString&) { return QString(); };
    ModalBoxWatcher box;
    Trigger(w, "savePictureAction");
    QTest::qWait(50);
    EXPECT_FALSE(box.Seen());
}

// A failure names its reason, and the dialog then asks again with the name that failed.
TEST_F(PictureMenu, SaveFailureIsShownAndAskedAgain) {
    Draw();
    const rivo::testing::TempDirectory temp;
    const auto typed = [&](const char* name) {
        return QString::fromStdString((temp.path() / name).string());
    };
    const struct {
        QString typed;
        QString path;  // what was written to, and proposed again
        QString says;  // the box's text
    } rows[] = {
        {typed("missing/diagram"), typed("missing/diagram.png"),
         "Cannot save the picture to " + typed("missing/diagram.png") +
             ": cannot create a file in its folder: No such file or directory."},
        {typed("diagram.xyz"), typed("diagram.xyz"),
         "Cannot save the picture to " + typed("diagram.xyz") +
             ": the name must end in .png, .jpg, .jpeg, .bmp, .svg or .pdf."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        QStringList proposals;
        w.ChooseSaveFile = [&](const QString& proposed) {
            proposals << proposed;
            return proposals.size() == 1 ? row.typed : QString();
        };
        ModalBoxWatcher watcher;
        Trigger(w, "savePictureAction");
        const auto box = watcher.Wait();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "K.O.B. Rivo");
        EXPECT_EQ(box->icon, QMessageBox::Critical);
        EXPECT_EQ(box->buttons, 1);
        EXPECT_TRUE(box->ok);
        EXPECT_EQ(box->text, row.says);
        ASSERT_EQ(proposals.size(), 2);
        EXPECT_EQ(proposals[1], row.path);
    }
    EXPECT_TRUE(FilesIn(temp.path()).empty());
    EXPECT_EQ(ShownPicture(w), PaintDiagram(DiagramSize::kThree, "246"));
}

// The dialog proposes diagram-N.png for a picture of N circles, at first in the user's pictures
// folder, or in the home folder without one, then in the folder of the last save.
TEST_F(PictureMenu, SaveProposesANameInTheLastFolder) {
    for (const bool hasPictures : {true, false}) {
        SCOPED_TRACE(hasPictures ? "with a pictures folder" : "without one");
        const rivo::testing::TempDirectory home;
        rivo::testing::EnvironmentScope environment;
        environment.Set("HOME", home.path().string());
        if (hasPictures) std::filesystem::create_directory(home.path() / "Pictures");
        std::filesystem::create_directory(home.path() / "elsewhere");
        const QString homeDir = QString::fromStdString(home.path().string());
        Tfrm_gorsek window;
        QTest::mouseClick(window.Button1, Qt::LeftButton);
        QStringList proposals;
        window.ChooseSaveFile = [&](const QString& proposed) {
            proposals << proposed;
            return proposals.size() == 1 ? homeDir + "/elsewhere/mine" : QString();
        };
        Trigger(window, "savePictureAction");
        QTest::mouseClick(window.Button3, Qt::LeftButton);
        Trigger(window, "savePictureAction");
        const QString first = hasPictures ? homeDir + "/Pictures" : homeDir;
        EXPECT_EQ(proposals,
                  QStringList({first + "/diagram-3.png", homeDir + "/elsewhere/diagram-5.png"}));
        EXPECT_TRUE(std::filesystem::exists(home.path() / "elsewhere" / "mine.png"));
    }
}

// Ctrl+C copies the picture and Ctrl+S saves it from anywhere in the window, once there is a
// picture; in the edit line Ctrl+C copies the selected text when there is some.
TEST_F(PictureMenu, ShortcutsCopyAndSave) {
    int asked = 0;
    w.ChooseSaveFile = [&](const QString&) {
        ++asked;
        return QString();
    };
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w.Button2, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(w.Button2, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
    EXPECT_EQ(asked, 0);

    Draw();
    const QImage drawn = PaintDiagram(DiagramSize::kThree, "246");
    for (QWidget* control : {static_cast<QWidget*>(w.Button2), static_cast<QWidget*>(w.eIN)}) {
        SCOPED_TRACE(control->metaObject()->className());
        control->setFocus();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(control, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(DifferentPixels(QGuiApplication::clipboard()->image(), drawn), 0);
        const int before = asked;
        QTest::keyClick(control, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(asked, before + 1);
    }
    w.eIN->setSelection(0, 3);
    QTest::keyClick(w.eIN, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a*b");
}

// The Menu key (which X11 turns into a context-menu event for the focused control) and
// Shift+F10 open the picture's menu on the picture from a button; in the edit line they open
// the edit line's own menu.
TEST_F(PictureMenu, KeyboardOpensTheMenu) {
    const auto menuKey = [](QWidget* control) {
        const QPoint at = control->rect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, control->mapToGlobal(at));
        QCoreApplication::sendEvent(control, &request);
    };
    const auto shiftF10 = [](QWidget* control) {
        QTest::keyClick(control, Qt::Key_F10, Qt::ShiftModifier);
    };
    const struct {
        const char* name;
        std::function<void(QWidget*)> press;
        bool onButton;
    } rows[] = {
        {"Menu key on a button", menuKey, true},
        {"Shift+F10 on a button", shiftF10, true},
        {"Shift+F10 in the edit line", shiftF10, false},
    };
    for (const bool drawn : {false, true}) {
        if (drawn) Draw();
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (drawn ? ", with a picture" : ", before one"));
            QWidget* control = row.onButton ? static_cast<QWidget*>(w.Button2) : w.eIN;
            control->setFocus();
            PopupMenuWatcher popups;
            row.press(control);
            QTest::qWait(50);
            if (row.onButton && !drawn) {
                EXPECT_FALSE(popups.Seen());
                continue;
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return popups.Seen().has_value(); }, 5000));
            if (row.onButton) {
                EXPECT_EQ(popups.Seen()->names,
                          QStringList({"copyPictureAction", "savePictureAction", "",
                                       "showStepsAction", "showEveryZoneAction"}));
                EXPECT_EQ(popups.Seen()->position, w.IM->mapToGlobal(w.IM->rect().center()));
            } else {
                EXPECT_EQ(popups.Seen()->menuName, "qt_edit_menu");
            }
        }
    }
}

// Unless replaced, the file is asked for with a save dialog for the picture formats, opened in the
// proposed folder with the proposed name.
TEST_F(PictureMenu, AsksWithASaveDialog) {
    const rivo::testing::TempDirectory temp;
    const QString folder = QString::fromStdString(temp.path().string());
    std::optional<QFileDialog::AcceptMode> mode;
    QString suffix;
    QStringList filters;
    QString directory;
    QStringList selected;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || mode) return;
        mode = dialog->acceptMode();
        suffix = dialog->defaultSuffix();
        filters = dialog->nameFilters();
        directory = dialog->directory().absolutePath();
        selected = dialog->selectedFiles();
        QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    });
    timer.start(10);
    EXPECT_EQ(w.ChooseSaveFile(folder + "/diagram-4.png"), QString());
    ASSERT_TRUE(mode);
    EXPECT_EQ(*mode, QFileDialog::AcceptSave);
    EXPECT_EQ(suffix, "png");
    EXPECT_EQ(filters, QStringList({"PNG pictures (*.png)", "JPEG pictures (*.jpg *.jpeg)",
                                    "BMP pictures (*.bmp)", "SVG pictures (*.svg)",
                                    "PDF pictures (*.pdf)"}));
    EXPECT_EQ(directory, QDir(folder).absolutePath());
    EXPECT_EQ(selected, QStringList({QDir(folder).absoluteFilePath("diagram-4.png")}));
}

}  // namespace
