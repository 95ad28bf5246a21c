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

#include "pictures.h"

namespace {

using namespace picgen;

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
