// The about box's machine picture: cabinet, reels, lettering, buttons.
#include "pictures.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace picgen {
namespace {

const QColor kCabinetBlue(30, 50, 210);
const QColor kCabinetSide(14, 22, 120);
const QColor kPanelBlue(50, 80, 235);
const QColor kOutlineRed(255, 30, 30);
const QColor kLetterYellow(255, 225, 0);
const QColor kReelWhite(255, 255, 255);
const QColor kSixRed(220, 0, 0);
const QColor kButtonRed(240, 20, 20);
const QColor kButtonGreen(0, 210, 60);
const QColor kLedgeBlue(70, 100, 240);
const QColor kOpeningDark(8, 6, 18);

// Small capitals, seven rows high; '#' is ink. Drawn slanted for italics.
struct Glyph {
  char letter;
  std::array<const char*, 7> rows;
};
const std::array<Glyph, 6> kGlyphs = {{
    {'V', {"#...#", "#...#", "#...#", ".#..#", ".#.#.", ".#.#.", "..#.."}},
    {'O', {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {'R', {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#"}},
    {'N', {"#..#", "##.#", "##.#", "#.##", "#.##", "#..#", "#..#"}},
    {'A', {".##.", "#..#", "#..#", "####", "#..#", "#..#", "#..#"}},
    {'K', {"#..#", "#.#.", "##..", "##..", "#.#.", "#..#", "#..#"}},
}};
constexpr int kGlyphRows = 7;

const Glyph& glyphFor(char c) {
  for (const Glyph& g : kGlyphs) {
    if (g.letter == c) {
      return g;
    }
  }
  return kGlyphs[0];
}

int glyphWidth(const Glyph& g) { return static_cast<int>(std::strlen(g.rows[0])); }

// Italics: the upper rows lean one pixel to the right.
int slant(int row) { return row < 3 ? 1 : 0; }

int textWidth(const char* text) {
  int w = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    w += glyphWidth(glyphFor(*c)) + 1;
  }
  return w - 1 + slant(0);
}

void drawText(QImage& img, int x, int y, const char* text, const QColor& colour) {
  for (const char* c = text; *c != '\0'; ++c) {
    const Glyph& g = glyphFor(*c);
    for (int row = 0; row < kGlyphRows; ++row) {
      for (int col = 0; g.rows[static_cast<std::size_t>(row)][col] != '\0'; ++col) {
        if (g.rows[static_cast<std::size_t>(row)][col] == '#') {
          img.setPixelColor(x + col + slant(row), y + row, colour);
        }
      }
    }
    x += glyphWidth(g) + 1;
  }
}

// The "6" on each reel, 8 x 11, a bold figure.
constexpr std::array<const char*, 11> kSix = {
    "..####..", ".##..##.", "##......", "##......", "##.###..", "###..##.",
    "##....##", "##....##", "##....##", ".##..##.", "..####..",
};

void drawSix(QImage& img, int x, int y) {
  for (int row = 0; row < 11; ++row) {
    for (int col = 0; col < 8; ++col) {
      if (kSix[static_cast<std::size_t>(row)][col] == '#') {
        img.setPixelColor(x + col, y + row, kSixRed);
      }
    }
  }
}

// A filled rectangle with a one-pixel outline, in whole pixels.
void box(QPainter& p, int x, int y, int w, int h, const QColor& fill, const QColor& outline) {
  p.fillRect(x, y, w, h, outline);
  p.fillRect(x + 1, y + 1, w - 2, h - 2, fill);
}

void polygon(QPainter& p, const QPolygon& poly, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPolygon(poly);
}

}  // namespace

QImage drawMachine() {
  QImage img(78, 143, QImage::Format_RGB888);
  img.fill(kMachineBackground);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The front spans x 6..62 (outline included) and the right side
    // x 62..71, drawn obliquely: its edges rise three pixels over its width.
    // The top panel slopes back, so the front's outline runs in from the
    // shoulder at y 31 to the cabinet's top edge at y 8.
    constexpr int kTop = 8;
    constexpr int kShoulder = 31;
    constexpr int kBottom = 136;
    auto panelLeft = [](int y) { return 6 + (8 * (kShoulder - y) + 11) / 23; };

    // Right side: outline, then the darker face.
    polygon(p, QPolygon({{62, kTop}, {71, kTop - 3}, {71, kBottom - 3}, {62, kBottom}}), kOutlineRed);
    polygon(p, QPolygon({{63, kTop + 1}, {70, kTop - 2}, {70, kBottom - 4}, {63, kBottom - 1}}),
            kCabinetSide);
    // Front: the panel row by row, then the body below the shoulder.
    p.fillRect(panelLeft(kTop), kTop, 63 - panelLeft(kTop), 1, kOutlineRed);
    for (int y = kTop + 1; y < kShoulder; ++y) {
      const int left = panelLeft(y);
      p.fillRect(left, y, 1, 1, kOutlineRed);
      p.fillRect(left + 1, y, 61 - left, 1, kPanelBlue);
      p.fillRect(62, y, 1, 1, kOutlineRed);
    }
    box(p, 6, kShoulder, 57, kBottom - kShoulder, kCabinetBlue, kOutlineRed);

    // Name on the panel, centred over the front.
    const char* name = "VORNAKKA";
    drawText(img, 8 + (54 - textWidth(name)) / 2, 17, name, kLetterYellow);

    // Reel windows: white with a red outline, each showing a 6.
    for (int i = 0; i < 3; ++i) {
      const int x = 11 + i * 17;
      box(p, x, 38, 14, 21, kReelWhite, kOutlineRed);
      drawSix(img, x + 3, 43);
    }
    // The reel surround.
    p.fillRect(9, 36, 51, 1, kOutlineRed);
    p.fillRect(9, 61, 51, 1, kOutlineRed);

    // The ledge under the reels: a lighter shelf, outlined, with its buttons;
    // its edges carry on along the side.
    box(p, 6, 66, 57, 12, kLedgeBlue, kOutlineRed);
    p.setPen(kOutlineRed);
    p.drawLine(63, 65, 70, 63);
    p.drawLine(63, 76, 70, 74);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
      box(p, 12 + i * 10, 70, 7, 4, kButtonRed, QColor(120, 0, 0));
    }
    box(p, 46, 69, 11, 6, kButtonGreen, QColor(0, 90, 20));

    // The payout opening in the lower front.
    box(p, 14, 96, 41, 24, kOpeningDark, kOutlineRed);
    p.fillRect(15, 97, 39, 3, QColor(0, 0, 0));

    // Base plinth, also carried along the side.
    p.fillRect(7, 128, 55, 1, kOutlineRed);
    p.setPen(kOutlineRed);
    p.drawLine(63, 127, 70, 125);
    p.setPen(Qt::NoPen);
  }
  return img;
}

}  // namespace picgen
