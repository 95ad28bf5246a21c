#include "common/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "common/colours.h"

namespace vornakka {

FormWindow::FormWindow(const char* name, Qt::WindowFlags flags, const QString& title, const QSize& clientSize,
                       Colour background, const FontDesc& defaultFont)
    : QWidget(nullptr, flags) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    resize(clientSize);
    setFont(makeFont(defaultFont));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(background));
    setPalette(pal);
    setAutoFillBackground(true);
}

void FormWindow::keepLookWhenDisabled() {
    QPalette pal = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        pal.setColor(QPalette::Disabled, r, pal.color(QPalette::Active, r));
    }
    setPalette(pal);
}

QPushButton* FormWindow::addButton(const char* name, const QRect& box, const QString& caption,
                                   const FontDesc& font, std::optional<Colour> captionColour) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(box);
    button->setFont(makeFont(font));
    button->setAutoDefault(true);
    if (captionColour) {
        QPalette pal = button->palette();
        pal.setColor(QPalette::ButtonText, toQColor(*captionColour));
        button->setPalette(pal);
    }
    return button;
}

void FormWindow::showWindow() {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(0, 0), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
}

void FormWindow::setWindowEnabled(bool enabled) {
    if (enabled == isEnabled()) return;
    if (!enabled) {
        focusBeforeDisabled_ = focusWidget();
        setEnabled(false);
        return;
    }
    setEnabled(true);
    if (focusBeforeDisabled_ && focusBeforeDisabled_->window() == this) {
        focusBeforeDisabled_->setFocus(Qt::OtherFocusReason);
    }
    focusBeforeDisabled_ = nullptr;
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            if (cancelButton_) {
                cancelButton_->click();
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (defaultButton_) {
                defaultButton_->click();
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void FormWindow::closeRequested(QCloseEvent* event) { event->accept(); }

void FormWindow::closeEvent(QCloseEvent* event) { closeRequested(event); }

}  // namespace vornakka
