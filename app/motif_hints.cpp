#include "app/motif_hints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace rivo::app {

namespace {

// The property's five 32-bit fields: which of the next two are in force, the functions, the
// decorations, the input mode and the status.
constexpr std::uint32_t kFunctionsInForce = 1;
constexpr std::uint32_t kDecorationsInForce = 2;
// In both fields bit 0 means "all but the ones listed".
constexpr std::uint32_t kAllBut = 1;
constexpr std::uint32_t kResizeFunction = 2;
constexpr std::uint32_t kResizeHandles = 4;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

// Clears `bit` in field `index`, which `inForce` marks in force.
void Remove(std::uint32_t (&hints)[5], int index, std::uint32_t inForce, std::uint32_t bit) {
    auto& field = hints[index];
    if (!(hints[0] & inForce)) {
        hints[0] |= inForce;
        field = kAllBut;
    }
    if (field & kAllBut) {
        field |= bit;
    } else {
        field &= ~bit;
    }
}

}  // namespace

void RemoveResizeFromMotifHints(QWidget* window) {
    // The offscreen platform answers to the X11 interface too, without a connection.
    if (window == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr));
    if (!atom) return;
    std::uint32_t hints[5] = {0, 0, 0, 0, 0};
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> current(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, atom->atom, atom->atom, 0, 5), nullptr));
    if (current && current->format == 32 &&
        xcb_get_property_value_length(current.get()) == sizeof hints) {
        std::memcpy(hints, xcb_get_property_value(current.get()), sizeof hints);
    }
    Remove(hints, 1, kFunctionsInForce, kResizeFunction);
    Remove(hints, 2, kDecorationsInForce, kResizeHandles);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom->atom, atom->atom, 32, 5,
                        hints);
    xcb_flush(connection);
}

}  // namespace rivo::app
