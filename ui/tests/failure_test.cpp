// Failures: the failure box and its full-stop rule, the windows it disables,
// one box at a time with the failing step retried, an interrupted start-up,
// and the "Application Error" of a window that cannot be built.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "shell/event_boundary.h"
#include "support.h"
#include "vornakka/failure.h"
#include "vornakka/game_sound.h"
#include "vornakka/strips.h"

namespace vornakka::test {
namespace {

QString ok(const QStringList& buttons) {
    return buttons.size() == 1 ? QString(buttons[0]).remove(QLatin1Char('&')) : buttons.join(',');
}

TEST(FailureBoxTest, TheTextGetsAFullStopWhenItsLastCharacterSortsAfterOne) {
    EXPECT_EQ(EventBoundary::boxText("File not found").toStdString(), "File not found.");
    EXPECT_EQ(EventBoundary::boxText("'' is not a valid integer value").toStdString(),
              "'' is not a valid integer value.");
    EXPECT_EQ(EventBoundary::boxText("I/O error 39").toStdString(), "I/O error 39.");
    EXPECT_EQ(EventBoundary::boxText("a/").toStdString(), "a/.");  // '/' sorts after '.'
    EXPECT_EQ(EventBoundary::boxText("Oops!").toStdString(), "Oops!");
    EXPECT_EQ(EventBoundary::boxText("(errno 5)").toStdString(), "(errno 5)");
    EXPECT_EQ(EventBoundary::boxText("a-").toStdString(), "a-");
    EXPECT_EQ(EventBoundary::boxText("done.").toStdString(), "done.");
    EXPECT_EQ(EventBoundary::boxText("").toStdString(), "");
    // Windows-1252 text: "V\xC4\xC4RIN" ends in a byte above '.'.
    EXPECT_EQ(EventBoundary::boxText("V\xC4\xC4RIN").toStdString(), "VÄÄRIN.");
}

TEST(FailureBoxTest, TheBoxDisablesExactlyTheWindowsThatTookInput) {
    QWidget a, b, hidden;
    a.setObjectName(QStringLiteral("A"));
    b.setObjectName(QStringLiteral("B"));
    hidden.setObjectName(QStringLiteral("Hidden"));
    a.show();
    b.show();
    b.setEnabled(false);
    EventBoundary boundary;
    BoxAnswerer boxes;
    bool nestedRan = false;
    boxes.beforeClose = [&] {
        // While the box is up no handler runs, so no second box can open.
        EXPECT_TRUE(aBoxIsUp());
        EXPECT_FALSE(boundary.run([&] { nestedRan = true; }));
    };
    bool finished = false;
    EXPECT_FALSE(boundary.run([&] {
        throw IoError(5, "File access denied");
        finished = true;
    }));
    EXPECT_FALSE(finished);
    EXPECT_FALSE(nestedRan);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const BoxAnswerer::Box& box = boxes.boxes[0];
    EXPECT_EQ(box.title.toStdString(), "Vornakka");
    EXPECT_EQ(box.text.toStdString(), "File access denied.");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(ok(box.buttons).toStdString(), "OK");
    EXPECT_TRUE(box.enabledWindows.isEmpty()) << box.enabledWindows.join(',').toStdString();
    EXPECT_TRUE(box.disabledWindows.contains(QStringLiteral("A")));
    EXPECT_TRUE(box.disabledWindows.contains(QStringLiteral("B")));
    EXPECT_FALSE(aBoxIsUp());
    EXPECT_TRUE(a.isEnabled());
    EXPECT_FALSE(b.isEnabled());  // was disabled before, stays so
    EXPECT_TRUE(hidden.isEnabled());

    // Any standard exception is caught the same way; a handler that succeeds
    // shows nothing.
    EXPECT_FALSE(boundary.run([] { throw std::runtime_error("Out of memory"); }));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text.toStdString(), "Out of memory.");
    EXPECT_TRUE(boundary.run([] {}));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

using FailureTest = GameTest;

TEST_F(FailureTest, StartingWithoutTheListShowsFileNotFoundAndAnIdleMachine) {
    QFile::remove(folder.file(QStringLiteral("LIST.VRK")));
    start();
    ASSERT_EQ(startUpBoxes->boxes.size(), 1u);
    EXPECT_EQ(startUpBoxes->boxes[0].text.toStdString(), "File not found.");
    EXPECT_EQ(startUpBoxes->boxes[0].title.toStdString(), "Vornakka");
    TForm1& w = machineWindow();
    EXPECT_TRUE(w.isVisible());
    // The jackpot was loaded, the list was not; the fresh game is shown.
    EXPECT_EQ(labelText(w, "JackPot").toStdString(), "500");
    EXPECT_EQ(labelText(w, "Rahat").toStdString(), "50");
    EXPECT_EQ(labelText(w, "Voitto").toStdString(), "0");
    EXPECT_EQ(labelText(w, "ViimVoit").toStdString(), "0");
    EXPECT_EQ(labelText(w, "Pano").toStdString(), "1");
    EXPECT_EQ((labelText(w, "Tupyla") + labelText(w, "Tupkesk") + labelText(w, "Tupala")).toStdString(), "JLJ");
    EXPECT_EQ(labelText(w, "Teksrutu").toStdString(), "");
    EXPECT_EQ(labelText(game->form2(), "Label1").toStdString(), "");
    EXPECT_EQ(labelText(game->form2(), "Label30").toStdString(), "0 mk");

    // No spin runs by itself: the reels stay at "A", nothing is paid.
    EXPECT_FALSE(reelTimer(w).isActive());
    pump(300);
    EXPECT_EQ((labelText(w, "Kirj1") + labelText(w, "Kirj2") + labelText(w, "Kirj3")).toStdString(), "AAA");
    EXPECT_EQ(labelText(w, "Voitto").toStdString(), "0");
    EXPECT_EQ(players.count("play:Voitto"), 0);

    // And the machine plays with what it has.
    spinTo([](char, char, char) { return true; });
    EXPECT_EQ(labelText(w, "Rahat").toStdString(), "49");
}

TEST_F(FailureTest, StartingWithoutTheJackpotFileShowsFileNotFound) {
    QFile::remove(folder.file(QStringLiteral("VORNA.DAT")));
    start();
    ASSERT_EQ(startUpBoxes->boxes.size(), 1u);
    EXPECT_EQ(startUpBoxes->boxes[0].text.toStdString(), "File not found.");
    EXPECT_EQ(labelText(machineWindow(), "JackPot").toStdString(), "0");
    EXPECT_EQ(labelText(machineWindow(), "Rahat").toStdString(), "50");
    EXPECT_FALSE(reelTimer(machineWindow()).isActive());
}

TEST_F(FailureTest, AJackpotThatCannotBeSavedIsSavedByTheFirstTickAfterTheBox) {
    start();
    TForm1& w = machineWindow();
    for (int i = 0; i < 4; ++i) click(w, "Button1");
    ASSERT_EQ(labelText(w, "Pano").toStdString(), "5");
    const auto losing = [](char a, char b, char c) { return firstMatchingRow(a, b, c) == 0; };
    for (int spin = 0; spin < 9; ++spin) spinTo(losing);
    ASSERT_EQ(labelText(w, "Rahat").toStdString(), "5");

    // The last spin ends the game, and saving the jackpot fails. The box is
    // kept up a while: the reel timer ticks on meanwhile, but no second box
    // opens. The file is writable again when the box closes, and the next
    // tick saves it and ends the game.
    BoxAnswerer boxes(300);
    boxes.beforeClose = [&] { folder.unblockFile(QStringLiteral("VORNA.DAT")); };
    folder.blockFile(QStringLiteral("VORNA.DAT"));
    spinTo(losing);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(), "File access denied.");
    EXPECT_TRUE(boxes.boxes[0].disabledWindows.contains(QStringLiteral("Form1")));
    EXPECT_EQ(boxes.mostBoxesAtOnce, 1);
    EXPECT_EQ(folder.jackpotOnDisk(), 550);
    EXPECT_TRUE(game->form2().isVisible());
    EXPECT_FALSE(w.isEnabled());
    EXPECT_FALSE(reelTimer(w).isActive());
    EXPECT_EQ(labelText(w, "Rahat").toStdString(), "50");
    EXPECT_EQ(labelText(w, "Pano").toStdString(), "1");
}

// A double-up lost with nothing left ends the game; its jackpot save fails.
// Though nothing sounds, the gamble timer must not sleep: it tries the save
// again once the box has gone, and the game ends.
TEST_F(FailureTest, AGameOverSaveAfterALostDoubleUpIsTriedAgainWhileAllElseSleeps) {
    start();
    TForm1& w = machineWindow();
    // At bet 5, nine lost spins leave 5 credits, which the winning one bets.
    for (int i = 0; i < 4; ++i) click(w, "Button1");
    for (int i = 0; i < 9; ++i) spinTo([](char a, char b, char c) { return firstMatchingRow(a, b, c) == 0; });
    spinTo([](char a, char b, char c) { return firstMatchingRow(a, b, c) == 6; });
    ASSERT_EQ(game->machine().counters().credits, 0);
    const std::int32_t jackpot = game->machine().counters().jackpot;
    random.reseed(seedForGamble(state(), kFrown));
    click(w, "Button9");

    BoxAnswerer boxes(300);
    boxes.beforeClose = [&] { folder.unblockFile(QStringLiteral("VORNA.DAT")); };
    folder.blockFile(QStringLiteral("VORNA.DAT"));
    click(w, "Button7");
    ASSERT_TRUE(waitUntil([&] { return game->form2().isVisible(); }));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(), "File access denied.");
    EXPECT_EQ(game->machine().gamblePhase(), GamblePhase::Closed);
    EXPECT_EQ(labelText(w, "Rahat").toStdString(), "50");
    EXPECT_EQ(folder.jackpotOnDisk(), jackpot);
}

