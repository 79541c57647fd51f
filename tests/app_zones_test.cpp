// What the window tells about regions and zones on the offscreen platform: the picture's tooltip
// for the region under the pointer, the pixel-to-region map behind it, and the marker over the
// picture while the last draw's set holds zones the diagram cannot show.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <string>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "diagram/core/diagram_layout.h"
#include "diagram/draw/painter.h"
#include "diagram/draw/region_map.h"
#include "tests/widget_test_support.h"

namespace {

using rivo::app::Tfrm_gorsek;
using rivo::diagram::DiagramSize;
using rivo::diagram::RegionAt;

QPoint SeedOf(DiagramSize size, char code) {
    const auto* seed = rivo::diagram::FindSeed(size, code);
    return {seed->x, seed->y};
}

// Every pixel's region is the one whose fill, painted alone, changes that pixel; a pixel that
// no fill changes is an outline, a letter, or (white and at the picture's edge or joined to it)
// outside every circle.
TEST(RegionMap, EveryPixelLiesInTheRegionWhoseFillPaintsIt) {
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        SCOPED_TRACE(rivo::diagram::CircleCount(size));
        const QImage& bare = rivo::diagram::DiagramTemplate(size);
        std::vector<char> painter(static_cast<std::size_t>(bare.width() * bare.height()), 0);
        for (const char code : rivo::diagram::LayoutOf(size).codes) {
            const QImage painted = rivo::diagram::PaintDiagram(size, std::string(1, code));
            for (int y = 0; y < bare.height(); ++y) {
                for (int x = 0; x < bare.width(); ++x) {
                    if (painted.pixel(x, y) != bare.pixel(x, y)) {
                        painter[static_cast<std::size_t>(y * bare.width() + x)] = code;
                    }
                }
            }
        }
        int outside = 0;
        for (int y = 0; y < bare.height(); ++y) {
            for (int x = 0; x < bare.width(); ++x) {
                const char expected = painter[static_cast<std::size_t>(y * bare.width() + x)];
                const char found = RegionAt(size, x, y);
                if (expected != 0) {
                    ASSERT_EQ(found, expected) << x << "," << y;
                } else if (found == rivo::diagram::kOutsideEveryCircle) {
                    ASSERT_EQ(bare.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
                    ++outside;
                } else {
                    ASSERT_EQ(found, 0) << x << "," << y;
                }
            }
        }
        // The area around the circles is large: it reaches every corner.
        EXPECT_GT(outside, 10000);
        EXPECT_EQ(RegionAt(size, 399, 399), rivo::diagram::kOutsideEveryCircle);
        EXPECT_EQ(RegionAt(size, -1, 0), 0);
        EXPECT_EQ(RegionAt(size, 400, 0), 0);
    }
}

// The first pixel right of a region's seed that is no longer white: an outline.
QPoint OutlineRightOf(DiagramSize size, QPoint from) {
    const QImage& bare = rivo::diagram::DiagramTemplate(size);
    while (bare.pixel(from) == qRgb(255, 255, 255))
        from.rx()++;
    return from;
}

TEST(PictureToolTip, NamesTheRegionUnderThePointer) {
    Tfrm_gorsek w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint regionFive = SeedOf(DiagramSize::kThree, '5');
    EXPECT_EQ(w.PictureToolTip(regionFive), "");  // nothing drawn yet

    w.eIN->setText(QStringLiteral("a*b"));
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    const struct {
        QPoint at;
        QString text;
    } rows[] = {
        {regionFive, QStringLiteral("In A, B and C \u2014 in the set (region 5)")},
        {SeedOf(DiagramSize::kThree, '2'),
         QStringLiteral("In A and B only \u2014 in the set (region 2)")},
        {SeedOf(DiagramSize::kThree, '1'),
         QStringLiteral("In A only \u2014 not in the set (region 1)")},
        {{2, 2}, QStringLiteral("Outside every circle")},
        {OutlineRightOf(DiagramSize::kThree, SeedOf(DiagramSize::kThree, '1')), QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(w.PictureToolTip(row.at), row.text);
    }

    // The help event the pointer's rest sends shows it.
    QHelpEvent help(QEvent::ToolTip, regionFive, w.IM->mapToGlobal(regionFive));
    QApplication::sendEvent(w.IM, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), rows[0].text);
    QToolTip::hideText();

    // Four circles: region F lies in all of them.
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    EXPECT_EQ(w.PictureToolTip(SeedOf(DiagramSize::kFour, 'F')),
              QStringLiteral("In A, B, C and D \u2014 in the set (region F)"));
}

TEST(HiddenZonesMarker, ShowsWhileTheLastDrawnSetHoldsZonesTheDiagramCannotShow) {
    Tfrm_gorsek w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* marker = w.IM->findChild<QLabel*>(QStringLiteral("hiddenZonesMarker"));
    ASSERT_NE(marker, nullptr);
    EXPECT_FALSE(marker->isVisible());

    const struct {
        const char* text;
        QPushButton* button;
        bool fails;
        QString hidden;  // the marker's tooltip, empty while it is hidden
    } rows[] = {
        {"a*c-b-d", w.Button2, false,
         QStringLiteral("The set also holds zones this diagram cannot show: AC")},
        {"1/0", w.Button2, true,
         QStringLiteral("The set also holds zones this diagram cannot show: AC")},
        {"a*b", w.Button2, false, QString()},
        {"a", w.Button3, false,
         QStringLiteral("The set also holds zones this diagram cannot show: AC, AD, ABD, ACD, "
                        "ACE")},
        {"a", w.Button1, false, QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        rivo::testing::ModalBoxWatcher box;
        w.eIN->setText(QString::fromLatin1(row.text));
        QTest::mouseClick(row.button, Qt::LeftButton);
        if (row.fails) {
            EXPECT_TRUE(box.Wait());
        }
        EXPECT_EQ(marker->isVisible(), !row.hidden.isEmpty());
        if (!row.hidden.isEmpty()) {
            EXPECT_EQ(marker->toolTip(), row.hidden);
        }
    }
    // The marker lies over the picture's control; the picture itself is the painter's.
    w.eIN->setText(QStringLiteral("a*c-b-d"));
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    EXPECT_TRUE(marker->isVisible());
    EXPECT_TRUE(w.IM->rect().contains(marker->geometry()));
    EXPECT_EQ(rivo::testing::ShownPicture(w), rivo::diagram::PaintDiagram(DiagramSize::kFour, ""));
}

// What the diagram did not read as written goes into the same marker, first, without a message
// box, and the picture stays the one the text gives.
TEST(HiddenZonesMarker, AlsoSaysWhatTheDiagramDidNotReadAsWritten) {
    Tfrm_gorsek w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* marker = w.IM->findChild<QLabel*>(QStringLiteral("hiddenZonesMarker"));
    ASSERT_NE(marker, nullptr);
    const QString hidden = QStringLiteral("The set also holds zones this diagram cannot show: AC");
    const struct {
        const char* text;
        QPushButton* button;
        DiagramSize size;
        std::string regions;  // as the plain language reads the text
        QString tip;          // empty while the marker is hidden
        QString name;
    } rows[] = {
        {"a^b", w.Button1, DiagramSize::kThree, "2356",
         QStringLiteral("The diagram skipped \"^\"."),
         QStringLiteral("Expression not read as written")},
        {"a*c-b-d+x", w.Button2, DiagramSize::kFour, "",
         QStringLiteral("The diagram skipped \"+\", \"x\".\n") + hidden,
         QStringLiteral("Expression not read as written; Hidden zones")},
        {"a*c-b-d", w.Button2, DiagramSize::kFour, "", hidden, QStringLiteral("Hidden zones")},
        {"apple-b", w.Button1, DiagramSize::kThree, "14",
         QStringLiteral("The diagram read \"apple\" as a."),
         QStringLiteral("Expression not read as written")},
        {"a-b", w.Button1, DiagramSize::kThree, "14", QString(), QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        rivo::testing::ModalBoxWatcher box;
        w.eIN->setText(QString::fromLatin1(row.text));
        QTest::mouseClick(row.button, Qt::LeftButton);
        QTest::qWait(50);
        EXPECT_FALSE(box.Seen());
        EXPECT_EQ(marker->isVisible(), !row.tip.isEmpty());
        if (!row.tip.isEmpty()) {
            EXPECT_EQ(marker->toolTip(), row.tip);
            EXPECT_EQ(marker->accessibleDescription(), row.tip);
            EXPECT_EQ(marker->accessibleName(), row.name);
            EXPECT_TRUE(w.IM->accessibleDescription().contains(row.tip.section(u'\n', 0, 0)));
        }
        EXPECT_EQ(rivo::testing::ShownPicture(w),
                  rivo::diagram::PaintDiagram(row.size, row.regions));
    }
}

}  // namespace
