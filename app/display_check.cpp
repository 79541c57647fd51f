#include "app/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace rivo::app {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The value after the framework's own option `name`, or `fallback` when it is not given.
std::string Option(int argc, char** argv, std::string_view name, std::string fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == name) return argv[i + 1];
    }
    return fallback;
}

// Whether every entry of a platform list such as "xcb" or "wayland;xcb" is X11.
bool OnlyX11(std::string_view platforms) {
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        const std::string_view entry = platforms.substr(0, end);
        if (entry.substr(0, entry.find(':')) != "xcb") return false;
        if (end == std::string_view::npos) break;
        platforms.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

DisplayCheck::DisplayCheck(int argc, char** argv) {
    const std::string platform = Option(argc, argv, "-platform", Environment("QT_QPA_PLATFORM"));
    const std::string display = Option(argc, argv, "-display", Environment("DISPLAY"));
    if (!platform.empty() && !OnlyX11(platform)) return;
    if (platform.empty() && display.empty() && !Environment("WAYLAND_DISPLAY").empty()) return;
    constexpr const char* kHint = "start it from a desktop session or under xvfb-run";
    if (display.empty()) {
        failure_ = std::string("no display found (DISPLAY is not set); ") + kHint;
        return;
    }
    connection_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        failure_ = "cannot connect to display \"" + display + "\"; " + kHint;
        Release();
    }
}

DisplayCheck::~DisplayCheck() {
    Release();
}

void DisplayCheck::Release() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
    connection_ = nullptr;
}

}  // namespace rivo::app
