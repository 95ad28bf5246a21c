#include "common/x11_hints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <qguiapplication_platform.h>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <cstring>

namespace vornakka::x11 {

namespace {

xcb_connection_t* connection() {
    if (!onX11()) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t motifAtom(xcb_connection_t* c) {
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom == XCB_ATOM_NONE) {
        static constexpr char kName[] = "_MOTIF_WM_HINTS";
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr);
        if (reply != nullptr) atom = reply->atom;
        std::free(reply);
    }
    return atom;
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
