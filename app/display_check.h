// Start-up's check that a display can be reached, made before the windowing framework starts, so
// that a missing display is one clear line instead of the framework's abort.
#pragma once

#include <optional>
#include <string>

struct xcb_connection_t;

namespace rivo::app {

class DisplayCheck {
  public:
    // Connects to the X display named by `-display NAME` in the arguments, else by DISPLAY. A
    // platform other than X11 chosen by QT_QPA_PLATFORM or `-platform NAME`, or a Wayland
    // session without DISPLAY, is left to the framework and not checked.
    DisplayCheck(int argc, char** argv);
    // Closes the connection, as Release does.
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // Why no window can be shown, or nothing.
    const std::optional<std::string>& Failure() const { return failure_; }

    // Closes the connection once the framework holds its own. Until then it is kept open: an X
    // server that resets when its last client leaves (Xvfb as xvfb-run starts it) would
    // otherwise refuse the framework for a moment.
    void Release();

  private:
    std::optional<std::string> failure_;
    xcb_connection_t* connection_ = nullptr;
};

}  // namespace rivo::app
