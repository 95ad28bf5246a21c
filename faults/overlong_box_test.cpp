// A LIST.VRK whose first score line is megabytes long, met by the real game at
// start-up: the start-up stops promptly, and the failure box quotes the first
// 200 characters of the line followed by "...", not the megabytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <string>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "shell/game.h"
#include "tools/quiet_players.h"
#include "vornakka/slot_machine.h"

namespace vornakka {
namespace {

TEST(OverlongInput, TheFailureBoxQuotesTheFirst200CharactersOfAScoreLineOfMegabytes) {
    QTemporaryDir dir;
    {
        QFile jackpot(dir.filePath(QStringLiteral("VORNA.DAT")));
        ASSERT_TRUE(jackpot.open(QIODevice::WriteOnly));
        jackpot.write(QByteArray("\x64\x00\x00\x00", 4));
        QFile list(dir.filePath(QStringLiteral("LIST.VRK")));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("Pitka\r\n");
        const QByteArray chunk(1 << 20, '9');
        for (int mb = 0; mb < 8; ++mb) list.write(chunk);  // 8 MB of digits: far out of range
        list.write("\r\n");
        for (int row = 2; row <= 10; ++row) list.write("Row\r\n2000\r\n");
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());

    // Answers the failure box as soon as it is up, keeping its text.
    QString shown;
    int boxes = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            ++boxes;
            box->accept();
        }
    });
    answer.start(5);

    tools::QuietPlayers players;
    FixedClock clock(TimeOfDay{10, 0, 0, 0});
    QElapsedTimer took;
    took.start();
    auto game = std::make_unique<Game>(clock, players);
    const qint64 ms = took.elapsed();
    answer.stop();

    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(shown.toStdString(), "'" + std::string(200, '9') + "...' is not a valid integer value.");
    EXPECT_LT(ms, 5000) << "start-up took " << ms << " ms";
    // The start-up stopped at the list: the machine shows a fresh game.
    EXPECT_EQ(game->machine().state().credits, 50);
    // The high-score window shows the rows as they were left: no names.
    for (const char* name : {"Label1", "Label2"}) {
        const auto* row = game->form2().findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(row, nullptr) << name;
        EXPECT_EQ(row->text(), "") << name;
    }
    game.reset();
    QDir::setCurrent(previous);
}

}  // namespace
}  // namespace vornakka
