// The every-zone window on the offscreen platform: opened from the picture's menu and from the
// marker, one instance; the keys that move a focus ring from zone to zone, with the accessible
// name and the tooltip of each zone checked against the expression's own membership rule; the
// set-notation line; and the main picture's tooltip read back for every region.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <functional>
#include <set>

#include "app/every_zone_window.h"
#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "diagram/core/zone_places.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"
#include "tests/widget_test_support.h"

namespace {

using rivo::app::EveryZoneWindow;
using rivo::app::Tfrm_gorsek;
using rivo::app::ZonePicture;
using rivo::diagram::Zone;
using Member = std::function<bool(bool a, bool b, bool c, bool d, bool e)>;

// A zone's words read back: the circles they name and whether they say "in the set".
struct ReadName {
    Zone zone = 0;
    bool in = false;
    bool only = false;
};

ReadName ReadBack(const QString& words) {
    ReadName read;
    read.in = words.endsWith(QStringLiteral("\u2014 in the set"));
    read.only = words.contains(QStringLiteral(" only "));
    if (!words.startsWith(QStringLiteral("In "))) return read;  // "Outside every set"
    for (const QChar c : words.mid(3).section(QChar(0x2014), 0, 0)) {
        if (c >= u'A' && c <= u'E') read.zone |= Zone{1} << (c.unicode() - u'A');
    }
    return read;
}

// Typed as an input method commits text, which is how symbols such as ∪ arrive.
void Type(QLineEdit* line, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(line, &commit);
}

bool Expected(const Member& member, Zone zone) {
    const auto in = [zone](int circle) { return (zone >> circle & 1u) != 0; };
    return member(in(0), in(1), in(2), in(3), in(4));
}

class EveryZone : public ::testing::Test {
  protected:
    void SetUp() override {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    void Draw(const char* text, QPushButton* button) {
        w.eIN->setText(QString::fromUtf8(text));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    EveryZoneWindow* OpenFromMenu() {
        const auto menu = w.BuildPictureMenu();
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QStringLiteral("showEveryZoneAction")) action->trigger();
        }
        EveryZoneWindow* shown = w.EveryZoneWindowShown();
        if (shown != nullptr) {
            shown->activateWindow();
            EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == shown; }));
        }
        return shown;
    }
    // Walks the focus ring over every stop with the arrow key and checks each zone's accessible
    // name and tooltip against the membership rule; every zone is visited once.
    static void WalkZones(ZonePicture* picture, const Member& member) {
        QTest::keyClick(picture, Qt::Key_Home);
        const QTransform toWidget = rivo::diagram::LayoutTransform(
            QRectF(picture->rect()), {picture->Circles(), rivo::diagram::LayoutKind::kVenn},
            rivo::diagram::RenderOptions{.universe = picture->Universe()});
        const auto places =
            rivo::diagram::ZonePlaces({picture->Circles(), rivo::diagram::LayoutKind::kVenn});
        std::set<Zone> visited;
        QString before;
        for (std::size_t i = 0; i < picture->Order().size(); ++i) {
            const Zone zone = picture->FocusedZone();
            const QString name =
                QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Name);
            SCOPED_TRACE(name.toStdString());
            EXPECT_NE(name, before);
            const ReadName read = ReadBack(name);
            EXPECT_EQ(read.zone, zone);
            EXPECT_EQ(read.in, Expected(member, zone));
            EXPECT_EQ(read.in, (picture->Set() >> zone & 1u) != 0);
            if (zone != 0) {
                const auto& p = places[zone - 1].point;
                EXPECT_EQ(picture->ToolTipAt(toWidget.map(QPointF(p.x, p.y))), name);
            }
            visited.insert(zone);
            before = name;
            QTest::keyClick(picture, Qt::Key_Right);
        }
        const Zone zones = rivo::diagram::ZoneCount(picture->Circles());
        EXPECT_EQ(visited.size(), zones + (picture->Universe() ? 1u : 0u));
        EXPECT_EQ(picture->FocusedZone(), picture->Order().back());
    }

    Tfrm_gorsek w;
};

TEST_F(EveryZone, OpensFromTheMenuAndTheMarkerAsOneWindowThatFollowsTheDraws) {
    Draw("a*c-b-d", w.Button2);  // A and C alone: a zone four circles cannot draw
    auto* marker = w.IM->findChild<QLabel*>(QStringLiteral("hiddenZonesMarker"));
    ASSERT_TRUE(marker->isVisible());
    EveryZoneWindow* shown = OpenFromMenu();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(shown->Picture()->Circles(), 4);
    EXPECT_EQ(shown->Picture()->Set(), 1u << 0b0101);
    QTest::mouseClick(marker, Qt::LeftButton);
    EXPECT_EQ(w.EveryZoneWindowShown(), shown);

    // A later draw shows there; after Escape the marker opens a new one.
    Draw("a", w.Button3);
    EXPECT_EQ(shown->Picture()->Circles(), 5);
    EXPECT_EQ(shown->Picture()->Set(), rivo::diagram::CircleSet(5, 0));
    QTest::keyClick(shown->Picture(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.EveryZoneWindowShown() == nullptr; }));
    QTest::mouseClick(marker, Qt::LeftButton);
    ASSERT_NE(w.EveryZoneWindowShown(), nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.EveryZoneWindowShown()));
    EXPECT_EQ(w.EveryZoneWindowShown()->Picture()->Set(), rivo::diagram::CircleSet(5, 0));
}

