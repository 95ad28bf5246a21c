// Fonts of the windows: each control asks for its family by the name the game
// was drawn with ("Verdana", "Courier", "Comic Sans MS", "Arial",
// "MS Sans Serif") at a pixel size that is the character's em height.
#pragma once

#include <QFont>

namespace vornakka {

struct FontDesc {
    const char* family;
    int pixels;  // em height
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

QFont makeFont(const FontDesc& desc);

// Registers the preferred stand-in of every family the windows ask for, for
// machines that lack the original fonts: Liberation Sans for Arial,
// Liberation Mono for Courier, DejaVu Sans for Verdana and MS Sans Serif,
// Comic Neue for Comic Sans MS. An installed original still wins.
//
// fontconfig alone would pick the same ones on a bare desktop, but where the
// URW fonts are installed (ImageMagick and Ghostscript bring them) it maps
// Courier to Nimbus Mono PS, whose 21-pixel ascent at 20 pixels pushes the
// digits of the 17-pixel paytable boxes below their bottom edge.
void installFontSubstitutes();

}  // namespace vornakka
