// The window icon and its large, shaded rendition for the icon theme.
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

}  // namespace

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

}  // namespace picgen
