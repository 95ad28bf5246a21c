// The window-manager hints that Qt's X11 backend does not write the way the
// game's windows need them, written here and nowhere else:
//  - _MOTIF_WM_HINTS: which title-bar buttons and frame a window gets and
//    what the window manager lets the player do with it. Qt asks for a
//    window menu with every close button and leaves the decorations out for
//    a title-only window, so window managers draw their default buttons.
//  - WM_TRANSIENT_FOR on an ordinary window: Qt writes it for dialogs and
//    tool windows only, and deletes it on every showing of any other window.
//  - _NET_REQUEST_FRAME_EXTENTS: the frame is known before the window is
//    mapped, so that it can be centred frame and all from the start.
// Everything here does nothing (and reports so) unless the program runs on
// the xcb platform; under Wayland the compositor learns the owner from the
// transient parent and draws the frame itself.
#pragma once

#include <QMargins>
#include <Qt>
#include <cstdint>
#include <optional>

class QWindow;

namespace vornakka::x11 {

// Bits of the Motif hints' functions and decorations fields.
namespace motif {
constexpr std::uint32_t kFuncResize = 1u << 1;
constexpr std::uint32_t kFuncMove = 1u << 2;
constexpr std::uint32_t kFuncMinimize = 1u << 3;
constexpr std::uint32_t kFuncMaximize = 1u << 4;
constexpr std::uint32_t kFuncClose = 1u << 5;

constexpr std::uint32_t kDecorBorder = 1u << 1;
constexpr std::uint32_t kDecorResizeHandle = 1u << 2;
constexpr std::uint32_t kDecorTitle = 1u << 3;
constexpr std::uint32_t kDecorMenu = 1u << 4;
constexpr std::uint32_t kDecorMinimize = 1u << 5;
constexpr std::uint32_t kDecorMaximize = 1u << 6;

// The flags field: both the functions and the decorations fields count.
constexpr std::uint32_t kFlagsFunctionsAndDecorations = 0x3;
}  // namespace motif

struct MotifHints {
    std::uint32_t functions = 0;
    std::uint32_t decorations = 0;
    friend bool operator==(const MotifHints&, const MotifHints&) = default;
};

// What a window's Qt flags mean for its title bar, said the Motif way: move
// always; resize and the resize frame only for a window whose size is not
// fixed; close, minimise and maximise as the flags name the buttons (no
// maximise on a fixed size). An ordinary window (Qt::Window without
// Qt::CustomizeWindowHint) gets the whole set with the window menu; a
// customised title bar never has the menu.
MotifHints motifHintsFor(Qt::WindowFlags flags, bool fixedSize);

// True when the program talks to an X server (the xcb platform).
bool onX11();

// Writes _MOTIF_WM_HINTS of the (created) window. Returns false off X11.
bool writeMotifHints(QWindow& window, const MotifHints& hints);

// Reads the window's _MOTIF_WM_HINTS back from the X server: nothing when
// the window has none, with no functions or no decorations field, or off X11.
std::optional<MotifHints> readMotifHints(QWindow& window);

// Asks the window manager for the frame it will put around the (created,
// not yet shown) window, with _NET_REQUEST_FRAME_EXTENTS, and waits briefly
// for the answer: left, top, right and bottom. Nothing off X11, when the
// window manager does not offer the request, or when it does not answer.
std::optional<QMargins> requestFrameExtents(QWindow& window);

// Writes WM_TRANSIENT_FOR of the window, naming the owner. Returns false off
// X11 or when either window has no native window yet.
bool writeTransientFor(QWindow& window, QWindow& owner);

}  // namespace vornakka::x11
