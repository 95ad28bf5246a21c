// Between games: cash-out into the name dialog, the high-score window, a new
// game, the about box, the title bars' close buttons and Exit.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "common/controls.h"
#include "support.h"
#include "vornakka/strips.h"

namespace vornakka::test {
namespace {

class FlowTest : public GameTest {
protected:
    // Wins 2 at bet 1, collects it and cashes out: 2 beats the list's last
    // score, so the name dialog opens.
    void cashOutTwo() {
        spinTo([](char a, char b, char c) {
            const int row = firstMatchingRow(a, b, c);
            return row == 6 || row == 7;
        });
        click(machineWindow(), "Button6");  // collect
        ASSERT_EQ(labelText(machineWindow(), "Voitto"), QStringLiteral("2"));
        click(machineWindow(), "Button6");  // cash out
        ASSERT_TRUE(game->form3().isVisible());
        ASSERT_TRUE(waitForActive(&game->form3()));
    }
    void newGame() {
        click(game->form2(), "Button2");
        ASSERT_FALSE(game->form2().isVisible());
        ASSERT_TRUE(machineWindow().isEnabled());
    }
    QLineEdit* edit() { return control<QLineEdit>(game->form3(), "Edit1"); }
    std::string row(int r) {
        return labelText(game->form2(), ("Label" + std::to_string(r)).c_str()).toStdString() + " " +
               labelText(game->form2(), ("Label" + std::to_string(31 - r)).c_str()).toStdString();
    }
};

TEST_F(FlowTest, CashOutIntoTheNameDialogAndTheHighScoreWindow) {
    start();
    cashOutTwo();
    TForm3& dialog = game->form3();
    EXPECT_EQ(labelText(dialog, "Voittomaara"), QStringLiteral("2 mk"));
    EXPECT_FALSE(machineWindow().isEnabled());
    EXPECT_FALSE(game->form2().isVisible());
    // The machine shows the fresh game behind the dialog; the last win stays.
    EXPECT_EQ(labelText(machineWindow(), "Rahat"), QStringLiteral("50"));
    EXPECT_EQ(labelText(machineWindow(), "Voitto"), QStringLiteral("0"));
    EXPECT_EQ(labelText(machineWindow(), "ViimVoit"), QStringLiteral("2"));
    EXPECT_EQ(folder.jackpotOnDisk(), 500);

    // The edit box has the focus; a long name with Finnish letters is typed
    // and entered with Alt+O, which leaves the focus where it is.
    EXPECT_EQ(dialog.focusWidget(), edit());
    typeText(edit(), QString::fromUtf8("Åke Pitkänimi"));
    QTest::keyClick(dialog.windowHandle(), Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }, 2000));
    EXPECT_TRUE(game->form2().isVisible());
    EXPECT_EQ(dialog.focusWidget(), edit());
    EXPECT_EQ(edit()->text(), QString::fromUtf8("Åke Pitkänimi"));

    // The name went in cut to ten characters, below the equal and above the
    // smaller scores; the old row 10 is gone. The same in the file.
    EXPECT_EQ(row(8), "Sini 3 mk");
    EXPECT_EQ(row(9), "Åke Pitkän 2 mk");
    EXPECT_EQ(row(10), "Väinö 1 mk");
    const QByteArray list = folder.readBytes(QStringLiteral("LIST.VRK"));
    EXPECT_TRUE(list.contains("Sini\r\n2001\r\n\xC5ke Pitk\xE4n\r\n2000\r\nV\xE4in\xF6\r\n1999\r\n")) << list.toStdString();
    EXPECT_TRUE(list.endsWith("1999\r\n"));
    EXPECT_FALSE(list.contains("Anneli"));
    EXPECT_FALSE(machineWindow().isEnabled());

    // A new game: 50 credits, bet 1, and the machine takes clicks again.
    newGame();
    EXPECT_EQ(labelText(machineWindow(), "Pano"), QStringLiteral("1"));
    EXPECT_EQ(labelText(machineWindow(), "Rahat"), QStringLiteral("50"));

    // Next time the dialog shows the last name, and the focus is back in the
    // edit box. Tab to OK and back selects the whole name, so typing
    // replaces it. Return in the edit box does nothing; on OK it enters.
    cashOutTwo();
    EXPECT_EQ(edit()->text(), QString::fromUtf8("Åke Pitkänimi"));
    EXPECT_EQ(dialog.focusWidget(), edit());
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), control(dialog, "Button1"));
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), edit());
    EXPECT_EQ(edit()->selectedText(), edit()->text());
    typeText(edit(), QStringLiteral("Eeva"));
    EXPECT_EQ(edit()->text(), QStringLiteral("Eeva"));
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Return);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Escape);
    pump(50);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Tab);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(row(9), "Åke Pitkän 2 mk");
    EXPECT_EQ(row(10), "Eeva 2 mk");
    EXPECT_TRUE(folder.readBytes(QStringLiteral("LIST.VRK")).endsWith("Eeva\r\n2000\r\n"));
    // Focus stays on OK for the next showing (a click or Return left it there).
    EXPECT_EQ(dialog.focusWidget(), control(dialog, "Button1"));
}

