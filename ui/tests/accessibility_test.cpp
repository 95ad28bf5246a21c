// What a screen reader hears from the machine window: the names of the reels,
// faces and hold lamps, and the events that tell it the message line, the
// counters, the reels and the faces changed, through a spin with a held reel
// and a double-up.
#include <QAccessible>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>
#include <optional>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "common/screen_reader.h"
#include "common/controls.h"
#include "support.h"
#include "vornakka/strips.h"

namespace vornakka::test {
namespace {

// How a result reaches the reader: Qt's announcement where Qt has it (6.8
// on), before that the notification object shown again.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
constexpr QAccessible::Event kAnnounced = QAccessible::Announcement;
#else
constexpr QAccessible::Event kAnnounced = QAccessible::ObjectShow;
#endif

struct Heard {
    QString control;  // object name
    QAccessible::Event type;
    QString name;  // the control's accessible name when the event came, or the text announced
};

// Turns accessibility on, as the desktop's accessibility bus does when a
// screen reader starts (Qt has no public call for it), and hears what Qt's
// bridge to that bus would be told.
void setAccessibilityActive(bool active) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(active);
}

class ScreenReader {
public:
    ScreenReader() {
        heard_ = &heard;
        previous_ = QAccessible::installUpdateHandler(&ScreenReader::hear);
        setAccessibilityActive(true);
    }
    ~ScreenReader() {
        setAccessibilityActive(false);
        QAccessible::installUpdateHandler(previous_);
        heard_ = nullptr;
    }
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // Name-changed events of one control, in order, as the names they brought.
    QStringList names(const QString& control) const {
        QStringList result;
        for (const Heard& h : heard) {
            if (h.control == control && h.type == QAccessible::NameChanged) result << h.name;
        }
        return result;
    }
    // Position of the last name-changed event of a control (-1: none).
    int last(const QString& control) const {
        for (int i = static_cast<int>(heard.size()) - 1; i >= 0; --i) {
            const Heard& h = heard[static_cast<std::size_t>(i)];
            if (h.control == control && h.type == QAccessible::NameChanged) return i;
        }
        return -1;
    }

    // What the announcer said, in order.
    QStringList said() const {
        QStringList result;
        for (const Heard& h : heard) {
            if (h.control == "Announcer" && h.type == kAnnounced) result << h.name;
        }
        return result;
    }

    std::vector<Heard> heard;

private:
    static void hear(QAccessibleEvent* event) {
        if (heard_ == nullptr || event->object() == nullptr) return;
        QAccessibleInterface* iface = event->accessibleInterface();
        QString name = iface != nullptr ? iface->text(QAccessible::Name) : QString();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (event->type() == QAccessible::Announcement) name = static_cast<QAccessibleAnnouncementEvent*>(event)->message();
#endif
        heard_->push_back(Heard{event->object()->objectName(), event->type(), name});
    }
    static inline std::vector<Heard>* heard_ = nullptr;
    QAccessible::UpdateHandler previous_ = nullptr;
};

QString spoken(QWidget& window, const char* name, QAccessible::Text what = QAccessible::Name) {
    QWidget* w = control(window, name);
    if (w == nullptr) return {};
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface != nullptr ? iface->text(what) : QString();
}

QString faceWord(char face) {
    return face == 'J' ? QStringLiteral("hymy") : face == 'K' ? QStringLiteral("neutraali") : QStringLiteral("suru");
}

bool losing(char a, char b, char c) { return firstMatchingRow(a, b, c) == 0; }
bool paysTwice(char a, char b, char c) {
    const int row = firstMatchingRow(a, b, c);
    return row == 6 || row == 7;
}

using AccessibilityTest = GameTest;

TEST_F(AccessibilityTest, NamesOfReelsFacesAndLampsAndTheEventsOfASpin) {
    start();
    TForm1& w = machineWindow();

    // At start-up: the designed letters, the faces smile, frown, smile, no
    // reel held; the counters say which counter they are.
    EXPECT_EQ(spoken(w, "Kirj1"), "rulla 1: A");
    EXPECT_EQ(spoken(w, "Kirj3"), "rulla 3: A");
    EXPECT_EQ(spoken(w, "Tupyla"), "hymy");
    EXPECT_EQ(spoken(w, "Tupkesk"), "suru");
    EXPECT_EQ(spoken(w, "Tupala"), "hymy");
    EXPECT_EQ(spoken(w, "Tupkesk", QAccessible::Description), QString::fromUtf8("keskimmäinen kasvo"));
    EXPECT_EQ(spoken(w, "Panel1"), "rulla 1 vapaa");
    EXPECT_EQ(spoken(w, "Panel2"), "rulla 2 vapaa");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(control(w, "Panel2"))->role(), QAccessible::StaticText);
    EXPECT_EQ(spoken(w, "Rahat"), "PELIT 50");
    EXPECT_EQ(spoken(w, "Rahat", QAccessible::Description), "PELIT");
    EXPECT_EQ(spoken(w, "JackPot", QAccessible::Description), "MORVAKKA");
    EXPECT_EQ(spoken(w, "Teksrutu"), QString::fromUtf8("Paras: Zadiz 120 mk"));

