#include "common/fonts.h"

namespace vornakka {

QFont makeFont(const FontDesc& desc) {
    QFont font(QString::fromLatin1(desc.family));
    font.setPixelSize(desc.pixels);
    font.setBold(desc.bold);
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    return font;
}

void installFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

}  // namespace vornakka
