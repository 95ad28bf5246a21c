// The game's colours are 24-bit values in blue-green-red byte order (0x0000FF
// is red), as the core hands them to the machine window. These turn them into
// Qt colours and name the two system colours the windows use.
#pragma once

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include "vornakka/services.h"

namespace vornakka {

// Not real colour values (those have 24 bits): the desktop's window-text
// colour (the paytable's black pattern letters, most captions) and its
// dialog-face colour (the name dialog).
inline constexpr Colour kWindowTextColour = 0xFF000000u;
inline constexpr Colour kButtonFaceColour = 0xFE000000u;

inline QColor toQColor(Colour bgr) {
    if (bgr == kWindowTextColour) return QGuiApplication::palette().color(QPalette::WindowText);
    if (bgr == kButtonFaceColour) return QGuiApplication::palette().color(QPalette::Window);
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

}  // namespace vornakka
