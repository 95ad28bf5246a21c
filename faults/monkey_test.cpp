// The monkey: 100 000 random clicks, keys, close requests and timer ticks on
// the game's four real windows (offscreen), with the real data files in a
// folder of their own. After every event the machine must hold its
// invariants, the window must show what the machine holds, and some enabled
// window must be able to move the game on: the player can never get stuck.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "common/controls.h"
#include "game_folder.h"
#include "shell/game.h"
#include "tools/quiet_players.h"
#include "vornakka/slot_machine.h"

namespace vornakka {
namespace {

struct Counts {
    long spins = 0, gambles = 0, nameEntries = 0, abouts = 0, clicks = 0,
         deadClicks = 0, keys = 0, closes = 0, reelTicks = 0, gambleTicks = 0;
};

class Monkey {
public:
    Monkey() {
        folder_.writeJackpot(100);
        folder_.writeList();
        game_ = std::make_unique<Game>(clock_, players_);
        game_->show();
        reelTimer_ = game_->form1().findChild<QTimer*>(QStringLiteral("Timer2"));
        gambleTimer_ = game_->form1().findChild<QTimer*>(QStringLiteral("Timer1"));
        if (reelTimer_ == nullptr || gambleTimer_ == nullptr) std::abort();
        for (QWidget* w : windows()) {
            for (QPushButton* b : w->findChildren<QPushButton*>()) buttons_.push_back(b);
        }
    }
    ~Monkey() { game_.reset(); }

    Game& game() { return *game_; }
    QTimer& reelTimer() { return *reelTimer_; }
    std::vector<QWidget*> windows() {
        return {&game_->form1(), &game_->form2(), &game_->form3(), &game_->form4()};
    }

    // One random event; returns a description for the failure message.
    std::string step(std::mt19937& dice, Counts& n) {
        TForm1& f1 = game_->form1();
        // While the reels or the faces run, most events are their ticks, so
        // that the monkey plays many games in its 100 000 events.
        const MachineState& s = game_->machine().state();
        const bool running = reelTimer_->isActive() || (s.gambleSpinning && s.gambleChoice != 3);
        const int pick = running && dice() % 10 < 7 ? static_cast<int>(dice() % 45) : static_cast<int>(dice() % 100);
        if (pick < 30) {
            // A reel tick, when the reel timer runs (the timer's own ticks
            // arrive too, whenever real time has passed).
            if (reelTimer_->isActive()) {
                f1.Ropelli();
                ++n.reelTicks;
            }
            return "reel tick";
        }
        if (pick < 45) {
            f1.Tupsu();
            ++n.gambleTicks;
            return "gamble tick";
        }
        if (pick < 85) {
            // A click on one of the buttons a player can see, enabled or not;
            // mostly on the machine window's, where the game is played.
            std::vector<QPushButton*> visible;
            for (QPushButton* b : buttons_) {
                // "Exit" ends the program; it is pressed once, at the end.
                if (b->isVisible() && b->text() != QStringLiteral("Exit")) visible.push_back(b);
            }
            if (visible.empty()) return "no button visible";
            // A third of the clicks go to KÄYNNISTÄ, so that games last
            // long enough to run out of money or to build up winnings.
            QPushButton* start = f1.findChild<QPushButton*>(QStringLiteral("Button2"));
            QPushButton* b = dice() % 3 == 0 ? start : visible[dice() % visible.size()];
            const bool enabled = b->isEnabled();
            const int names = game_->form3().isVisible(), about = game_->form4().isVisible();
            QTest::mouseClick(b, Qt::LeftButton);
            ++n.clicks;
            n.deadClicks += enabled ? 0 : 1;
            if (!names && game_->form3().isVisible()) ++n.nameEntries;
            if (!about && game_->form4().isVisible()) ++n.abouts;
            return "click " + b->window()->objectName().toStdString() + "." + b->objectName().toStdString() +
                   (enabled ? "" : " (disabled)");
        }
        if (pick < 97) {
            // A key to the focused control of a visible window.
            static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space,
                                           Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_Backspace, Qt::Key_A,
                                           Qt::Key_Adiaeresis, Qt::Key_O,  Qt::Key_Z,      Qt::Key_1};
            std::vector<QWidget*> visible;
            for (QWidget* w : windows()) {
                if (w->isVisible()) visible.push_back(w);
            }
            QWidget* w = visible[dice() % visible.size()];
            const Qt::Key key = keys[dice() % std::size(keys)];
            const Qt::KeyboardModifiers mods = dice() % 10 == 0 ? Qt::AltModifier : Qt::NoModifier;
            QWidget* target = w->focusWidget() ? w->focusWidget() : w;
            // Space or Return on a focused "Exit" ends the program, like a
            // click on it: pressed once, at the end.
            if (auto* b = qobject_cast<QPushButton*>(target); b != nullptr && b->text() == QStringLiteral("Exit")) {
                return "key skipped (Exit has the focus)";
            }
            QTest::keyClick(target, key, mods);
            ++n.keys;
            return "key " + std::to_string(key) + " to " + w->objectName().toStdString();
        }
        // The title bar's close button of a visible window other than the
        // machine window (closing that one ends the program).
        std::vector<QWidget*> closable;
        for (QWidget* w : windows()) {
            if (w != &f1 && w->isVisible()) closable.push_back(w);
        }
        if (closable.empty()) return "nothing to close";
        QWidget* w = closable[dice() % closable.size()];
        w->close();
        ++n.closes;
        return "close " + w->objectName().toStdString();
    }

