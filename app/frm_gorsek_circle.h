// The window module: the main window Tfrm_gorsek with its controls and handlers. It only wires
// widgets; a draw request itself is diagram::DrawDiagram.
//
// The names here are the system's own and fixed, so they stay as they are: the module
// frm_gorsek_circle, the class Tfrm_gorsek (its one instance frm_gorsek, in main.cpp), the edit
// line eIN, the draw buttons Button1 to Button3 (three, four, five circles) and their handlers
// Button1Click to Button3Click, the legend Memo1, the picture IM, the templates IV3 to IV5, the
// listing of the last request MOP, its tree holder defTV, and FormCreate, which sets the
// application title. docs/architecture.md explains each.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/zones.h"
#include "diagram/draw/picture_writer.h"
#include "expr/tree.h"

class QAction;
class QContextMenuEvent;
class QEvent;
class QKeyEvent;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPoint;
class QPushButton;
class QShowEvent;

namespace rivo::app {

class EveryZoneWindow;
class LineEdit;
class StepsWindow;

// The window's caption, and the application title that FormCreate sets.
inline constexpr char kApplicationTitle[] = "K.O.B. Rivo";

class Tfrm_gorsek : public QWidget {
    Q_OBJECT

  public:
    // Creates every control at its place with its initial content, centres the window on the
    // screen, reads the locale's decimal separator and runs FormCreate.
    explicit Tfrm_gorsek(QWidget* parent = nullptr);
    ~Tfrm_gorsek() override;

    // The controls, public so that tests reach them directly.
    // MOP (the listing of the last request) and defTV (its tree) are plain holders, never shown.
    // IV3 to IV5 are the templates the painter copies.
    LineEdit* eIN = nullptr;
    QPushButton* Button1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::vector<std::string> MOP{"MOP"};
    expr::RunBudget budget;  // what a request on defTV may spend
    expr::TreeContainer defTV{budget};
    QLabel* IM = nullptr;
    QPushButton* Button2 = nullptr;
    const QImage& IV3;
    const QImage& IV4;
    const QImage& IV5;
    QPushButton* Button3 = nullptr;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void FormCreate();

    // The picture IM shows; a null image before the first completed request.
    const QImage& Picture() const { return picture_; }

    // The tooltip of IM at a point of it: the circles the region there lies in, whether the set
    // of the last draw holds it, and its code ("In A and B only — in the set (region 2)");
    // "Outside every circle" around the circles; empty on an outline and before the first draw.
    QString PictureToolTip(const QPoint& at) const;

    // The context menu of IM, which a right click on the picture opens, and the Menu key or
    // Shift+F10 where the focused control has no menu of its own: "Copy picture" (the action
    // named "copyPictureAction", also Ctrl+C where no text is selected) and "Save picture as…"
    // ("savePictureAction", also Ctrl+S). Nothing, and no menu, while IM shows no picture.
    std::unique_ptr<QMenu> BuildPictureMenu();
    // The menu's "Show steps…" ("showStepsAction"): opens the steps window on the evaluation of
    // the last completed draw, its text and size as drawn, replacing one open before. At most
    // StepsWindow::kMaxShownSteps steps get a picture. A failure is reported as a draw's is.
    void ShowSteps();
    // The steps window while it is open, else null.
    StepsWindow* StepsWindowShown() const;
    // The menu's "Show every zone…" ("showEveryZoneAction"), also a click on the marker over the
    // picture: opens the every-zone window on the last draw's set, or raises the one open.
    void ShowEveryZone();
    // The every-zone window while it is open, else null.
    EveryZoneWindow* EveryZoneWindowShown() const;
    // Puts the picture on the clipboard as an image and as SVG (image/svg+xml).
    void CopyPicture();
    // Asks ChooseSaveFile for a file, proposing "diagram-N.png" (N circles) in the folder of the
    // last save of this run, at first the user's pictures folder or else the home folder, and
    // saves the picture there in the format its extension names (diagram::PictureFormats(): a
    // raster format the picture itself, SVG and PDF drawn by the geometric renderer), adding
    // ".png" to a name without an extension. An empty name cancels. An unknown extension
    // or a failure to write is shown in a message box with its reason, and then the dialog asks
    // again with the name that failed.
    void SavePicture();
    // A file dialog for saving a picture in one of the formats, opened on the proposed path;
    // tests replace it.
    std::function<QString(const QString& proposed)> ChooseSaveFile;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // The body of the three click handlers.
    void DrawDiagram(diagram::DiagramSize size);
    void ShowPictureMenu(const QPoint& position);
    // Puts the picture on IM: the template picture itself at a device-pixel ratio of 1, else
    // the geometric renderer's at the screen's resolution, so that it shows crisp.
    void ShowPicture();
    // The picture as the writer takes it: the template picture and its geometric drawing.
    diagram::Picture WritablePicture() const;
    // The region set IM shows: the drawn part of the last draw's truth set.
    std::string ShownRegions() const;
    QString AskForPictureFile(const QString& proposed);

    QImage picture_;
    // The size of the diagram IM shows, and the truth set of the draw that painted it (whose
    // drawn part is the region set of the pictures drawn rather than painted).
    std::optional<diagram::DiagramSize> pictureSize_;
    diagram::ZoneSet pictureZones_ = 0;
    // Over IM's corner while the last draw has a note: the parts of its text the diagram did
    // not read as written, the zones its set holds that the diagram cannot show, or both; its
    // tooltip, accessible name and description say which (the misreading first).
    // Null until made: the picture's event filter already runs while the marker is being made.
    QLabel* hiddenZonesMarker_ = nullptr;
    QAction* copyPictureAction_ = nullptr;
    QAction* savePictureAction_ = nullptr;
    QAction* showStepsAction_ = nullptr;
    QAction* showEveryZoneAction_ = nullptr;
    // The text of the last completed draw, and whether defTV still holds its tree: a draw that
    // fails may leave another tree there, which ShowSteps then builds again from the text.
    std::string drawnText_;
    bool treeIsDrawn_ = false;
    QPointer<StepsWindow> stepsWindow_;
    QPointer<EveryZoneWindow> everyZoneWindow_;
    // Where the next save dialog opens; empty until the first save of the run.
    QString saveFolder_;
};

}  // namespace rivo::app
