#include "app/frm_gorsek_circle.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <initializer_list>
#include <limits>

#include "app/error_report.h"
#include "diagram/draw.h"
#include "diagram/painter.h"
#include "diagram/picture_writer.h"
#include "expr/numbers.h"
#include "expr/text.h"

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

QPushButton* DrawButton(QWidget* window, const char* caption, int top) {
    auto* button = new QPushButton(QString::fromLatin1(caption), window);
    button->setGeometry(240, top, 75, 23);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
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

    eIN = new QLineEdit(QStringLiteral("a*b+b*c+a*c-a*b*c"), this);
    eIN->setGeometry(8, 8, 225, 21);
    // Qt would cut pasted text at 32767 characters and draw the wrong set without a word; the
    // pipeline's own limit refuses a text that is too long, with a message.
    eIN->setMaxLength(std::numeric_limits<int>::max());

    Button1 = DrawButton(this, "Draw (3)", 8);

    Memo1 = new QPlainTextEdit(QStringLiteral("+ OR\n* AND\n- SUB"), this);
    Memo1->setGeometry(320, 8, 89, 73);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::ClickFocus);
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

    Button2 = DrawButton(this, "Draw (4)", 32);
    Button3 = DrawButton(this, "Draw (5)", 56);

    setTabOrder(eIN, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    eIN->setFocus();

    connect(Button1, &QPushButton::clicked, this, &Tfrm_gorsek::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfrm_gorsek::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tfrm_gorsek::Button3Click);
    connect(IM, &QLabel::customContextMenuRequested, this, &Tfrm_gorsek::ShowPictureMenu);
    ChooseSaveFile = [this] { return AskForPictureFile(); };

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
    RunRequest(this, [&] {
        diagram::DrawDiagram(size, eIN->text().toStdString(), defTV, MOP, picture_);
        IM->setPixmap(QPixmap::fromImage(picture_));
    });
}

std::unique_ptr<QMenu> Tfrm_gorsek::BuildPictureMenu() {
    if (picture_.isNull()) return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    QAction* copy = menu->addAction(QStringLiteral("Copy picture"));
    copy->setObjectName(QStringLiteral("copyPictureAction"));
    connect(copy, &QAction::triggered, this, &Tfrm_gorsek::CopyPicture);
    QAction* save = menu->addAction(QStringLiteral("Save picture as…"));
    save->setObjectName(QStringLiteral("savePictureAction"));
    connect(save, &QAction::triggered, this, &Tfrm_gorsek::SavePicture);
    return menu;
}

void Tfrm_gorsek::ShowPictureMenu(const QPoint& position) {
    if (const auto menu = BuildPictureMenu()) menu->exec(IM->mapToGlobal(position));
}

void Tfrm_gorsek::CopyPicture() {
    QGuiApplication::clipboard()->setImage(picture_);
}

void Tfrm_gorsek::SavePicture() {
    QString path = ChooseSaveFile();
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    // The extension picks the format; the file is replaced only once the whole picture is written.
    const auto failure = diagram::WritePicture(picture_, QFile::encodeName(path).toStdString());
    if (!failure) return;
    const QString message =
        QStringLiteral("Cannot save the picture to %1: %2")
            .arg(QDir::toNativeSeparators(path),
                 QString::fromLocal8Bit(failure->data(), static_cast<qsizetype>(failure->size())));
    ShowErrorReport(this, QString::fromStdString(expr::WithFullStop(message.toStdString())));
}

QString Tfrm_gorsek::AskForPictureFile() {
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool Tfrm_gorsek::event(QEvent* event) {
    // The desktop announces changed settings; Linux itself sends nothing, so tests send it.
    if (event->type() == QEvent::LocaleChange) ReadDecimalSeparator();
    return QWidget::event(event);
}

}  // namespace rivo::app
