#include "common/screen_reader.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>
#include <limits>
#include <utility>

namespace vornakka {

namespace {

const char* const kHidden = "vornakkaHiddenFromScreenReader";
const char* const kText = "vornakkaSpokenAsText";
// A reader that never asks for the receipt (one that leaves value changes of
// objects without the focus alone) gets the next window this much later.
// Orca asks within two seconds on a busy machine; the margin is for a
// machine far busier.
constexpr int kUnansweredMs = 10000;

std::optional<bool> checkedOf(const ButtonSpeech& speech) {
    return speech.checked ? speech.checked() : std::nullopt;
}

class SpokenButton : public QAccessibleWidget {
public:
    explicit SpokenButton(SpeakingButton* button)
        : QAccessibleWidget(button, button->speech()->checked ? QAccessible::CheckBox : QAccessible::Button) {}

    SpeakingButton* button() const { return static_cast<SpeakingButton*>(widget()); }
    const ButtonSpeech& speech() const { return *button()->speech(); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString name = button()->accessibleName();
            if (!name.isEmpty()) return name;
            QString caption = button()->text();
            caption.remove(QLatin1Char('&'));
            return caption;
        }
        if (t == QAccessible::Description && speech().description) return speech().description();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (const std::optional<bool> on = checkedOf(speech())) {
            s.checkable = true;
            s.checked = *on;
        } else {
            s.pressed = button()->isDown();
        }
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{speech().checked ? toggleAction() : pressAction()} +
               QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            button()->animateClick();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

// A control that screen readers pass over: not showing, no name.
class Hidden : public QAccessibleWidget {
public:
    explicit Hidden(QWidget* control) : QAccessibleWidget(control, QAccessible::StaticText) {}
    QString text(QAccessible::Text) const override { return QString(); }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.offscreen = true;
        return s;
    }
};

class Notice : public QAccessibleWidget {
public:
    explicit Notice(QWidget* announcer) : QAccessibleWidget(announcer, QAccessible::Notification) {}
};

// The receipt's value, as the reader asks for it; the asking is the receipt.
class Receipt : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit Receipt(SpeechReceipt* receipt) : QAccessibleWidget(receipt, QAccessible::Notification) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text) const override { return QString(); }
    // Not a control: it stays enabled in a window disabled while the next
    // one comes (Orca 43 passes over events of an object with no state).
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.disabled = false;
        return s;
    }

    QVariant currentValue() const override { return static_cast<SpeechReceipt*>(widget())->asked(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return std::numeric_limits<int>::max(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(Announcer::staticMetaObject.className())) return new Notice(widget);
    if (className == QLatin1String(SpeechReceipt::staticMetaObject.className())) {
        return new Receipt(static_cast<SpeechReceipt*>(widget));
    }
    if (className == QLatin1String(SpeakingButton::staticMetaObject.className())) {
        auto* button = static_cast<SpeakingButton*>(widget);
        return button->speech() != nullptr ? new SpokenButton(button) : nullptr;
    }
    if (object->property(kHidden).toBool()) return new Hidden(widget);
    if (object->property(kText).toBool()) return new QAccessibleWidget(widget, QAccessible::StaticText);
    return nullptr;
}

// Disabling a window disables each control in it, and the screen reader
// hears of every one: the machine window's seventy labels cost a reader like
// Orca several seconds, during which the result of the cash-out that
// disabled the window waits. Whether a control that takes no focus can be
// used is nothing a reader says, so those events stay here; every other
// event goes on to the desktop's accessibility bus as before.
QAccessible::UpdateHandler nextHandler = nullptr;

bool onlyEnabledChanged(QAccessibleEvent* event) {
    if (event->type() != QAccessible::StateChanged || !event->object()->isWidgetType()) return false;
    const auto* widget = static_cast<QWidget*>(event->object());
    if (widget->isWindow() || widget->focusPolicy() != Qt::NoFocus) return false;
    QAccessible::State enabledOnly;
    enabledOnly.disabled = true;
    return static_cast<QAccessibleStateChangeEvent*>(event)->changedStates() == enabledOnly;
}

void passOn(QAccessibleEvent* event) {
    if (event->object() != nullptr && onlyEnabledChanged(event)) return;
    if (nextHandler != nullptr) {
        nextHandler(event);
        return;
    }
    // No handler before this one: the event goes to the platform, which is
    // where updateAccessibility sends it while no handler is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(passOn);
}

void installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        nextHandler = QAccessible::installUpdateHandler(passOn);
        return true;
    }();
    (void)installed;
}

