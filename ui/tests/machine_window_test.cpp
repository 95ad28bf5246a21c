// The machine window played through its own buttons and keys, with the
// reels and faces driven by the window's real timers.
#include <QTest>

#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "common/controls.h"
#include "support.h"
#include "vornakka/strips.h"

namespace vornakka::test {
namespace {

using MachineWindowTest = GameTest;

bool losing(char a, char b, char c) { return firstMatchingRow(a, b, c) == 0; }
bool paysTwice(char a, char b, char c) {
    const int row = firstMatchingRow(a, b, c);
    return row == 6 || row == 7;  // C ? ?  and  ? ? D
}
bool smallWin(char a, char b, char c) {
    const int row = firstMatchingRow(a, b, c);
    return row >= 1 && row <= 5;
}

std::string text(QWidget& w, const char* name) { return labelText(w, name).toStdString(); }

// The eight amount boxes from the top of the paytable down.
std::string amounts(QWidget& w) {
    std::string all;
    for (const char* name : {"Voit1", "Voit2", "Voit6", "Voit3", "Voit7", "Voit8", "Voit4", "Voit5"}) {
        if (!all.empty()) all += ' ';
        all += text(w, name);
    }
    return all;
}

Colour lamp(QWidget& w, const char* name) { return control<Lamp>(w, name)->fill(); }

// Counts the ticks of the window's gamble timer while it lives.
class GambleTicks {
public:
    explicit GambleTicks(TForm1& w) {
        QObject::connect(&gambleTimer(w), &QTimer::timeout, &context_, [this] { ++count; });
    }
    int count = 0;

private:
    QObject context_;
};

// The reels reuse the picture of each symbol and colour they have drawn; the
// window must still show exactly what a plain label with that text would.
void expectReelsDrawnAsPlainLabels(TForm1& w) {
    for (const char* name : {"Kirj1", "Kirj2", "Kirj3"}) {
        QLabel* reel = control<QLabel>(w, name);
        QLabel twin;
        twin.setFont(reel->font());
        twin.setPalette(reel->palette());
        twin.setAlignment(reel->alignment());
        twin.setAutoFillBackground(true);
        twin.resize(reel->size());
        twin.setText(reel->text());
        const QImage drawn = w.grab(reel->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(drawn, twin.grab().toImage().convertToFormat(QImage::Format_RGB32)) << name << " " << text(w, name);
    }
}

TEST_F(MachineWindowTest, StateRightAfterStartUpAndTheBetRaisedToThree) {
    start();
    TForm1& w = machineWindow();
    for (const char* reel : {"Kirj1", "Kirj2", "Kirj3"}) {
        EXPECT_EQ(text(w, reel), "A");
        EXPECT_EQ(control<QLabel>(w, reel)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }
    EXPECT_EQ(text(w, "ViimVoit"), "0");
    EXPECT_EQ(text(w, "Voitto"), "0");
    EXPECT_EQ(text(w, "Pano"), "1");
    EXPECT_EQ(text(w, "Rahat"), "50");
    EXPECT_EQ(text(w, "JackPot"), "500");
    EXPECT_EQ(amounts(w), "20 10 15 8 6 6 4 2");
    EXPECT_EQ(text(w, "Tupyla") + text(w, "Tupkesk") + text(w, "Tupala"), "JLJ");
    EXPECT_EQ(text(w, "Teksrutu"), "Paras: Zadiz 120 mk");
    for (const char* panel : {"Panel1", "Panel2", "Panel3"}) EXPECT_EQ(lamp(w, panel), colours::black);
    expectReelsDrawnAsPlainLabels(w);

    // The players open as the windows are built, the machine's ten first;
    // the welcome sound is the first thing played.
    EXPECT_EQ(players.opened(), (std::vector<std::string>{"Voitto", "Havio", "Kaynnistys", "Lukitus", "Voitonmaksu",
                                                          "Koss", "Tuplaus", "Ruplaus", "VYlos", "Welcome", "satan"}));
    EXPECT_EQ(players.calls.at(10), "play:Welcome");
    EXPECT_TRUE(startUpBoxes->boxes.empty());

    // The timers: reels off until a spin, 10 ms precise; gamble asleep until
    // a guess, 50 ms precise (a coarse one would lose its beat across its
    // sleeps). The welcome sound does not wake it: the sound sleeps on its own.
    EXPECT_FALSE(reelTimer(w).isActive());
    EXPECT_EQ(reelTimer(w).interval(), 10);
    EXPECT_EQ(reelTimer(w).timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(gambleTimer(w).isActive());
    EXPECT_EQ(gambleTimer(w).interval(), 50);
    EXPECT_EQ(gambleTimer(w).timerType(), Qt::PreciseTimer);
    const GambleTicks ticks(w);
    pump(160);
    EXPECT_EQ(ticks.count, 0);

    click(w, "Button1");
    click(w, "Button1");
    EXPECT_EQ(text(w, "Pano"), "3");
    EXPECT_EQ(amounts(w), "60 30 45 24 18 18 12 6");
}

TEST_F(MachineWindowTest, ASpinWithAHeldReelAndItsLamp) {
    start();
    TForm1& w = machineWindow();
    spinTo(losing);
    EXPECT_EQ(players.count("play:Kaynnistys"), 1);
    EXPECT_EQ(players.count("play:Koss"), 1);
    EXPECT_EQ(text(w, "Rahat"), "49");
    EXPECT_EQ(text(w, "JackPot"), "501");
    EXPECT_EQ(text(w, "Teksrutu"), "");
    for (std::size_t r = 0; r < 3; ++r) {
        QLabel* reel = control<QLabel>(w, std::array{"Kirj1", "Kirj2", "Kirj3"}[r]);
        EXPECT_EQ(reel->text(), QString(QChar(state().shownSymbol[r])));
        EXPECT_EQ(reel->palette().color(QPalette::WindowText), toQColor(symbolColourOf(state().shownSymbol[r])));
    }

    // A losing spin without holds lets the next one hold: the lamp lights at once.
    click(w, "Button4");
    EXPECT_EQ(players.count("play:Lukitus"), 1);
    EXPECT_EQ(lamp(w, "Panel2"), colours::red);
    EXPECT_EQ(lamp(w, "Panel1"), colours::black);
    EXPECT_EQ(lamp(w, "Panel3"), colours::black);

    const QString held = labelText(w, "Kirj2");
    const QString first = labelText(w, "Kirj1");
    random.reseed(seedForSpin(state(), losing));
    click(w, "Button2");
    bool reel1Moved = false;
    ASSERT_TRUE(waitUntil([&] {
        EXPECT_EQ(labelText(w, "Kirj2"), held);
        if (reelTimer(w).isActive()) {
            EXPECT_EQ(lamp(w, "Panel2"), colours::red);
            reel1Moved = reel1Moved || labelText(w, "Kirj1") != first;
        }
        return !reelTimer(w).isActive();
    }));
    EXPECT_TRUE(reel1Moved);
    EXPECT_EQ(labelText(w, "Kirj2"), held);
    for (const char* panel : {"Panel1", "Panel2", "Panel3"}) EXPECT_EQ(lamp(w, panel), colours::black);
    expectReelsDrawnAsPlainLabels(w);
}

TEST_F(MachineWindowTest, AWinCollected) {
    start();
    TForm1& w = machineWindow();
    spinTo(smallWin);
    const int row = firstMatchingRow(state().shownSymbol[0], state().shownSymbol[1], state().shownSymbol[2]);
    const int won = kPaytable[static_cast<std::size_t>(row - 1)].multiplier;
    EXPECT_EQ(text(w, "Teksrutu"), "VOITIT " + std::to_string(won) + " MK. TUPLAATKO?");
    EXPECT_EQ(players.count("play:Voitto"), 1);
    EXPECT_EQ(text(w, "JackPot"), "500");  // the stake goes back out of the jackpot
    EXPECT_EQ(text(w, "Rahat"), "49");

    // A start is refused while the win is on offer.
    click(w, "Button2");
    EXPECT_FALSE(reelTimer(w).isActive());

    click(w, "Button6");
    EXPECT_EQ(players.count("play:VYlos"), 1);
    EXPECT_EQ(text(w, "Voitto"), std::to_string(won));
    EXPECT_EQ(text(w, "ViimVoit"), std::to_string(won));
    EXPECT_EQ(text(w, "Teksrutu"), "VOITIT " + std::to_string(won) + " MK. TUPLAATKO?");
    click(w, "Button2");
    EXPECT_TRUE(reelTimer(w).isActive());
    waitForReels();
}

TEST_F(MachineWindowTest, ADoubleUpWonThenOneLost) {
    start();
    TForm1& w = machineWindow();
    spinTo(paysTwice);
    ASSERT_EQ(text(w, "Teksrutu"), "VOITIT 2 MK. TUPLAATKO?");

    // HYMY before TUPLAUS does nothing.
    click(w, "Button7");
    EXPECT_EQ(players.count("play:Ruplaus"), 0);

    random.reseed(seedForGamble(state(), kSmile));
    click(w, "Button9");
    EXPECT_EQ(text(w, "Teksrutu"), "TUPLAUS 4MK DEPRESSIO/HYMY");
    EXPECT_EQ(players.count("play:Lukitus"), 1);
    pump(120);
    EXPECT_EQ(text(w, "Tupkesk"), "L");  // the faces wait for a guess
    click(w, "Button7");
    EXPECT_EQ(players.count("play:Ruplaus"), 1);
    ASSERT_TRUE(waitUntil([&] { return text(w, "Teksrutu") != "TUPLAUS 4MK DEPRESSIO/HYMY"; }));
    EXPECT_EQ(text(w, "Teksrutu"), "VOITIT 4MK. TUPLAATKO?");
    EXPECT_EQ(text(w, "Tupkesk"), "J");
    EXPECT_EQ(players.count("play:Voitto"), 2);

    random.reseed(seedForGamble(state(), kFrown));
    click(w, "Button9");
    EXPECT_EQ(text(w, "Teksrutu"), "TUPLAUS 8MK DEPRESSIO/HYMY");
    click(w, "Button7");
    ASSERT_TRUE(waitUntil([&] { return text(w, "Teksrutu") != "TUPLAUS 8MK DEPRESSIO/HYMY"; }));
    EXPECT_EQ(text(w, "Teksrutu"), "V\u00C4\u00C4RIN!!!!");
    EXPECT_EQ(text(w, "Tupkesk"), "L");
    EXPECT_EQ(players.count("play:Havio"), 1);
    EXPECT_EQ(text(w, "Voitto"), "0");
    EXPECT_EQ(game->machine().condition(), MachineCondition::Idle);
    click(w, "Button2");  // idle again: a spin starts
    EXPECT_TRUE(reelTimer(w).isActive());
    waitForReels();
}

// With no guess running the gamble timer sleeps; a guess after a long idle
// spell wakes it, and the column moves on every tick from the first, steps +
// 1 times, as it always has.
TEST_F(MachineWindowTest, AGuessAfterALongIdleSpellWakesTheGambleTimer) {
    start();
    TForm1& w = machineWindow();
    ASSERT_TRUE(waitUntil([&] { return !gambleTimer(w).isActive(); }));
    spinTo(paysTwice);
    random.reseed(seedForGamble(state(), kSmile));
    click(w, "Button9");
    ASSERT_TRUE(waitUntil([&] { return !gambleTimer(w).isActive(); }));
    const GambleTicks ticks(w);
    pump(600);
    EXPECT_EQ(ticks.count, 0);  // asleep: not one tick

    const int steps = state().gambleSteps;
    click(w, "Button7");
    EXPECT_TRUE(gambleTimer(w).isActive());
    ASSERT_TRUE(waitUntil([&] { return text(w, "Teksrutu") != "TUPLAUS 4MK DEPRESSIO/HYMY"; }));
    EXPECT_EQ(text(w, "Teksrutu"), "VOITIT 4MK. TUPLAATKO?");
    EXPECT_EQ(ticks.count, steps + 1);  // one tick a step, the last deciding
    EXPECT_FALSE(gambleTimer(w).isActive());
    EXPECT_EQ(gambleTimer(w).interval(), 50);
}

TEST_F(MachineWindowTest, KeysPressTheFocusedButtonOrKaynnista) {
    start();
    TForm1& w = machineWindow();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWindow* window = w.windowHandle();
    // The first button in tab order has the focus; Return and Space press it.
    EXPECT_EQ(w.focusWidget(), control(w, "Button1"));
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(text(w, "Pano"), "2");
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_EQ(text(w, "Pano"), "3");

    // Escape presses KÄYNNISTÄ wherever the focus is, and again during the
    // spin it does nothing.
    control(w, "Button6")->setFocus();
    random.reseed(seedForSpin(state(), losing));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(reelTimer(w).isActive());
    EXPECT_EQ(players.count("play:Kaynnistys"), 1);
    EXPECT_EQ(text(w, "Rahat"), "47");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(players.count("play:Kaynnistys"), 1);
    waitForReels();
    EXPECT_EQ(text(w, "Rahat"), "47");
    EXPECT_EQ(text(w, "Pano"), "3");

    // No caption has an accelerator.
    QTest::keyClick(window, Qt::Key_K, Qt::AltModifier);
    QTest::keyClick(window, Qt::Key_P, Qt::AltModifier);
    EXPECT_FALSE(reelTimer(w).isActive());
    EXPECT_EQ(text(w, "Pano"), "3");

    // With no button focused, Return presses KÄYNNISTÄ.
    w.focusWidget()->clearFocus();
    ASSERT_EQ(w.focusWidget(), nullptr);
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(reelTimer(w).isActive());
    EXPECT_EQ(players.count("play:Kaynnistys"), 2);
    waitForReels();
}

TEST_F(MachineWindowTest, ADisabledWindowIgnoresClicksAndKeys) {
    start();
    TForm1& w = machineWindow();
    // Cashing out nothing does not enter the list (its last score is 0): the
    // high-score window comes up and the machine window is disabled.
    click(w, "Button6");
    EXPECT_EQ(players.count("play:Voitonmaksu"), 1);
    EXPECT_EQ(folder.jackpotOnDisk(), 500);
    ASSERT_TRUE(game->form2().isVisible());
    EXPECT_FALSE(game->form3().isVisible());
    EXPECT_FALSE(w.isEnabled());
    EXPECT_TRUE(w.isVisible());

    click(w, "Button2");
    click(w, "Button1");
    QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
    QTest::keyClick(w.windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(reelTimer(w).isActive());
    EXPECT_EQ(players.count("play:Kaynnistys"), 0);
    EXPECT_EQ(text(w, "Pano"), "1");
    EXPECT_EQ(text(w, "Rahat"), "50");
    // Its timers run on: the gamble timer, started, still ticks.
    const GambleTicks ticks(w);
    gambleTimer(w).start();
    pump(120);
    EXPECT_GT(ticks.count, 0);
}

}  // namespace
}  // namespace vornakka::test
