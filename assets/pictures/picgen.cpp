// Draws the game's pictures: the window icon (32 x 32, sixteen colours), a
// large rendition of the same icon for the desktop's icon theme, and the
// machine picture of the about box (78 x 143, 24-bit, flat colours).
//
// Everything is drawn from fixed shapes, without fonts, so the output is the
// same on every machine.
//
//   vornakka_picgen OUTDIR              write icon.png, icon-256.png, machine.png
//   vornakka_picgen --compare A B       compare the pictures of two folders pixel
//                                       by pixel and check the committed set A
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

namespace {

// The sixteen colours of the classic VGA / Windows palette.
constexpr std::array<QRgb, 16> kVgaPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
    0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
    0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};
const QColor kVgaBlack(0, 0, 0);
const QColor kVgaNavy(0, 0, 128);
const QColor kVgaBlue(0, 0, 255);
const QColor kVgaRed(255, 0, 0);
const QColor kVgaWhite(255, 255, 255);

// ---------------------------------------------------------------- the icon
//
// The icon is laid out on a 32 x 32 grid; a pixel (i, j) covers the square
// [i, i+1] x [j, j+1]. The small icon is painted at scale 1 without
// antialiasing, so every shape lands on whole pixels; the large one is the
// same layout scaled up, antialiased and shaded.
//
// The cabinet is seen slightly from its right: the front is a rectangle and
// the right side a trapezoid that narrows away from the viewer.

const QRectF kFront(5, 4, 17, 26);   // outline included
const QPolygonF kSide({{22, 4}, {27, 6.5}, {27, 27.5}, {22, 30}});
const QRectF kFrontInside(6, 5, 15, 24);
const QPolygonF kSideInside({{22, 5.4}, {26, 7.4}, {26, 26.6}, {22, 28.6}});
const QRectF kWindow(7, 8, 13, 10);
const std::array<QRectF, 3> kReelBars = {QRectF(8, 9, 3, 8), QRectF(12, 9, 3, 8),
                                         QRectF(16, 9, 3, 8)};
const QRectF kSlot(9, 22, 9, 3);

void paintIconFlat(QPainter& p) {
  p.fillRect(QRectF(0, 0, 32, 32), kVgaBlack);
  p.setPen(Qt::NoPen);
  p.setBrush(kVgaRed);
  p.drawRect(kFront);
  p.drawPolygon(kSide);
  p.fillRect(kFrontInside, kVgaBlue);
  p.setBrush(kVgaNavy);
  p.drawPolygon(kSideInside);
  p.fillRect(kWindow, kVgaBlack);
  for (const QRectF& bar : kReelBars) {
    p.fillRect(bar, kVgaWhite);
  }
  p.fillRect(kSlot, kVgaBlack);
}

// The large rendition: the same shapes with shading, a glint on the reels and
// soft corners, still on black.
void paintIconRich(QPainter& p) {
  p.fillRect(QRectF(0, 0, 32, 32), kVgaBlack);
  p.setPen(Qt::NoPen);

  p.setBrush(QColor(230, 20, 20));
  p.drawRoundedRect(kFront, 0.6, 0.6);
  p.drawPolygon(kSide);

  QLinearGradient front(kFrontInside.topLeft(), kFrontInside.topRight());
  front.setColorAt(0.0, QColor(60, 90, 255));
  front.setColorAt(1.0, QColor(10, 30, 210));
  p.setBrush(front);
  p.drawRoundedRect(kFrontInside, 0.3, 0.3);

  QLinearGradient side(QPointF(22, 0), QPointF(26, 0));
  side.setColorAt(0.0, QColor(10, 20, 150));
  side.setColorAt(1.0, QColor(0, 5, 90));
  p.setBrush(side);
  p.drawPolygon(kSideInside);

  p.setBrush(QColor(8, 8, 16));
  p.drawRoundedRect(kWindow, 0.4, 0.4);
  for (const QRectF& bar : kReelBars) {
    // A reel is a drum: darker at the top and bottom where it turns away.
    QLinearGradient drum(bar.topLeft(), bar.bottomLeft());
    drum.setColorAt(0.0, QColor(150, 150, 160));
    drum.setColorAt(0.3, QColor(255, 255, 255));
    drum.setColorAt(0.7, QColor(255, 255, 255));
    drum.setColorAt(1.0, QColor(150, 150, 160));
    p.setBrush(drum);
    p.drawRect(bar);
  }
  // The win line across the reels.
  p.setBrush(QColor(230, 20, 20, 200));
  p.drawRect(QRectF(kWindow.left() + 0.3, kWindow.center().y() - 0.12, kWindow.width() - 0.6, 0.24));

  QLinearGradient slot(kSlot.topLeft(), kSlot.bottomLeft());
  slot.setColorAt(0.0, QColor(0, 0, 0));
  slot.setColorAt(1.0, QColor(30, 30, 50));
  p.setBrush(slot);
  p.drawRoundedRect(kSlot, 0.4, 0.4);

  // A faint highlight along the front's left edge.
  p.setBrush(QColor(255, 255, 255, 50));
  p.drawRect(QRectF(kFrontInside.left() + 0.2, kFrontInside.top() + 0.4, 0.35, kFrontInside.height() - 0.8));
}