    std::optional<ScreenReader> listening(std::in_place);
    ScreenReader& reader = *listening;
    // A losing spin clears the line and ends with nothing to say.
    spinTo(losing);
    EXPECT_EQ(reader.names("Teksrutu"), QStringList{""});
    EXPECT_EQ(spoken(w, "Kirj1"), QStringLiteral("rulla 1: %1").arg(QChar(state().shownSymbol[0])));

    // A held reel: its lamp says so at once.
    reader.heard.clear();
    click(w, "Button4");
    EXPECT_EQ(reader.names("Panel2"), QStringList{"rulla 2 lukittu"});
    EXPECT_EQ(spoken(w, "Panel1"), "rulla 1 vapaa");

    // One whole spin to a win.
    reader.heard.clear();
    const Counters before = game->machine().counters();
    spinTo(paysTwice);
    // The bet goes from the credits into the jackpot, which gives it back
    // when the spin wins; the win is offered.
    EXPECT_EQ(reader.names("Teksrutu"), QStringList{"VOITIT 2 MK. TUPLAATKO?"});
    EXPECT_EQ(reader.names("Rahat"), QStringList{QStringLiteral("PELIT %1").arg(before.credits - 1)});
    EXPECT_EQ(reader.names("JackPot"), (QStringList{QStringLiteral("MORVAKKA %1").arg(before.jackpot + 1),
                                                    QStringLiteral("MORVAKKA %1").arg(before.jackpot)}));
    EXPECT_TRUE(reader.names("Pano").isEmpty());  // what did not change says nothing
    EXPECT_TRUE(reader.names("Kirj2").isEmpty());  // the held reel stands
    for (int reel : {1, 3}) {
        const QString name = QStringLiteral("Kirj%1").arg(reel);
        const QStringList names = reader.names(name);
        // Each move of the reel is heard, the stopped letter last.
        EXPECT_GE(names.size(), 25) << name.toStdString();
        const QString shown = QString(QChar(state().shownSymbol[static_cast<std::size_t>(reel - 1)]));
        EXPECT_EQ(names.value(names.size() - 1), QStringLiteral("rulla %1: %2").arg(reel).arg(shown));
        for (const QString& n : names) EXPECT_TRUE(n.startsWith(QStringLiteral("rulla %1: ").arg(reel))) << n.toStdString();
        for (int i = 1; i < names.size(); ++i) EXPECT_NE(names[i], names[i - 1]);
        // The win is announced after the reels have stopped.
        EXPECT_LT(reader.last(name), reader.last("Teksrutu"));
    }
    // The end of the spin puts the hold out.
    EXPECT_EQ(reader.names("Panel2"), QStringList{"rulla 2 vapaa"});
    // Besides the focus moving to the pressed button, the held reel's button
    // turning unchecked and the one announcement of the result, every change
    // was a change of name.
    pump(50);
    int announced = 0;
    for (const Heard& h : reader.heard) {
        if (h.type == QAccessible::Focus || (h.type == QAccessible::StateChanged && h.control == "Button4")) continue;
        if (h.control == "Announcer" && h.type == kAnnounced) {
            ++announced;
            continue;
        }
        if (h.control == "Announcer" && h.type == QAccessible::ObjectHide) continue;
        EXPECT_EQ(h.type, QAccessible::NameChanged) << h.control.toStdString();
    }
    EXPECT_EQ(announced, 1);

    // The double-up: the offer, the spinning faces, the doubled win.
    reader.heard.clear();
    random.reseed(seedForGamble(state(), kSmile));
    click(w, "Button9");
    EXPECT_EQ(reader.names("Teksrutu"), QStringList{"TUPLAUS 4MK DEPRESSIO/HYMY"});
    click(w, "Button7");
    ASSERT_TRUE(waitUntil([&] { return reader.names("Teksrutu").size() == 2; }));
    EXPECT_EQ(reader.names("Teksrutu").value(1), "VOITIT 4MK. TUPLAATKO?");
    const std::array<char, 3> after = game->machine().faces();
    const char* faces[] = {"Tupyla", "Tupkesk", "Tupala"};
    for (std::size_t i = 0; i < 3; ++i) {
        const QStringList names = reader.names(QString::fromLatin1(faces[i]));
        EXPECT_GE(names.size(), 10) << faces[i];
        for (const QString& n : names) {
            EXPECT_TRUE(n == "hymy" || n == "neutraali" || n == "suru") << n.toStdString();
        }
        EXPECT_EQ(names.value(names.size() - 1), faceWord(after[i]));
        EXPECT_EQ(spoken(w, faces[i]), faceWord(after[i]));
        EXPECT_LT(reader.last(QString::fromLatin1(faces[i])), reader.last("Teksrutu"));
    }
    EXPECT_EQ(spoken(w, "Tupkesk"), "hymy");