    // Everything that must hold after every event; "" when it does.
    std::string broken() {
        const MachineState& s = game_->machine().state();
        TForm1& f1 = game_->form1();
        TForm2& f2 = game_->form2();
        TForm3& f3 = game_->form3();
        TForm4& f4 = game_->form4();
        auto text = [&](const char* name) { return f1.findChild<QLabel*>(QString::fromLatin1(name))->text(); };

        if (QApplication::activeModalWidget() != nullptr) return "a failure box is up";
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible()) return "a failure box is up";
        }
        if (s.bet < 1 || s.bet > 5) return "bet " + std::to_string(s.bet);
        for (std::size_t i = 0; i < 3; ++i) {
            if (s.reelPos[i] < 1 || s.reelPos[i] > 30) return "reel position out of range";
            if (s.facePos[i] < 1 || s.facePos[i] > 11) return "face position out of range";
            if (text(("Kirj" + std::to_string(i + 1)).c_str()) != QString(QChar(s.shownSymbol[i]))) {
                return "reel " + std::to_string(i + 1) + " shows another letter than the machine";
            }
            const auto* lamp = f1.findChild<Lamp*>(QStringLiteral("Panel%1").arg(i + 1));
            if ((lamp->fill() == colours::red) != s.held[i]) return "hold lamp disagrees with the hold";
        }
        if (s.facePos[1] != s.facePos[0] % 11 + 1 || s.facePos[2] != s.facePos[1] % 11 + 1) {
            return "face column not consecutive";
        }
        const bool gambling = s.gambleSpinning || s.gambleChoice != 3;
        const bool idle = s.allStopped() && s.doubleClosed && !gambling;
        const bool offered = !s.doubleClosed;
        const bool spinning = !s.allStopped() && s.doubleClosed && !gambling;
        if (idle + offered + spinning + gambling != 1) return "the machine is in no single condition";
        if (reelTimer_->isActive() != spinning) return "the reel timer runs outside a spin or stops in one";
        if (std::int64_t{s.credits} + s.winnings < 0) return "negative money";
        if (idle && std::int64_t{s.credits} + s.winnings <= 0) return "idle without money";
        if (offered && std::int64_t{s.pendingWin} * s.doubleFactor >= 151) return "an amount of 151 or more on offer";
        if (text("Pano") != QString::number(s.bet) || text("Rahat") != QString::number(s.credits) ||
            text("Voitto") != QString::number(s.winnings) || text("JackPot") != QString::number(s.jackpot) ||
            text("ViimVoit") != QString::number(s.lastWin)) {
            return "a counter shows another number than the machine";
        }

