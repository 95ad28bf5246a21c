#include "common/x11_hints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <qguiapplication_platform.h>
#include <QWindow>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace vornakka::x11 {

namespace {

xcb_connection_t* connection() {
    if (!onX11()) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

xcb_atom_t motifAtom(xcb_connection_t* c) {
    static const xcb_atom_t atom = internAtom(c, "_MOTIF_WM_HINTS");
    return atom;
}

xcb_window_t rootOf(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

// The first values of a 32-bit property, as many as it has up to count.
std::vector<std::uint32_t> cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type, std::uint32_t count) {
    std::vector<std::uint32_t> values;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, count), nullptr);
    if (reply != nullptr && reply->format == 32) {
        const auto n = static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4;
        values.resize(n);
        std::memcpy(values.data(), xcb_get_property_value(reply), n * 4);
    }
    std::free(reply);
    return values;
}

// The native window of a created QWindow, 0 when it has none.
xcb_window_t nativeWindow(QWindow& window) {
    return window.handle() != nullptr ? static_cast<xcb_window_t>(window.winId()) : 0;
}

}  // namespace

MotifHints motifHintsFor(Qt::WindowFlags flags, bool fixedSize) {
    using namespace motif;
    if (flags.testFlag(Qt::FramelessWindowHint)) return {kFuncMove, 0};
    // Qt adds its system-menu hint to every customised title bar that has a
    // button, so only an ordinary window gets the window menu.
    const bool ordinary =
        (flags & Qt::WindowType_Mask) == Qt::Window && !flags.testFlag(Qt::CustomizeWindowHint);
    if (ordinary) flags |= Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    MotifHints hints{kFuncMove, kDecorBorder};
    if (flags.testFlag(Qt::WindowTitleHint)) hints.decorations |= kDecorTitle;
    if (ordinary) hints.decorations |= kDecorMenu;
    if (!fixedSize) {
        hints.functions |= kFuncResize;
        hints.decorations |= kDecorResizeHandle;
    }
    if (flags.testFlag(Qt::WindowCloseButtonHint)) hints.functions |= kFuncClose;
    if (flags.testFlag(Qt::WindowMinimizeButtonHint)) {
        hints.functions |= kFuncMinimize;
        hints.decorations |= kDecorMinimize;
    }
    if (flags.testFlag(Qt::WindowMaximizeButtonHint) && !fixedSize) {
        hints.functions |= kFuncMaximize;
        hints.decorations |= kDecorMaximize;
    }
    return hints;
}

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

bool writeMotifHints(QWindow& window, const MotifHints& hints) {
    xcb_connection_t* c = connection();
    const xcb_window_t id = nativeWindow(window);
    if (c == nullptr || id == 0) return false;
    const xcb_atom_t atom = motifAtom(c);
    if (atom == XCB_ATOM_NONE) return false;
    // flags, functions, decorations, input mode, status
    const std::array<std::uint32_t, 5> value{motif::kFlagsFunctionsAndDecorations, hints.functions,
                                             hints.decorations, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom, atom, 32, static_cast<std::uint32_t>(value.size()),
                        value.data());
    xcb_flush(c);
    return true;
}

std::optional<MotifHints> readMotifHints(QWindow& window) {
    xcb_connection_t* c = connection();
    const xcb_window_t id = nativeWindow(window);
    if (c == nullptr || id == 0) return std::nullopt;
    const xcb_atom_t atom = motifAtom(c);
    if (atom == XCB_ATOM_NONE) return std::nullopt;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, id, atom, XCB_ATOM_ANY, 0, 5), nullptr);
    std::optional<MotifHints> hints;
    if (reply != nullptr && reply->format == 32 && xcb_get_property_value_length(reply) >= 12) {
        std::array<std::uint32_t, 3> v{};
        std::memcpy(v.data(), xcb_get_property_value(reply), sizeof v);
        if ((v[0] & motif::kFlagsFunctionsAndDecorations) == motif::kFlagsFunctionsAndDecorations) {
            hints = MotifHints{v[1], v[2]};
        }
    }
    std::free(reply);
    return hints;
}

std::optional<QMargins> requestFrameExtents(QWindow& window) {
    xcb_connection_t* c = connection();
    const xcb_window_t id = nativeWindow(window);
    if (c == nullptr || id == 0) return std::nullopt;
    const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    const std::vector<std::uint32_t> supported =
        cardinals(c, rootOf(c), internAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 1024);
    if (std::find(supported.begin(), supported.end(), request) == supported.end()) return std::nullopt;

    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = request;
    xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    // The window manager answers at once; a quarter of a second is plenty.
    for (int tries = 0; tries < 50; ++tries) {
        const std::vector<std::uint32_t> v = cardinals(c, id, extents, XCB_ATOM_CARDINAL, 4);
        if (v.size() == 4) {  // left, right, top, bottom
            return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                            static_cast<int>(v[3]));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

bool writeTransientFor(QWindow& window, QWindow& owner) {
    xcb_connection_t* c = connection();
    const xcb_window_t id = nativeWindow(window);
    const xcb_window_t ownerId = nativeWindow(owner);
    if (c == nullptr || id == 0 || ownerId == 0) return false;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
    xcb_flush(c);
    return true;
}

}  // namespace vornakka::x11
