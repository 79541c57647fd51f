// The window on a screen of device-pixel ratio 2 (QT_SCALE_FACTOR on the offscreen platform):
// the picture shows at the screen's resolution and agrees with the template picture away from
// its outlines; the vector pictures it copies and saves.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QXmlStreamReader>
#include <cstdlib>
#include <string>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "app/steps_window.h"
#include "diagram/draw/painter.h"
#include "tests/diagram_geometry.h"
#include "tests/read_file.h"
#include "tests/temp_directory.h"

namespace {

using rivo::app::Tfrm_gorsek;
using rivo::diagram::DiagramSize;

// Set before main() makes the application, which reads it once.
const bool kScaled = [] { return setenv("QT_SCALE_FACTOR", "2", 1) == 0; }();

class CrispPicture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kScaled);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.eIN->setText("a*b+c");
        QTest::mouseClick(w.Button3, Qt::LeftButton);
        ASSERT_FALSE(w.Picture().isNull());
    }

    Tfrm_gorsek w;
};

TEST_F(CrispPicture, ShowsAtTheScreensResolutionAndAgreesWithTheTemplatePicture) {
    ASSERT_DOUBLE_EQ(w.IM->devicePixelRatioF(), 2.0);
    const QPixmap shown = w.IM->pixmap();
    EXPECT_EQ(shown.size(), QSize(800, 800));
    EXPECT_DOUBLE_EQ(shown.devicePixelRatio(), 2.0);
    // The picture the window keeps, copies and saves as a raster stays the template's.
    const QImage painted = w.Picture();
    ASSERT_EQ(painted.size(), QSize(400, 400));
    const QImage crisp = shown.toImage().convertToFormat(QImage::Format_RGB32);
    int checked = 0;
    int differing = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (!rivo::testing::FarFromOutlines(DiagramSize::kFive, x, y)) continue;
            ++checked;
            const QRgb want = painted.pixel(x, y) & 0xFFFFFFu;
            for (const auto& [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
                differing += (crisp.pixel(2 * x + dx, 2 * y + dy) & 0xFFFFFFu) != want ? 1 : 0;
        }
    }
    EXPECT_GT(checked, 100000);
    EXPECT_EQ(differing, 0);
}

bool IsSvg(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            return xml.name() == QStringLiteral("svg") && !xml.hasError();
    }
    return false;
}

TEST_F(CrispPicture, CopyOffersTheImageAndSvg) {
    QGuiApplication::clipboard()->clear();
    w.CopyPicture();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(rivo::testing::DifferentPixels(QGuiApplication::clipboard()->image(), w.Picture()),
              0);
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/svg+xml")));
    EXPECT_TRUE(IsSvg(data->data(QStringLiteral("image/svg+xml"))));
}

TEST_F(CrispPicture, SavesSvgAndPdf) {
    const rivo::testing::TempDirectory temp;
    for (const auto& [name, magic] :
         {std::pair<std::string, std::string>{"d.pdf", "%PDF-"}, {"d.svg", "<?xml"}}) {
        const std::string file = (temp.path() / name).string();
        w.ChooseSaveFile = [&](const QString&) { return QString::fromStdString(file); };
        w.SavePicture();
        EXPECT_EQ(rivo::testing::ReadFile(file).substr(0, magic.size()), magic) << name;
    }
    const std::string svg = rivo::testing::ReadFile((temp.path() / "d.svg").string());
    EXPECT_TRUE(IsSvg(QByteArray::fromStdString(svg)));
}

// The steps window's pictures are drawn at the screen's resolution too; its last step, the
// whole expression, agrees with the window's picture away from the outlines.
TEST_F(CrispPicture, StepsWindowPicturesAreCrisp) {
    const auto menu = w.BuildPictureMenu();
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QStringLiteral("showStepsAction")) action->trigger();
    }
    rivo::app::StepsWindow* steps = w.StepsWindowShown();
    ASSERT_NE(steps, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(steps));
    ASSERT_EQ(steps->StepCount(), 2);
    constexpr int kSmall = rivo::app::StepsWindow::kSmallSide;
    const QPixmap small = steps->SmallPicture(0)->pixmap();
    EXPECT_DOUBLE_EQ(small.devicePixelRatio(), 2.0);
    EXPECT_EQ(small.size(), QSize(2 * kSmall, 2 * kSmall));
    QTest::mouseClick(steps->SmallPicture(1), Qt::LeftButton);
    const QPixmap large = steps->LargePicture()->pixmap();
    EXPECT_DOUBLE_EQ(large.devicePixelRatio(), 2.0);
    ASSERT_EQ(large.size(), QSize(800, 800));
    const QImage crisp = large.toImage().convertToFormat(QImage::Format_RGB32);
    const QImage& painted = w.Picture();
    int differing = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (!rivo::testing::FarFromOutlines(DiagramSize::kFive, x, y)) continue;
            if ((crisp.pixel(2 * x, 2 * y) & 0xFFFFFFu) != (painted.pixel(x, y) & 0xFFFFFFu))
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
