// rivo: start-up of K.O.B. Rivo. Checks for a display, starts the windowing framework, creates
// the main window frm_gorsek and runs the event loop until the window is closed.
#include <QApplication>
#include <iostream>

#include "app/display_check.h"
#include "app/frm_gorsek_circle.h"

int main(int argc, char** argv) {
    rivo::app::DisplayCheck display(argc, argv);
    if (display.Failure()) {
        std::cerr << "rivo: " << *display.Failure() << '\n';
        return 1;
    }
    QApplication application(argc, argv);
    display.Release();
    // Lets the desktop match the window to its installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(RIVO_APP_ID));
    rivo::app::Tfrm_gorsek frm_gorsek;
    frm_gorsek.show();
    return QApplication::exec();
}