        // The window flow: the machine window is always there, and disabled
        // exactly while the high-score window or the name dialog is up; the
        // about box comes only over a disabled high-score window.
        if (!f1.isVisible()) return "the machine window has gone";
        const bool hub = f2.isVisible() || f3.isVisible();
        if (f1.isEnabled() == hub) {
            return std::string("machine window ") + (f1.isEnabled() ? "enabled" : "disabled") +
                   " with high-score window " + (f2.isVisible() ? "up" : "down") + ", name dialog " +
                   (f3.isVisible() ? "up" : "down") + ", about box " + (f4.isVisible() ? "up" : "down") +
                   "; credits " + std::to_string(s.credits) + ", winnings " + std::to_string(s.winnings);
        }
        if (f2.isVisible() && f3.isVisible()) return "high-score window and name dialog both up";
        if (f4.isVisible() && (!f2.isVisible() || f2.isEnabled())) return "about box without a disabled high-score window";

        // Someone can move the game on.
        auto canPress = [](QWidget& w, const char* button) {
            auto* b = w.findChild<QPushButton*>(QString::fromLatin1(button));
            return w.isVisible() && b != nullptr && b->isVisible() && b->isEnabled();
        };
        bool progress = false;
        if (f1.isEnabled()) {
            if (idle) progress = canPress(f1, "Button2");                        // start
            if (spinning) progress = reelTimer_->isActive();                  // the reels run on
            if (offered) progress = canPress(f1, "Button6") && canPress(f1, "Button9");  // collect, double
            if (gambling) {
                progress = s.gambleChoice == 3 ? canPress(f1, "Button7") && canPress(f1, "Button8")
                                               : gambleTimer_->isActive();
            }
        } else if (f4.isVisible()) {
            progress = canPress(f4, "Button1");  // OK back to the list
        } else if (f3.isVisible()) {
            progress = canPress(f3, "Button1");  // OK to the list
        } else if (f2.isVisible()) {
            progress = canPress(f2, "Button2");  // Uusi peli
        }
        if (!progress) return "no enabled window can move the game on";
        return "";
    }

private:
    test::ScratchGameFolder folder_;
    tools::QuietPlayers players_;
    FixedClock clock_{TimeOfDay{8, 15, 42, 137}};
    std::unique_ptr<Game> game_;
    std::vector<QPushButton*> buttons_;
    QTimer* reelTimer_ = nullptr;    // the machine window's Timer2
    QTimer* gambleTimer_ = nullptr;  // and Timer1
};

