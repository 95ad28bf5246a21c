#include "Vorna/faces_and_lamps.h"

#include <QPainter>
#include <QPainterPath>

#include "common/screen_reader.h"
#include "vornakka/strips.h"

namespace vornakka {

// ------------------------------------------------------------------- faces

namespace {

// The face glyphs of the symbol font the game was drawn with, as fractions of
// the em height: the character cell reaches 0.9 em above the baseline and
// 0.21 em below it, and each face is a circle of 0.8 em standing on the
// baseline.
constexpr double kCellAscent = 0.90;
constexpr double kCellDescent = 0.21;
constexpr double kFaceDiameter = 0.80;
constexpr double kStroke = 0.075;  // the bold weight's outline

}  // namespace

QRectF FaceLabel::faceCircle() const {
    const double em = font().pixelSize();
    const double cell = (kCellAscent + kCellDescent) * em;
    double cellTop = 0.0;
    if (alignment() & Qt::AlignBottom) {
        cellTop = height() - cell;
    } else if (alignment() & Qt::AlignVCenter) {
        cellTop = (height() - cell) / 2.0;
    }
    const double baseline = cellTop + kCellAscent * em;
    const double d = kFaceDiameter * em;
    return QRectF((width() - d) / 2.0, baseline - d, d, d);
}

void FaceLabel::paintEvent(QPaintEvent*) {
    const QString letter = text();
    if (letter.size() != 1) return;
    const char face = letter.at(0).toLatin1();
    if (face != kSmile && face != kNeutral && face != kFrown) return;

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QRectF circle = faceCircle();
    const double r = circle.width() / 2.0;
    const QPointF c = circle.center();
    const double stroke = kStroke * font().pixelSize();

    QPen pen(ink, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2));

    // Eyes: two upright ovals above the middle.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QSizeF eye(0.20 * r, 0.30 * r);
    for (double side : {-1.0, 1.0}) {
        const QPointF at(c.x() + side * 0.36 * r, c.y() - 0.28 * r);
        p.drawEllipse(QRectF(at.x() - eye.width() / 2, at.y() - eye.height() / 2, eye.width(), eye.height()));
    }

    // Mouth.
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath mouth;
    const double half = 0.48 * r;
    if (face == kSmile) {
        mouth.moveTo(c.x() - half, c.y() + 0.22 * r);
        mouth.quadTo(c.x(), c.y() + 0.80 * r, c.x() + half, c.y() + 0.22 * r);
    } else if (face == kFrown) {
        mouth.moveTo(c.x() - half, c.y() + 0.62 * r);
        mouth.quadTo(c.x(), c.y() + 0.10 * r, c.x() + half, c.y() + 0.62 * r);
    } else {
        mouth.moveTo(c.x() - half, c.y() + 0.42 * r);
        mouth.lineTo(c.x() + half, c.y() + 0.42 * r);
    }
    p.drawPath(mouth);
}

// ------------------------------------------------------------------- lamps

Lamp::Lamp(QWidget* parent, const char* name, const QRect& box, Colour fill) : QWidget(parent), fill_(fill) {
    speakAsText(this);
    setObjectName(QString::fromLatin1(name));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(box);
}

void Lamp::setFill(Colour fill) {
    if (fill == fill_) return;
    fill_ = fill;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, toQColor(fill_));
    // The raised bevel: light along the top and left, shadow along the
    // bottom and right, one pixel each.
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), light);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), light);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), shadow);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), shadow);
}

}  // namespace vornakka
