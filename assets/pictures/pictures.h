// The game's pictures, each drawn from fixed shapes, and the sixteen-colour
// palette the small icon is limited to.
#pragma once

#include <QColor>
#include <QImage>

#include <array>

namespace picgen {

// The sixteen colours of the classic VGA / Windows palette.
inline constexpr std::array<QRgb, 16> kVgaPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
    0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
    0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

// The machine picture's background, which its corners must show.
inline const QColor kMachineBackground(26, 12, 8);

// The window icon, 32 x 32 in the sixteen colours.
QImage drawIcon();
// The same icon shaded and antialiased at size x size for the icon theme.
QImage drawLargeIcon(int size);
// The about box's machine picture, 78 x 143.
QImage drawMachine();

}  // namespace picgen