    // With no screen reader listening nothing is sent, however much changes.
    listening.reset();
    click(w, "Button6");  // collect
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        // Qt 6.8 hands its own focus and name changes to a handler even then; the game's own must not come.
        if (e->type() == QAccessible::Focus || e->type() == QAccessible::NameChanged) return;
#endif
        ADD_FAILURE() << "event " << e->type() << " for " << e->object()->objectName().toStdString();
    });
    spinTo(losing);
    QAccessible::installUpdateHandler(previous);
    EXPECT_EQ(spoken(w, "Kirj3"), QStringLiteral("rulla 3: %1").arg(QChar(state().shownSymbol[2])));
}

QAccessible::State stateOf(QWidget& window, const char* name) {
    return QAccessible::queryAccessibleInterface(control(window, name))->state();
}

TEST_F(AccessibilityTest, ButtonsSayWhatAPressDoesNowAndEachResultIsAnnouncedOnce) {
    start();
    TForm1& w = machineWindow();
    const Announcer* announcer = w.findChild<Announcer*>(QStringLiteral("Announcer"));
    ASSERT_NE(announcer, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(const_cast<Announcer*>(announcer))->role(),
              QAccessible::Notification);

    // The paytable reads as lines; its pieces and the captions are passed over.
    EXPECT_EQ(spoken(w, "Voit1"), "AAA 20");
    EXPECT_EQ(spoken(w, "Voit6"), "EEE tai EE* 15");
    EXPECT_EQ(spoken(w, "Voit5"), "C-- tai --D 2");
    EXPECT_TRUE(stateOf(w, "Label26").invisible);
    EXPECT_EQ(spoken(w, "Label9"), "");
    EXPECT_FALSE(stateOf(w, "Rahat").invisible);

    // Idle: holds are not allowed before the first spin; VOITONMAKSU ends the game.
    EXPECT_EQ(spoken(w, "Button2", QAccessible::Description), QString::fromUtf8("pyöräyttää rullat, panos 1"));
    EXPECT_EQ(spoken(w, "Button3"), "LUKITSE rulla 1");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(control(w, "Button3"))->role(), QAccessible::CheckBox);
    EXPECT_TRUE(stateOf(w, "Button3").checkable);
    EXPECT_EQ(spoken(w, "Button3", QAccessible::Description), "lukitus ei sallittu nyt");
    EXPECT_EQ(spoken(w, "Button6", QAccessible::Description), "lopettaa pelin, voitot 0 mk");
    EXPECT_EQ(spoken(w, "Button9", QAccessible::Description), "ei toimi nyt");

    // A losing spin: one announcement, after the reels stopped.
    ScreenReader reader;
    const auto lastSaid = [&reader] { return reader.said().value(reader.said().size() - 1); };
    const auto before = reader.said().size();
    spinTo(losing);
    pump(20);
    EXPECT_EQ(reader.said().size(), before + 1);
    const auto& shown = state().shownSymbol;
    EXPECT_EQ(lastSaid(),
              QStringLiteral("%1, %2, %3. PELIT 49, VOITOT 0.").arg(QChar(shown[0]), QChar(shown[1]), QChar(shown[2]))
                  .replace(QStringLiteral("*"), QString::fromUtf8("tähti")));

    // A hold, now allowed, is a checked box.
    EXPECT_EQ(spoken(w, "Button4", QAccessible::Description), "lukitus sallittu");
    click(w, "Button4");
    EXPECT_TRUE(stateOf(w, "Button4").checked);
    EXPECT_FALSE(stateOf(w, "Button3").checked);

    // A win: the offer is said once; the buttons now take or double it.
    spinTo(paysTwice);
    pump(20);
    EXPECT_EQ(reader.said().size(), before + 2);
    EXPECT_TRUE(lastSaid().endsWith(QStringLiteral(". VOITIT 2 MK. TUPLAATKO? PELIT 48, VOITOT 0.")))
        << lastSaid().toStdString();
    EXPECT_FALSE(stateOf(w, "Button4").checked);
    EXPECT_EQ(spoken(w, "Button6", QAccessible::Description), "ottaa voiton 2 mk");
    EXPECT_EQ(spoken(w, "Button9", QAccessible::Description), "tuplaa voiton 2 mk");
    EXPECT_EQ(spoken(w, "Button2", QAccessible::Description), "ei toimi nyt");
    click(w, "Button6");
    pump(20);
    EXPECT_EQ(lastSaid(), "PELIT 48, VOITOT 2.");

    // The other windows: high-score rows read whole, the about box's button
    // reads its texts.
    EXPECT_EQ(spoken(game->form2(), "Label11"), "1. Zadiz 120 mk");
    EXPECT_EQ(spoken(game->form2(), "Label1"), "");
    EXPECT_TRUE(spoken(game->form4(), "Button1", QAccessible::Description).startsWith("Vornakka v1.00 "));
}

}  // namespace
}  // namespace vornakka::test
