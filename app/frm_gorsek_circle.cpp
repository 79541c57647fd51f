#include "app/frm_gorsek_circle.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <QWindow>
#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

#include "app/error_report.h"
#include "app/every_zone_window.h"
#include "app/line_edit.h"
#include "app/motif_hints.h"
#include "app/steps_window.h"
#include "diagram/core/diagram_layout.h"
#include "diagram/core/region_set.h"
#include "diagram/core/steps.h"
#include "diagram/core/zones.h"
#include "diagram/draw/draw.h"
#include "diagram/draw/painter.h"
#include "diagram/draw/picture_plan.h"
#include "diagram/draw/picture_writer.h"
#include "diagram/draw/region_map.h"
#include "expr/m_tree.h"
#include "expr/numbers.h"

namespace rivo::app {

namespace {

using diagram::DiagramSize;

// The first of `families` that is installed, else the desktop's face for the generic family:
// the named Windows faces are seldom there, their metric look-alikes usually are.
QFont NearestFont(std::initializer_list<const char*> families, const char* generic, int pixelSize) {
    const QStringList installed = QFontDatabase::families();
    QString chosen = QString::fromLatin1(generic);
    for (const char* family : families) {
        if (installed.contains(QString::fromLatin1(family))) {
            chosen = QString::fromLatin1(family);
            break;
        }
    }
    QFont font(chosen);
    font.setPixelSize(pixelSize);
    return font;
}

// A push button that Return and Enter press while it has the focus, as Space does, without
// being a default button: Enter anywhere else still presses nothing.
class KeyboardPushButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            QPushButton::keyPressEvent(event);
            return;
        }
        // Held down, the key would draw again and again; one press is one draw.
        if (!event->isAutoRepeat()) click();
        event->accept();
    }
};

QPushButton* DrawButton(QWidget* window, const char* caption, int top, const char* draws) {
    auto* button = new KeyboardPushButton(QString::fromLatin1(caption), window);
    button->setGeometry(240, top, 75, 23);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setAccessibleDescription(QString::fromLatin1(draws));
    return button;
}

// A window-wide keyboard shortcut.
QAction* Shortcut(QWidget* window, const QList<QKeySequence>& keys) {
    auto* action = new QAction(window);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    return action;
}

// "A", "A and B", "A, B and C".
QString JoinedWithAnd(const QStringList& names) {
    if (names.size() < 2) return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.back();
}

// The circles a region lies in, in words: "A, B and C".
QString CirclesInWords(DiagramSize size, char code) {
    QStringList inside;
    for (const char letter : diagram::CirclesOf(size, code))
        inside << QString(QLatin1Char(letter));
    return JoinedWithAnd(inside);
}

// The hidden zones, in a sentence: empty when every zone of the set is drawn.
QString HiddenZonesText(DiagramSize size, diagram::ZoneSet zones) {
    const std::string hidden = diagram::HiddenZoneList(size, zones);
    if (hidden.empty()) return {};
    return QStringLiteral("The set also holds zones this diagram cannot show: ") +
           QString::fromStdString(hidden);
}

// What the diagram did not read as written, as a sentence: empty when it read every part.
QString ReadingNoteText(const std::string& note) {
    if (note.empty()) return {};
    QString text = QString::fromStdString(note) + u'.';
    text[0] = text[0].toUpper();
    return text;
}

// What the picture shows, in words: the diagram size and each shaded region with the circles
// it lies in.
QString DescribeDiagram(DiagramSize size, const std::string& regions) {
    static constexpr const char* kCircles[] = {"Three circles.", "Four circles.", "Five circles."};
    const QString circles = QString::fromLatin1(kCircles[diagram::CircleCount(size) - 3]);
    const std::string codes = diagram::RegionUnion(regions, {});
    if (codes.empty()) return circles + QStringLiteral(" Nothing shaded.");
    QStringList shaded;
    for (const char code : codes) {
        shaded << QStringLiteral("region %1 (%2)")
                      .arg(QString(QLatin1Char(code)), CirclesInWords(size, code));
    }
    return circles + QStringLiteral(" Shaded: ") + shaded.join(QStringLiteral(", ")) +
           QLatin1Char('.');
}

// The folder the first save dialog of a run opens in.
QString DefaultPictureFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
    return QDir::homePath();
}

