#include "common/form_window.h"

#include <QCloseEvent>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "common/colours.h"
#include "common/screen_reader.h"

namespace vornakka {

namespace {

// The frame of the window that was placed last: the best guess for the next
// window's first showing, so that it rarely has to move once it is up.
QMargins lastFrame;

constexpr int kFramePollMs = 10;
constexpr int kFrameWaitMs = 2000;

}  // namespace

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

    frameTimer_.setInterval(kFramePollMs);
    connect(&frameTimer_, &QTimer::timeout, this, &FormWindow::checkFrame);
}

void FormWindow::setOuterSize(const QSize& outer, const QSize& minClient) {
    outerSize_ = outer;
    minClient_ = minClient;
}

QMargins FormWindow::frameMargins() const {
    const QWindow* window = windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
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
    auto* button = new SpeakingButton(caption, this);
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
    prepareNativeWindow();
    const bool first = !placed_;
    if (first) {
        placed_ = true;
        // Before the first window is shown no frame is known; on X11 the
        // window manager can say what it will be.
        if (lastFrame.isNull()) {
            if (const auto frame = x11::requestFrameExtents(*windowHandle())) lastFrame = *frame;
        }
        setGeometry(centredClientRect(lastFrame));
    }
    show();
    keepX11Hints();
    raise();
    // On Wayland the compositor gives a new window the focus by itself when
    // it will; asking for it costs an activation token (and a request to the
    // compositor) every time a window is shown.
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) activateWindow();
    if (first) {
        frameWait_.start();
        frameTimer_.start();
    }
}

void FormWindow::prepareNativeWindow() {
    winId();
    if (owner_ != nullptr) {
        owner_->winId();
        windowHandle()->setTransientParent(owner_->windowHandle());
    }
    if (x11::onX11()) {
        x11::writeMotifHints(*windowHandle(), motifHints());
    }
}

void FormWindow::keepX11Hints() {
    if (!x11::onX11()) return;
    QWindow& window = *windowHandle();
    // Qt deletes WM_TRANSIENT_FOR of an ordinary window on every showing.
    if (owner_ != nullptr) x11::writeTransientFor(window, *owner_->windowHandle());
    const x11::MotifHints wanted = motifHints();
    if (x11::readMotifHints(window) != wanted) x11::writeMotifHints(window, wanted);
}

x11::MotifHints FormWindow::motifHints() const {
    return x11::motifHintsFor(windowFlags(), minimumSize() == maximumSize());
}

QRect FormWindow::centredClientRect(const QMargins& frame) const {
    QSize client = size();
    if (outerSize_) {
        client = QSize(std::max(minClient_.width(), outerSize_->width() - frame.left() - frame.right()),
                       std::max(minClient_.height(), outerSize_->height() - frame.top() - frame.bottom()));
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return QRect(pos(), client);
    const QRect area = screen->availableGeometry();
    const QSize whole = client.grownBy(frame);
    const QPoint corner(area.x() + (area.width() - whole.width()) / 2,
                        area.y() + (area.height() - whole.height()) / 2);
    return QRect(corner + QPoint(frame.left(), frame.top()), client);
}

// Polled after the first showing until the window system has framed the
// window (or has had plenty of time to): then the whole window is centred
// and, where it has a designed outer size, sized.
void FormWindow::checkFrame() {
    const QWindow* window = windowHandle();
    if (!isVisible() || window == nullptr || frameWait_.elapsed() > kFrameWaitMs) {
        frameTimer_.stop();
        return;
    }
    if (!window->isExposed()) return;
    const QMargins frame = window->frameMargins();
    if (frame.isNull()) return;
    frameTimer_.stop();
    lastFrame = frame;
    const QRect wanted = centredClientRect(frame);
    if (wanted != geometry()) setGeometry(wanted);
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

std::vector<FormWindow*> visibleFormsOwnersFirst() {
    std::vector<std::pair<int, FormWindow*>> ranked;  // owners above it, window
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<FormWindow*>(window);
        if (form == nullptr || !form->isVisible()) continue;
        int depth = 0;
        for (const FormWindow* owner = form->owner(); owner != nullptr; owner = owner->owner()) ++depth;
        ranked.emplace_back(depth, form);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<FormWindow*> forms;
    for (const auto& [depth, form] : ranked) forms.push_back(form);
    return forms;
}

}  // namespace vornakka
