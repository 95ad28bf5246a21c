#include "common/controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace vornakka {

namespace {

int anchorOf(const QRect& box, Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) return box.left() * 2 + box.width();
    if (alignment & Qt::AlignRight) return box.left() + box.width();
    return box.left();
}

}  // namespace

Label::Label(QWidget* parent, const char* name, const QRect& box, const QString& caption,
             const LabelStyle& style)
    : QLabel(parent), style_(style), anchorX_(anchorOf(box, style.alignment)) {
    setObjectName(QString::fromLatin1(name));
    setTextFormat(Qt::PlainText);  // names from the list file are text, never markup
    setWordWrap(false);
    setFont(makeFont(style.font));
    Qt::Alignment alignment = style.alignment;
    if (!(alignment & Qt::AlignVertical_Mask)) alignment |= Qt::AlignTop;
    setAlignment(alignment);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, toQColor(style.text));
    if (style.fill) pal.setColor(QPalette::Window, toQColor(*style.fill));
    setPalette(pal);
    setAutoFillBackground(style.fill.has_value());
    setGeometry(box);
    setText(caption);
    if (style_.autoSize) fitToText();
}

void Label::setCaption(const QString& caption) {
    if (caption == text()) return;
    setText(caption);
    if (style_.autoSize) fitToText();
}

void Label::setTextColour(Colour colour) {
    if (colour == style_.text) return;
    style_.text = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, toQColor(colour));
    setPalette(pal);
}

void Label::fitToText() {
    if (style_.maxWidth > 0) {
        QFont f = makeFont(style_.font);
        while (f.pixelSize() > 1 && QFontMetrics(f).horizontalAdvance(text()) > style_.maxWidth) {
            f.setPixelSize(f.pixelSize() - 1);
        }
        if (f != font()) setFont(f);
    }
    const QSize size = sizeHint();
    int left = anchorX_;
    if (style_.alignment & Qt::AlignHCenter) {
        left = (anchorX_ - size.width() + 1) / 2;
    } else if (style_.alignment & Qt::AlignRight) {
        left = anchorX_ - size.width();
    }
    setGeometry(left, y(), size.width(), size.height());
}

void Label::keepLooks() {
    // Only an opaque label can be drawn ahead: its picture is its whole box.
    keepLooks_ = style_.fill.has_value() && !style_.autoSize;
    looks_.clear();
}

Label::Look Label::shown() const {
    return Look{text(), palette().color(QPalette::WindowText).rgba(), palette().color(QPalette::Window).rgba(), {}};
}

const QPixmap* Label::look() const {
    const Look now = shown();
    for (const Look& l : looks_) {
        if (l.text == now.text && l.fill == now.fill && l.caption == now.caption) return &l.picture;
    }
    return nullptr;
}

void Label::keepLook() {
    lookQueued_ = false;
    if (!keepLooks_ || look()) return;
    // A reel shows six symbols, each in its own colour; a stray caption
    // beyond that must not make the list grow without end.
    constexpr std::size_t kMostLooks = 32;
    if (looks_.size() == kMostLooks) looks_.erase(looks_.begin());
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(size() * ratio);
    picture.setDevicePixelRatio(ratio);
    drawingLook_ = true;
    render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    drawingLook_ = false;
    Look kept = shown();
    kept.picture = std::move(picture);
    looks_.push_back(std::move(kept));
}

void Label::paintEvent(QPaintEvent* event) {
    if (keepLooks_ && !drawingLook_) {
        if (const QPixmap* picture = look()) {
            QPainter(this).drawPixmap(0, 0, *picture);
            return;
        }
        // Drawn the long way this once. The picture is made after this paint
        // has ended: rendering inside another widget's render (a grab of the
        // window) would draw through that one's painter.
        if (!lookQueued_) {
            lookQueued_ = true;
            QMetaObject::invokeMethod(this, &Label::keepLook, Qt::QueuedConnection);
        }
    }
    QLabel::paintEvent(event);
}

void Label::changeEvent(QEvent* event) {
    // A new font or style changes every look (colours are part of the key).
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) looks_.clear();
    QLabel::changeEvent(event);
}

void Label::resizeEvent(QResizeEvent* event) {
    looks_.clear();
    QLabel::resizeEvent(event);
}

void Label::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
    } else {
        QLabel::mousePressEvent(event);
    }
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit clicked();
    } else {
        QLabel::mouseReleaseEvent(event);
    }
}

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
    const QChar face = letter.at(0);
    if (face != u'J' && face != u'K' && face != u'L') return;

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
    if (face == u'J') {
        mouth.moveTo(c.x() - half, c.y() + 0.22 * r);
        mouth.quadTo(c.x(), c.y() + 0.80 * r, c.x() + half, c.y() + 0.22 * r);
    } else if (face == u'L') {
        mouth.moveTo(c.x() - half, c.y() + 0.62 * r);
        mouth.quadTo(c.x(), c.y() + 0.10 * r, c.x() + half, c.y() + 0.62 * r);
    } else {
        mouth.moveTo(c.x() - half, c.y() + 0.42 * r);
        mouth.lineTo(c.x() + half, c.y() + 0.42 * r);
    }
    p.drawPath(mouth);
}

// ------------------------------------------------------------------- lamps

namespace {

QAccessibleInterface* lampAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(Lamp::staticMetaObject.className()) && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    }
    return nullptr;
}

}  // namespace

Lamp::Lamp(QWidget* parent, const char* name, const QRect& box, Colour fill) : QWidget(parent), fill_(fill) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(lampAccessible);
        return true;
    }();
    (void)factoryInstalled;
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

// ------------------------------------------------------------ screen readers

void setSpokenName(QWidget* control, const QString& name) {
    if (control->accessibleName() == name) return;
    control->setAccessibleName(name);
}

}  // namespace vornakka