void writeTone(const QString& path) {
    QByteArray pcm;
    for (int i = 0; i < 800; ++i) {
        const auto v = static_cast<qint16>((i % 40 < 20) ? 3000 : -3000);
        pcm.append(static_cast<char>(v & 0xFF)).append(static_cast<char>((v >> 8) & 0xFF));
    }
    const auto le32 = [](quint32 v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
        return b;
    };
    const auto le16 = [](quint16 v) {
        return QByteArray().append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
    };
    QByteArray wav = "RIFF" + le32(static_cast<quint32>(36 + pcm.size())) + "WAVEfmt " + le32(16) + le16(1) +
                     le16(1) + le32(8000) + le32(16000) + le16(2) + le16(16) + "data" +
                     le32(static_cast<quint32>(pcm.size())) + pcm;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(wav);
}

const QRegularExpression kApplicationError(
    QStringLiteral("^Exception MediaError in module ui_tests at ([0-9A-F]{8})\\.\\n(.+)$"));

TEST(StartUpErrorTest, AMissingWelcomeWaveEndsTheProgramWithAnApplicationError) {
    GameFolder folder;
    folder.writeJackpot(0);
    folder.writeList(std::vector<std::pair<std::string, std::int32_t>>(10, {"", 0}));
    FixedClock clock(TimeOfDay{8, 0, 0, 0});
    RecordingPlayers log;
    log.failOpen = SoundCue::Welcome;
    BoxAnswerer boxes;
    const int code = runGame(*qApp, clock, log);
    EXPECT_EQ(code, 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const BoxAnswerer::Box& box = boxes.boxes[0];
    EXPECT_EQ(box.title.toStdString(), "Application Error");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(ok(box.buttons).toStdString(), "OK");
    const auto match = kApplicationError.match(box.text);
    ASSERT_TRUE(match.hasMatch()) << box.text.toStdString();
    EXPECT_NE(match.captured(1), QStringLiteral("00000000"));
    EXPECT_EQ(match.captured(2).toStdString(), "System error : No such file or directory.");
    // Before any window was shown; the players were opened in order up to the
    // failing one, and nothing was played.
    EXPECT_TRUE(box.enabledWindows.isEmpty() && box.disabledWindows.isEmpty());
    EXPECT_EQ(log.opened().size(), 10u);
    EXPECT_EQ(log.opened().back(), "Welcome");
    EXPECT_EQ(log.count("play:Welcome"), 0);
}

TEST(StartUpErrorTest, TheRealPlayersFailTheSameWayAndSoDoesAMissingSatan) {
    GameFolder folder;
    folder.writeJackpot(0);
    folder.writeList(std::vector<std::pair<std::string, std::int32_t>>(10, {"", 0}));
    QDir(folder.path()).mkpath(QStringLiteral("Wavs"));
    for (int c = 0; c < kSoundCueCount; ++c) {
        const auto cue = static_cast<SoundCue>(c);
        if (cue != SoundCue::Welcome) writeTone(folder.file(QString::fromLatin1(soundCueFile(cue))));
    }
    FixedClock clock(TimeOfDay{8, 0, 0, 0});
    {
        BoxAnswerer boxes;
        GameSound sound;
        EXPECT_EQ(runGame(*qApp, clock, sound), 1);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].title.toStdString(), "Application Error");
        const auto match = kApplicationError.match(boxes.boxes[0].text);
        ASSERT_TRUE(match.hasMatch()) << boxes.boxes[0].text.toStdString();
        EXPECT_TRUE(match.captured(2).startsWith(QStringLiteral("System error"))) << match.captured(2).toStdString();
        EXPECT_TRUE(match.captured(2).endsWith(QLatin1Char('.')));
    }
    // With Welcome there and satan missing, the machine window is built and
    // started (the welcome sound plays) before the high-score window fails.
    writeTone(folder.file(QStringLiteral("Wavs/Welcome.wav")));
    RecordingPlayers log;
    log.failOpen = SoundCue::satan;
    BoxAnswerer boxes;
    EXPECT_EQ(runGame(*qApp, clock, log), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(kApplicationError.match(boxes.boxes[0].text).hasMatch()) << boxes.boxes[0].text.toStdString();
    EXPECT_EQ(log.count("play:Welcome"), 1);
    EXPECT_EQ(log.opened().back(), "satan");
}

}  // namespace
}  // namespace vornakka::test