// Drops an interface made before the control's speech was set, so that the
// next question builds it anew through the factory.
void forget(QWidget* control) {
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
    }
}

// An object only a screen reader meets: no size, no mouse, no focus, never
// shown on screen.
void keepHidden(QWidget* object, const QString& name) {
    installFactory();
    object->setObjectName(name);
    object->setAttribute(Qt::WA_TransparentForMouseEvents);
    object->setFocusPolicy(Qt::NoFocus);
    object->setGeometry(0, 0, 0, 0);
    object->hide();
}

}  // namespace

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
    keepHidden(this, QStringLiteral("Announcer"));
}

void Announcer::say(const QString& text) {
    if (text.isEmpty()) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // The object stays hidden and keeps its name; the announcement carries
    // the text, so no change of name is there for a reader to say twice.
    if (!QAccessible::isActive()) return;
    QAccessibleAnnouncementEvent event(this, text);
    QAccessible::updateAccessibility(&event);
#else
    // Hidden and shown again: the showing is what the reader hears, even when
    // the text is the same as last time.
    hide();
    setAccessibleName(text);
    show();
#endif
}

SpeechReceipt::SpeechReceipt(QWidget* window) : QWidget(window) {
    keepHidden(this, QStringLiteral("SpeechReceipt"));
    // A reader that never asks for values does not keep the next window away.
    unanswered_.setSingleShot(true);
    unanswered_.setInterval(kUnansweredMs);
    connect(&unanswered_, &QTimer::timeout, this, [this] { release(value_); });
}

void SpeechReceipt::await(std::function<void()> next) {
    waiting_.push_back(Waiting{0, std::move(next)});
    // The change must reach the reader behind what was said, and the speech
    // may still hold its words for the event loop's next turn: the change is
    // posted behind everything already posted.
    QMetaObject::invokeMethod(
        this,
        [this] {
            ++value_;
            for (Waiting& w : waiting_) {
                if (w.value == 0) w.value = value_;
            }
            QAccessibleValueChangeEvent event(this, value_);
            QAccessible::updateAccessibility(&event);
            unanswered_.start();
        },
        Qt::QueuedConnection);
}

int SpeechReceipt::asked() {
    // The reader is inside its handling of the change; what waited for it
    // comes once the answer has gone back.
    QTimer::singleShot(0, this, [this] { release(value_); });
    return value_;
}

void SpeechReceipt::release(int upTo) {
    std::vector<std::function<void()>> ready;
    std::erase_if(waiting_, [&](Waiting& w) {
        if (w.value == 0 || w.value > upTo) return false;
        ready.push_back(std::move(w.next));
        return true;
    });
    if (waiting_.empty()) unanswered_.stop();
    for (auto& next : ready) next();
}

void SpeakingButton::setSpeech(ButtonSpeech speech) {
    installFactory();
    speech_ = std::move(speech);
    forget(this);
}

void afterSaying(QWidget* window, std::function<void()> next) {
    if (!QAccessible::isActive()) {
        next();
        return;
    }
    auto* receipt = window->findChild<SpeechReceipt*>(QString(), Qt::FindDirectChildrenOnly);
    if (receipt == nullptr) receipt = new SpeechReceipt(window);
    receipt->await(std::move(next));
}

void checkedChanged(QPushButton* button) {
    if (!QAccessible::isActive()) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(button, changed);
    QAccessible::updateAccessibility(&event);
}

void hideFromScreenReader(QWidget* control) {
    installFactory();
    control->setProperty(kHidden, true);
    forget(control);
}

void speakAsText(QWidget* control) {
    installFactory();
    control->setProperty(kText, true);
}

}  // namespace vornakka