TEST_F(FlowTest, AboutBoxUusiPeliTitleBarClosesAndExit) {
    start();
    TForm2& scores = game->form2();
    click(machineWindow(), "Button6");  // nothing won: straight to the list
    ASSERT_TRUE(scores.isVisible());
    ASSERT_TRUE(waitForActive(&scores));
    // Focus on Exit at first; the rows as loaded.
    EXPECT_EQ(scores.focusWidget(), control(scores, "Button1"));
    EXPECT_EQ(row(1), "Zadiz 120 mk");
    EXPECT_EQ(row(2), "Päivi 100 mk");

    // The credit line plays the jackpot sound.
    QTest::mouseClick(control(scores, "Label34"), Qt::LeftButton);
    EXPECT_EQ(players.count("play:satan"), 1);

    // About...: the box comes up, the list takes no input until its OK.
    click(scores, "Button3");
    TForm4& about = game->form4();
    ASSERT_TRUE(about.isVisible());
    EXPECT_FALSE(scores.isEnabled());
    click(scores, "Button1");  // Exit, ignored
    QTest::mouseClick(control(scores, "Label34"), Qt::LeftButton);
    EXPECT_EQ(players.count("play:satan"), 1);
    EXPECT_TRUE(machineWindow().isVisible());
    scores.close();  // the title bar's close, ignored while the box is open
    EXPECT_TRUE(scores.isVisible());
    ASSERT_TRUE(waitForActive(&about));
    EXPECT_EQ(about.focusWidget(), control(about, "Button1"));
    QTest::keyClick(about.windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(scores.isEnabled());

    // The about box's own close button does what OK does; so does Alt+O.
    click(scores, "Button3");
    about.close();
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(scores.isEnabled());
    click(scores, "Button3");
    ASSERT_TRUE(waitForActive(&about));
    QTest::keyClick(about.windowHandle(), Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return !about.isVisible(); }, 2000));
    EXPECT_TRUE(scores.isEnabled());

    // After the about box the focus is back on About..., where it was; Return
    // with no button focused presses About... too (the default button).
    EXPECT_EQ(scores.focusWidget(), control(scores, "Button3"));
    scores.focusWidget()->clearFocus();
    QTest::keyClick(scores.windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(about.isVisible());
    click(about, "Button1");
    // Escape does nothing in the list.
    QTest::keyClick(scores.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(scores.isVisible());

    // The list's close button is "Uusi peli": nothing is left disabled.
    scores.close();
    EXPECT_FALSE(scores.isVisible());
    EXPECT_TRUE(machineWindow().isEnabled());

    // Exit closes the machine window, and with it the program.
    click(machineWindow(), "Button6");
    ASSERT_TRUE(scores.isVisible());
    QSignalSpy closed(&machineWindow(), &TForm1::closed);
    const QByteArray list = folder.readBytes(QStringLiteral("LIST.VRK"));
    click(scores, "Button1");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(machineWindow().isVisible());
    EXPECT_FALSE(gambleTimer(machineWindow()).isActive());
    EXPECT_EQ(folder.readBytes(QStringLiteral("LIST.VRK")), list);  // nothing saved at exit
}

TEST_F(FlowTest, ClosingTheNameDialogSkipsTheEntry) {
    start();
    cashOutTwo();
    const QByteArray list = folder.readBytes(QStringLiteral("LIST.VRK"));
    typeText(edit(), QStringLiteral("Nobody"));
    game->form3().close();
    EXPECT_FALSE(game->form3().isVisible());
    EXPECT_TRUE(game->form2().isVisible());
    EXPECT_TRUE(game->form2().isEnabled());
    EXPECT_EQ(row(10), "Anneli 0 mk");
    EXPECT_EQ(folder.readBytes(QStringLiteral("LIST.VRK")), list);
    newGame();
}

TEST_F(FlowTest, ASecondOkAfterAFailedSaveSavesWithoutEnteringTwice) {
    start();
    BoxAnswerer boxes;
    cashOutTwo();
    typeText(edit(), QStringLiteral("Aino"));
    folder.blockFile(QStringLiteral("LIST.VRK"));
    click(game->form3(), "Button1");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(), "File access denied.");
    EXPECT_TRUE(boxes.boxes[0].disabledWindows.contains(QStringLiteral("Form3")));
    // The save failed: the dialog stays, the list window stays hidden, but the
    // entry is in the table and in the rows already.
    EXPECT_TRUE(game->form3().isVisible());
    EXPECT_TRUE(game->form3().isEnabled());
    EXPECT_FALSE(game->form2().isVisible());
    EXPECT_EQ(row(9), "Aino 2 mk");

    folder.unblockFile(QStringLiteral("LIST.VRK"));
    click(game->form3(), "Button1");
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(game->form3().isVisible());
    EXPECT_TRUE(game->form2().isVisible());
    EXPECT_EQ(row(9), "Aino 2 mk");
    EXPECT_EQ(row(10), "Väinö 1 mk");
    const QByteArray list = folder.readBytes(QStringLiteral("LIST.VRK"));
    EXPECT_EQ(list.count("Aino"), 1);
    EXPECT_EQ(list.count("\r\n"), 20);
}

}  // namespace
}  // namespace vornakka::test
