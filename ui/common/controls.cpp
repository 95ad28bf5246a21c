#include "common/controls.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

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

// ------------------------------------------------------------ screen readers

void setSpokenName(QWidget* control, const QString& name) {
    if (control->accessibleName() == name) return;
    control->setAccessibleName(name);
}

}  // namespace vornakka