// The extension picks the format; the file is replaced only once the whole picture is written.
// Empty on success, else why it failed.
QString WritePicture(const diagram::Picture& picture, const QString& path) {
    const auto failure = diagram::WritePicture(picture, QFile::encodeName(path).toStdString());
    if (!failure) return {};
    return QString::fromLocal8Bit(failure->data(), static_cast<qsizetype>(failure->size()));
}

void ReadDecimalSeparator() {
    expr::SetDecimalSeparator(expr::LocaleDecimalSeparator());
}

}  // namespace

Tfrm_gorsek::Tfrm_gorsek(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      IV3(diagram::DiagramTemplate(DiagramSize::kThree)),
      IV4(diagram::DiagramTemplate(DiagramSize::kFour)),
      IV5(diagram::DiagramTemplate(DiagramSize::kFive)) {
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFixedSize(414, 505);
    setFont(NearestFont(
        {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans", "DejaVu Sans"},
        "sans-serif", 11));
    QPalette windowPalette = palette();
    const QColor buttonFace = windowPalette.color(QPalette::Button);
    windowPalette.setColor(QPalette::Window, buttonFace);
    setPalette(windowPalette);

    // Created in the order of the window's layout; the tab order follows from it.
    IM = new QLabel(this);
    IM->setGeometry(8, 96, 400, 400);
    IM->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    IM->setContextMenuPolicy(Qt::CustomContextMenu);
    IM->setAccessibleName(QStringLiteral("Diagram"));
    IM->setAccessibleDescription(QStringLiteral("No diagram yet."));
    IM->installEventFilter(this);
    // A child of the picture's control, painted over it: the picture itself stays as drawn.
    hiddenZonesMarker_ = new QLabel(QStringLiteral("!"), IM);
    hiddenZonesMarker_->setObjectName(QStringLiteral("hiddenZonesMarker"));
    hiddenZonesMarker_->setGeometry(IM->width() - 22, 4, 18, 18);
    hiddenZonesMarker_->setAlignment(Qt::AlignCenter);
    hiddenZonesMarker_->setStyleSheet(
        QStringLiteral("QLabel { background: #ffd400; color: black; font-weight: bold;"
                       " border: 1px solid #7a5c00; border-radius: 9px; }"));
    hiddenZonesMarker_->setAccessibleName(QStringLiteral("Hidden zones"));
    // A click opens the every-zone window, where the zones it warns of are drawn.
    hiddenZonesMarker_->setCursor(Qt::PointingHandCursor);
    hiddenZonesMarker_->installEventFilter(this);
    hiddenZonesMarker_->hide();

    // The whole text, however long; the pipeline's own limit refuses a text that is too long,
    // with a message.
    eIN = new LineEdit(QStringLiteral("a*b+b*c+a*c-a*b*c"), this);
    eIN->setGeometry(8, 8, 225, 21);
    eIN->setAccessibleName(QStringLiteral("Set expression"));
    eIN->setAccessibleDescription(
        QStringLiteral("The sets a to e joined by + (or), * (and) and - (without)"));

    Button1 = DrawButton(this, "Draw (3)", 8, "Draws the diagram of three circles");

    Memo1 = new QPlainTextEdit(QStringLiteral("+ OR\n* AND\n- SUB"), this);
    Memo1->setGeometry(320, 8, 89, 73);
    Memo1->setReadOnly(true);
    // A click on the legend leaves the keyboard where it was: it is no control to work.
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setAccessibleName(QStringLiteral("Operators"));
    Memo1->setAccessibleDescription(QStringLiteral("+ OR, * AND, - SUB"));
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFont(NearestFont({"Courier", "Courier New", "Liberation Mono", "DejaVu Sans Mono"},
                               "monospace", 20));
    // Three lines of a 20-pixel face fill the 73 pixels nearly to the edge.
    Memo1->document()->setDocumentMargin(2);
    QPalette legendPalette = Memo1->palette();
    legendPalette.setColor(QPalette::Base, buttonFace);
    legendPalette.setColor(QPalette::Text, windowPalette.color(QPalette::WindowText));
    Memo1->setPalette(legendPalette);

    Button2 = DrawButton(this, "Draw (4)", 32, "Draws the diagram of four circles");
    Button3 = DrawButton(this, "Draw (5)", 56, "Draws the diagram of five circles");

    setTabOrder(eIN, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    eIN->setFocus();

    connect(Button1, &QPushButton::clicked, this, &Tfrm_gorsek::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfrm_gorsek::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tfrm_gorsek::Button3Click);
    connect(IM, &QLabel::customContextMenuRequested, this, &Tfrm_gorsek::ShowPictureMenu);
    ChooseSaveFile = [this](const QString& proposed) { return AskForPictureFile(proposed); };

    // Ctrl+3, Ctrl+4 and Ctrl+5 press the draw buttons from anywhere in the window.
    const std::pair<QPushButton*, Qt::Key> drawKeys[] = {
        {Button1, Qt::Key_3}, {Button2, Qt::Key_4}, {Button3, Qt::Key_5}};
    for (const auto& [button, key] : drawKeys) {
        connect(Shortcut(this, {QKeySequence(Qt::CTRL | key)}), &QAction::triggered, button,
                &QPushButton::click);
    }
    // The picture's actions, with their shortcuts, wait for the first picture. The edit line
    // takes Ctrl+C for itself only while it has selected text.
    copyPictureAction_ = Shortcut(this, QKeySequence::keyBindings(QKeySequence::Copy));
    copyPictureAction_->setText(QStringLiteral("&Copy picture"));
    copyPictureAction_->setObjectName(QStringLiteral("copyPictureAction"));
    copyPictureAction_->setEnabled(false);
    connect(copyPictureAction_, &QAction::triggered, this, &Tfrm_gorsek::CopyPicture);
    savePictureAction_ = Shortcut(this, QKeySequence::keyBindings(QKeySequence::Save));
    savePictureAction_->setText(QStringLiteral("&Save picture as…"));
    savePictureAction_->setObjectName(QStringLiteral("savePictureAction"));
    savePictureAction_->setEnabled(false);
    connect(savePictureAction_, &QAction::triggered, this, &Tfrm_gorsek::SavePicture);
    showStepsAction_ = new QAction(QStringLiteral("Show s&teps…"), this);
    showStepsAction_->setObjectName(QStringLiteral("showStepsAction"));
    showStepsAction_->setEnabled(false);
    connect(showStepsAction_, &QAction::triggered, this, &Tfrm_gorsek::ShowSteps);
    showEveryZoneAction_ = new QAction(QStringLiteral("Show every &zone…"), this);
    showEveryZoneAction_->setObjectName(QStringLiteral("showEveryZoneAction"));
    showEveryZoneAction_->setEnabled(false);
    connect(showEveryZoneAction_, &QAction::triggered, this, &Tfrm_gorsek::ShowEveryZone);

    // The stored position is overridden: the client area starts in the middle of the screen.
    if (const QScreen* screen = this->screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
    ReadDecimalSeparator();
    FormCreate();
}

Tfrm_gorsek::~Tfrm_gorsek() = default;

void Tfrm_gorsek::Button1Click() {
    DrawDiagram(DiagramSize::kThree);
}

void Tfrm_gorsek::Button2Click() {
    DrawDiagram(DiagramSize::kFour);
}

void Tfrm_gorsek::Button3Click() {
    DrawDiagram(DiagramSize::kFive);
}

void Tfrm_gorsek::FormCreate() {
    QGuiApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
}

void Tfrm_gorsek::DrawDiagram(DiagramSize size) {
    treeIsDrawn_ = false;
    RunRequest(this, [&] {
        std::string text = eIN->text().toStdString();
        const diagram::Drawing drawing = diagram::DrawDiagram(size, text, defTV, MOP, picture_);
        const QString misread = ReadingNoteText(drawing.readingNote);
        const QString hidden = HiddenZonesText(size, drawing.zones);
        IM->setAccessibleDescription(DescribeDiagram(size, drawing.regions) +
                                     (misread.isEmpty() ? QString() : u' ' + misread) +
                                     (hidden.isEmpty() ? QString() : u' ' + hidden + u'.'));
        // One marker for both notes, the misreading first: it changes what the picture means.
        QStringList notes;
        QStringList names;
        if (!misread.isEmpty()) {
            notes << misread;
            names << QStringLiteral("Expression not read as written");
        }
        if (!hidden.isEmpty()) {
            notes << hidden;
            names << QStringLiteral("Hidden zones");
        }
        const QString marker = notes.join(u'\n');
        // A quoted part such as "<b>" would make Qt take the tooltip for rich text.
        hiddenZonesMarker_->setToolTip(
            Qt::mightBeRichText(marker) ? Qt::convertFromPlainText(marker) : marker);
        hiddenZonesMarker_->setAccessibleName(names.join(QStringLiteral("; ")));
        hiddenZonesMarker_->setAccessibleDescription(marker);
        hiddenZonesMarker_->setVisible(!marker.isEmpty());
        pictureSize_ = size;
        pictureZones_ = drawing.zones;
        drawnText_ = std::move(text);
        treeIsDrawn_ = true;
        ShowPicture();
        copyPictureAction_->setEnabled(true);
        savePictureAction_->setEnabled(true);
        showStepsAction_->setEnabled(true);
        showEveryZoneAction_->setEnabled(true);
        if (everyZoneWindow_) {
            everyZoneWindow_->ShowDrawnSet(diagram::CircleCount(size), pictureZones_,
                                           QString::fromStdString(drawnText_));
        }
    });
}

StepsWindow* Tfrm_gorsek::StepsWindowShown() const {
    return stepsWindow_;
}

void Tfrm_gorsek::ShowSteps() {
    if (!pictureSize_) return;
    const DiagramSize size = *pictureSize_;
    std::vector<ShownStep> shown;
    std::size_t total = 0;
    const bool done = RunRequest(this, [&] {
        // A run of its own on the drawn tree, the listing held as a draw holds it.
        const expr::HeldMemory heldListing(budget, expr::ListingBytes(MOP));
        budget.StartRun();
        // The same text gives the same tree, whose listing MOP is.
        if (!treeIsDrawn_) expr::BuildTree(drawnText_, defTV);
        treeIsDrawn_ = true;
        expr::ScopedCharge held(budget);
        std::vector<diagram::TreeStep> steps = diagram::EvaluationStepsOf(defTV, MOP, size, held);
        // As a teacher shows them: in the order the text reads.
        diagram::PutInReadingOrder(defTV, steps, held);
        total = steps.size();
        const std::size_t count = std::min(total, StepsWindow::kMaxShownSteps);
        const std::vector<diagram::StepText> texts = diagram::StepTextsOf(
            defTV, std::span(steps).first(count), size, StepsWindow::kMaxTextBytes, held);
        shown.reserve(count);
        for (const diagram::StepText& step : texts)
            shown.push_back({QString::fromStdString(step.text), step.regions});
    });
    if (!done) return;
    if (stepsWindow_) stepsWindow_->close();
    stepsWindow_ = new StepsWindow(size, std::move(shown), total, this);
    stepsWindow_->show();
    stepsWindow_->raise();
    stepsWindow_->activateWindow();
}

EveryZoneWindow* Tfrm_gorsek::EveryZoneWindowShown() const {
    return everyZoneWindow_;
}

void Tfrm_gorsek::ShowEveryZone() {
    if (!pictureSize_) return;
    if (!everyZoneWindow_) {
        everyZoneWindow_ = new EveryZoneWindow(this);
        everyZoneWindow_->ShowDrawnSet(diagram::CircleCount(*pictureSize_), pictureZones_,
                                       QString::fromStdString(drawnText_));
    }
    everyZoneWindow_->show();
    everyZoneWindow_->raise();
    everyZoneWindow_->activateWindow();
}

std::unique_ptr<QMenu> Tfrm_gorsek::BuildPictureMenu() {
    if (picture_.isNull()) return nullptr;
    // No Qt parent: the returned pointer is the menu's one owner. The actions stay the window's.
    auto menu = std::make_unique<QMenu>();
    menu->addAction(copyPictureAction_);
    menu->addAction(savePictureAction_);
    menu->addSeparator();
    menu->addAction(showStepsAction_);
    menu->addAction(showEveryZoneAction_);
    return menu;
}

void Tfrm_gorsek::ShowPictureMenu(const QPoint& position) {
    if (const auto menu = BuildPictureMenu()) menu->exec(IM->mapToGlobal(position));
}

std::string Tfrm_gorsek::ShownRegions() const {
    return pictureSize_ ? diagram::RegionsOfZones(*pictureSize_, pictureZones_) : std::string();
}

void Tfrm_gorsek::ShowPicture() {
    if (picture_.isNull() || !pictureSize_) return;
    diagram::PictureRequest request(*pictureSize_);
    request.devicePixelRatio = IM->devicePixelRatioF();
    IM->setPixmap(
        QPixmap::fromImage(diagram::MakePicture(request, ShownRegions(), picture_).raster));
}

diagram::Picture Tfrm_gorsek::WritablePicture() const {
    if (!pictureSize_) return diagram::Picture{picture_, {}, picture_.width()};
    QImage scratch = picture_;
    return diagram::MakePicture(diagram::PictureRequest(*pictureSize_), ShownRegions(), scratch);
}

void Tfrm_gorsek::CopyPicture() {
    auto contents = std::make_unique<QMimeData>();
    const diagram::Picture picture = WritablePicture();
    contents->setImageData(picture.raster);
    // Pasted into a drawing program or an office document, the vector picture scales cleanly.
    QByteArray svg;
    const diagram::PictureFormat* format = diagram::PictureFormatOf("diagram.svg");
    if (format != nullptr && !format->encode(picture, svg)) {
        contents->setData(QStringLiteral("image/svg+xml"), svg);
    }
    QGuiApplication::clipboard()->setMimeData(contents.release());
}

void Tfrm_gorsek::SavePicture() {
    if (picture_.isNull() || !pictureSize_) return;
    if (saveFolder_.isEmpty()) saveFolder_ = DefaultPictureFolder();
    QString proposed =
        QDir(saveFolder_)
            .filePath(QStringLiteral("diagram-%1.png").arg(diagram::CircleCount(*pictureSize_)));
    for (;;) {
        QString path = ChooseSaveFile(proposed);
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
        const QString reason = WritePicture(WritablePicture(), path);
        if (reason.isEmpty()) {
            saveFolder_ = QFileInfo(path).absolutePath();
            return;
        }
        const QString message = QStringLiteral("Cannot save the picture to %1: %2")
                                    .arg(QDir::toNativeSeparators(path), reason);
        ShowErrorReport(this, message);
        // The user corrects the name that failed rather than starting over.
        proposed = path;
    }
}

QString Tfrm_gorsek::AskForPictureFile(const QString& proposed) {
    QFileDialog dialog(this, QStringLiteral("Save picture as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const auto& format : diagram::PictureFormats()) {
        QStringList patterns;
        for (const auto extension : format.extensions)
            patterns << QStringLiteral("*.") + QString::fromLatin1(extension);
        filters << QStringLiteral("%1 pictures (%2)")
                       .arg(QString::fromLatin1(format.name), patterns.join(u' '));
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    const QFileInfo place(proposed);
    dialog.setDirectory(place.absolutePath());
    dialog.selectFile(place.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString Tfrm_gorsek::PictureToolTip(const QPoint& at) const {
    if (!pictureSize_) return {};
    const char code = diagram::RegionAt(*pictureSize_, at.x(), at.y());
    if (code == diagram::kOutsideEveryCircle) return QStringLiteral("Outside every circle");
    if (code == 0) return {};
    const diagram::Zone zone = diagram::ZoneOfRegion(*pictureSize_, code);
    const bool in = (pictureZones_ & diagram::ZoneBit(zone)) != 0;
    return ZoneInWords(diagram::CircleCount(*pictureSize_), zone, in) +
           QStringLiteral(" (region %1)").arg(QLatin1Char(code));
}

bool Tfrm_gorsek::eventFilter(QObject* watched, QEvent* event) {
    if (watched == IM && event->type() == QEvent::ToolTip) {
        const auto& help = *static_cast<QHelpEvent*>(event);
        AnswerToolTip(help, PictureToolTip(help.pos()), IM);
        return true;
    }
    if (watched == hiddenZonesMarker_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ShowEveryZone();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool Tfrm_gorsek::event(QEvent* event) {
    // The desktop announces changed settings; Linux itself sends nothing, so tests send it.
    if (event->type() == QEvent::LocaleChange) ReadDecimalSeparator();
    return QWidget::event(event);
}

// A context menu asked for from the keyboard by a control without one of its own (a button,
// or the window itself) is the picture's, shown on the picture.
void Tfrm_gorsek::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() != QContextMenuEvent::Keyboard) {
        event->ignore();
        return;
    }
    ShowPictureMenu(IM->rect().center());
}

void Tfrm_gorsek::keyPressEvent(QKeyEvent* event) {
    // X11 turns the Menu key into a context-menu event for the focused control, but not
    // Shift+F10; that is done here the same way.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QWidget* target =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : this;
        const QPoint at = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at),
                                  event->modifiers());
        QCoreApplication::sendEvent(target, &request);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tfrm_gorsek::showEvent(QShowEvent* event) {
    // The native window exists now and is not mapped yet: the window manager reads the hints
    // when it maps it.
    RemoveResizeFromMotifHints(this);
    // On another screen the device-pixel ratio may differ: the picture follows it.
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &Tfrm_gorsek::ShowPicture,
                Qt::UniqueConnection);
    }
    QWidget::showEvent(event);
}

}  // namespace rivo::app