TEST(Monkey, AHundredThousandRandomEventsNeverBreakTheGameOrStrandThePlayer) {
    Monkey monkey;
    std::mt19937 dice(6006);
    Counts n;
    std::vector<std::string> recent;
    const char* steps = std::getenv("VORNAKKA_MONKEY_EVENTS");
    const long events = steps ? std::atol(steps) : 100000;
    bool wasSpinning = false, wasGambling = false;
    for (long i = 0; i < events; ++i) {
        const std::string what = monkey.step(dice, n);
        QApplication::processEvents();
        const MachineState& s = monkey.game().machine().state();
        n.spins += !wasSpinning && monkey.reelTimer().isActive();
        n.gambles += !wasGambling && s.gambleSpinning;
        wasSpinning = monkey.reelTimer().isActive();
        wasGambling = s.gambleSpinning;
        {
            auto& g = monkey.game();
            recent.push_back(what + "  [machine " + (g.form1().isEnabled() ? "enabled" : "disabled") +
                             (g.form2().isVisible() ? ", list" : "") + (g.form3().isVisible() ? ", name" : "") +
                             (g.form4().isVisible() ? ", about" : "") + "; credits " + std::to_string(s.credits) +
                             (monkey.reelTimer().isActive() ? ", spinning" : "") + "]");
        }
        if (recent.size() > 40) recent.erase(recent.begin());
        const std::string problem = monkey.broken();
        if (!problem.empty()) {
            std::string history;
            for (const auto& r : recent) history += "  " + r + "\n";
            FAIL() << "event " << i << ": " << problem << "\nlast events:\n" << history;
        }
    }
    std::printf("monkey: %ld events: %ld clicks (%ld on disabled buttons), %ld keys, %ld closes, %ld reel and %ld "
                "gamble ticks; %ld spins started, %ld double-ups, %ld name entries, %ld about boxes\n",
                events, n.clicks, n.deadClicks, n.keys, n.closes, n.reelTicks, n.gambleTicks, n.spins, n.gambles,
                n.nameEntries, n.abouts);
    // The monkey did get around.
    if (events >= 100000) {
        EXPECT_GT(n.spins, 500);
        EXPECT_GT(n.gambles, 100);
        EXPECT_GT(n.nameEntries, 10);
        EXPECT_GT(n.abouts, 10);
    }

    // And "Exit" still ends the program: the machine window closes.
    bool closed = false;
    QObject::connect(&monkey.game().form1(), &TForm1::closed, [&] { closed = true; });
    if (!monkey.game().form2().isVisible()) monkey.game().form1().Button6Click();  // cash out
    while (!monkey.game().form2().isVisible()) {
        // A spin or a gamble was running: let it end, then cash out.
        monkey.game().form1().Ropelli();
        monkey.game().form1().Tupsu();
        if (!monkey.game().machine().state().doubleClosed) monkey.game().form1().Button6Click();
        if (monkey.game().form3().isVisible()) monkey.game().form3().Button1Click();
        if (monkey.game().form4().isVisible()) monkey.game().form4().Button1Click();
        if (monkey.game().form1().isEnabled()) monkey.game().form1().Button6Click();
        QApplication::processEvents();
    }
    if (monkey.game().form4().isVisible()) monkey.game().form4().Button1Click();
    monkey.game().form2().findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QApplication::processEvents();
    EXPECT_TRUE(closed);
}

// What the monkey found first: Alt+O in the name dialog clicks its OK a
// moment later (a mnemonic "animates" the click for 100 ms). A player quick
// with the mouse has by then confirmed the name and started a new game; the
// late click must not bring the high-score window back over that game.
TEST(Monkey, ALateMnemonicClickOnAClosedNameDialogChangesNothing) {
    Monkey monkey;
    Game& g = monkey.game();
    while (g.machine().state().winnings == 0) {  // spins until a win is taken
        g.form1().Button2Click();
        while (monkey.reelTimer().isActive()) g.form1().Ropelli();
        if (g.machine().offer().takeWin) g.form1().Button6Click();
    }
    const std::int32_t won = g.machine().state().winnings;
    g.form1().Button6Click();  // cash-out: the win enters the list of zeros
    QApplication::processEvents();
    ASSERT_TRUE(g.form3().isVisible());
    g.form3().activateWindow();
    QApplication::processEvents();
    QTest::keyClick(&g.form3(), Qt::Key_O, Qt::AltModifier);  // the click follows in 100 ms
    g.form3().findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    ASSERT_TRUE(g.form2().isVisible());
    g.form2().findChild<QPushButton*>(QStringLiteral("Button2"))->click();  // Uusi peli
    ASSERT_TRUE(g.form1().isEnabled());
    QTest::qWait(250);
    EXPECT_FALSE(g.form2().isVisible());
    EXPECT_FALSE(g.form3().isVisible());
    EXPECT_TRUE(g.form1().isEnabled());
    // The list in the high-score window: rows 1 and 2 show their scores in
    // Label30 and Label29.
    const auto score = [&g](const char* label) { return g.form2().findChild<QLabel*>(QString::fromLatin1(label))->text(); };
    EXPECT_EQ(score("Label30"), QStringLiteral("%1 mk").arg(won));
    EXPECT_EQ(score("Label29"), QStringLiteral("0 mk"));  // entered once
}

}  // namespace
}  // namespace vornakka