TEST_F(EveryZone, TabEntersThePictureAndTheArrowsNameEveryZoneAsTheSetHoldsIt) {
    const struct {
        const char* text;
        QPushButton* button;
        Member member;
    } rows[] = {
        {"a*c-b-d", w.Button2,
         [](bool a, bool b, bool c, bool d, bool) { return a && c && !b && !d; }},
        {"a+b*c", w.Button1, [](bool a, bool b, bool c, bool, bool) { return a || (b && c); }},
        {"(a-b)+c*e-d", w.Button3,
         [](bool a, bool b, bool c, bool d, bool e) { return ((a && !b) || (c && e)) && !d; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        Draw(row.text, row.button);
        EveryZoneWindow* shown = OpenFromMenu();
        ASSERT_NE(shown, nullptr);
        ZonePicture* picture = shown->Picture();
        for (int tab = 0; tab < 3 && !picture->hasFocus(); ++tab) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        ASSERT_TRUE(picture->hasFocus());
        WalkZones(picture, row.member);
        // The ring is drawn while the picture has the focus, and only then.
        const QRgb highlight = picture->palette().color(QPalette::Highlight).rgb();
        const auto ringPixels = [&] {
            const QImage seen = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
            int count = 0;
            for (int y = 0; y < seen.height(); ++y) {
                for (int x = 0; x < seen.width(); ++x)
                    count += seen.pixel(x, y) == highlight ? 1 : 0;
            }
            return count;
        };
        EXPECT_GT(ringPixels(), 50);
        shown->NotationLine()->setFocus();
        EXPECT_EQ(ringPixels(), 0);
        QTest::keyClick(shown->NotationLine(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.EveryZoneWindowShown() == nullptr; }));
    }
}

TEST_F(EveryZone, TheSetNotationLineShowsItsSetWithTheUniverseAndKeepsItOnAnError) {
    Draw("a*b", w.Button1);
    EveryZoneWindow* shown = OpenFromMenu();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->ShowsOwnSet());
    const struct {
        int circles;
        const char* text;
        Member member;
    } rows[] = {
        {2, "A'", [](bool a, bool, bool, bool, bool) { return !a; }},
        {3, "(A \u222a B)\u2032 \u2229 C",
         [](bool a, bool b, bool c, bool, bool) { return !(a || b) && c; }},
        {4, "(A \u0394 D) \\ B", [](bool a, bool b, bool, bool d, bool) { return (a != d) && !b; }},
        {5, "(E \u222a U)\u2032", [](bool, bool, bool, bool, bool) { return false; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        shown->CirclesBox()->setValue(row.circles);
        shown->NotationLine()->clear();
        Type(shown->NotationLine(), QString::fromUtf8(row.text));
        EXPECT_TRUE(shown->ErrorLabel()->text().isEmpty());
        EXPECT_TRUE(shown->Picture()->Universe());
        EXPECT_EQ(shown->Picture()->Circles(), row.circles);
        WalkZones(shown->Picture(), row.member);
    }
    // The outside zone is the first stop; the universe minus E and U is empty.
    QTest::keyClick(shown->Picture(), Qt::Key_Home);
    EXPECT_EQ(shown->Picture()->accessibleName(),
              QStringLiteral("Outside every set \u2014 not in the set"));

    // A slip: the error names its column, and the picture stays as it was.
    const auto kept = shown->Picture()->Set();
    shown->NotationLine()->clear();
    Type(shown->NotationLine(), QStringLiteral("A \u222a \u2229 B"));
    EXPECT_TRUE(shown->ErrorLabel()->text().startsWith(QStringLiteral("column 5: ")));
    EXPECT_EQ(shown->Picture()->Set(), kept);

    // The window's own set stays when the main window draws again.
    Draw("a", w.Button2);
    EXPECT_TRUE(shown->ShowsOwnSet());
    EXPECT_EQ(shown->Picture()->Set(), kept);
}

// The main picture's tooltip names the region's circles (with "only" where other circles
// exist), whether the set holds it, and the code last, for every region of every size.
TEST_F(EveryZone, TheMainTooltipReadsBackToEachRegionsZone) {
    using rivo::diagram::DiagramSize;
    const std::pair<QPushButton*, DiagramSize> sizes[] = {{w.Button1, DiagramSize::kThree},
                                                          {w.Button2, DiagramSize::kFour},
                                                          {w.Button3, DiagramSize::kFive}};
    for (const auto& [button, size] : sizes) {
        Draw("a-b", button);
        for (const auto& seed : rivo::diagram::LayoutOf(size).seeds) {
            const QString tip = w.PictureToolTip(QPoint(seed.x, seed.y));
            SCOPED_TRACE(tip.toStdString());
            const QString code = QStringLiteral(" (region %1)").arg(QLatin1Char(seed.code));
            ASSERT_TRUE(tip.endsWith(code));
            const Zone zone = rivo::diagram::ZoneOfRegion(size, seed.code);
            const ReadName read = ReadBack(tip.chopped(code.size()));
            EXPECT_EQ(read.zone, zone);
            EXPECT_EQ(read.in, (zone & 0b11u) == 0b01u);
            EXPECT_EQ(read.only, zone != rivo::diagram::ZoneCount(size));
        }
    }
}

}  // namespace