QImage drawIcon() {
  QImage rgb(32, 32, QImage::Format_RGB32);
  {
    QPainter p(&rgb);
    p.setRenderHint(QPainter::Antialiasing, false);
    paintIconFlat(p);
  }
  QList<QRgb> table(kVgaPalette.begin(), kVgaPalette.end());
  return rgb.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
}

QImage drawLargeIcon(int size) {
  QImage img(size, size, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / 32.0, size / 32.0);
  paintIconRich(p);
  return img;
}

// ----------------------------------------------------- the machine picture

const QColor kMachineBackground(26, 12, 8);
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

// ------------------------------------------------------------ output, checks

struct Picture {
  const char* file;
  QImage (*draw)();
};

QImage drawLargeIcon256() { return drawLargeIcon(256); }

const std::array<Picture, 3> kPictures = {{
    {"icon.png", drawIcon},
    {"icon-256.png", drawLargeIcon256},
    {"machine.png", drawMachine},
}};

int writeAll(const QString& dir) {
  for (const Picture& pic : kPictures) {
    const QString path = dir + "/" + pic.file;
    if (!pic.draw().save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}

bool fail(const QString& what) {
  std::fprintf(stderr, "%s\n", qPrintable(what));
  return false;
}

// The properties the game relies on, checked on the committed files.
bool checkProperties(const QString& dir) {
  bool ok = true;
  const QImage icon(dir + "/icon.png");
  if (icon.size() != QSize(32, 32)) {
    ok = fail("icon.png is not 32 x 32");
  }
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      const QRgb c = icon.pixel(x, y);
      if (std::find(kVgaPalette.begin(), kVgaPalette.end(), c) == kVgaPalette.end()) {
        return fail(QString("icon.png pixel %1,%2 is #%3, not one of the sixteen colours (or not opaque)")
                        .arg(x)
                        .arg(y)
                        .arg(c, 8, 16, QChar('0')));
      }
    }
  }
  const QImage large(dir + "/icon-256.png");
  if (large.size() != QSize(256, 256) || large.hasAlphaChannel()) {
    ok = fail("icon-256.png is not an opaque 256 x 256 picture");
  }
  const QImage machine(dir + "/machine.png");
  if (machine.size() != QSize(78, 143) || machine.hasAlphaChannel() || machine.depth() < 24) {
    ok = fail("machine.png is not an opaque 24-bit 78 x 143 picture");
  }
  for (QPoint corner : {QPoint(0, 0), QPoint(77, 0), QPoint(0, 142), QPoint(77, 142)}) {
    if (machine.pixelColor(corner) != kMachineBackground) {
      ok = fail("machine.png background is not red 26, green 12, blue 8");
    }
  }
  return ok;
}

bool samePixels(const QString& a, const QString& b) {
  QImage ia(a);
  QImage ib(b);
  if (ia.isNull() || ib.isNull()) {
    return fail("cannot read " + (ia.isNull() ? a : b));
  }
  if (ia.size() != ib.size()) {
    return fail(a + " and " + b + " differ in size");
  }
  ia = ia.convertToFormat(QImage::Format_ARGB32);
  ib = ib.convertToFormat(QImage::Format_ARGB32);
  int differing = 0;
  for (int y = 0; y < ia.height(); ++y) {
    for (int x = 0; x < ia.width(); ++x) {
      if (ia.pixel(x, y) != ib.pixel(x, y)) {
        ++differing;
      }
    }
  }
  if (differing != 0) {
    return fail(QString("%1 and %2 differ in %3 pixels").arg(a, b).arg(differing));
  }
  return true;
}

int compare(const QString& committed, const QString& fresh) {
  bool ok = checkProperties(committed);
  for (const Picture& pic : kPictures) {
    ok = samePixels(committed + "/" + pic.file, fresh + "/" + pic.file) && ok;
  }
  if (ok) {
    std::printf("the committed pictures are what this program draws\n");
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--compare") != 0) {
    return writeAll(QString::fromLocal8Bit(argv[1]));
  }
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) {
    return compare(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  }
  std::fprintf(stderr, "usage: %s OUTDIR | --compare COMMITTED_DIR FRESH_DIR\n", argv[0]);
  return 2;
}
