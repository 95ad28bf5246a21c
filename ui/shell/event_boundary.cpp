#include "shell/event_boundary.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>
#include <exception>
#include <vector>

#include "common/form_window.h"
#include "vornakka/cp1252.h"

namespace vornakka {

namespace {

void enableWindow(QWidget* window, bool enabled) {
    if (auto* form = qobject_cast<FormWindow*>(window)) {
        form->setWindowEnabled(enabled);
    } else {
        window->setEnabled(enabled);
    }
}

}  // namespace

QString EventBoundary::boxText(const std::string& message) {
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
        text += '.';
    }
    return QString::fromStdString(cp1252ToUtf8(text));
}

bool EventBoundary::run(const std::function<void()>& handler) {
    if (boxUp_) return false;
    try {
        handler();
        return true;
    } catch (const std::exception& failure) {
        showFailure(failure.what());
    }
    return false;
}

void EventBoundary::showFailure(const std::string& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vornakka"), boxText(message), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("FailureBox"));
    // The high-score window and the about box stay on top; the box must not
    // end up behind them.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // Staying on top means nothing on Wayland: there the box belongs to the
    // window in front, so that a click elsewhere in the game never hides it.
    if (const std::vector<FormWindow*> forms = visibleFormsOwnersFirst();
        !forms.empty() && forms.back()->windowHandle() != nullptr) {
        box.winId();
        box.windowHandle()->setTransientParent(forms.back()->windowHandle());
    }

    std::vector<QPointer<QWidget>> disabled;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &box && window->isVisible() && window->isEnabled()) {
            enableWindow(window, false);
            disabled.emplace_back(window);
        }
    }
    boxUp_ = true;
    box.exec();
    boxUp_ = false;
    for (const QPointer<QWidget>& window : disabled) {
        if (window) enableWindow(window, true);
    }
}

}  // namespace vornakka
