// The Motif window-manager hints of a window of fixed size. Qt's X11 window offers resizing in
// them whatever its size hints say, and window managers take a frame's functions and handles
// from them.
#pragma once

class QWidget;

namespace rivo::app {

// Takes the resize function and the resize handles out of the Motif hints of the top-level
// `window` on X11; on other platforms it does nothing. Call it once the native window exists
// and before it is mapped, as from the window's show event.
void RemoveResizeFromMotifHints(QWidget* window);

}  // namespace rivo::app
