// Measures the real period of the machine window's 10 ms reel timer while the
// reels spin: plays spins through the window's own buttons until the timer
// has ticked a given number of times, then prints the mean and the worst
// interval between two ticks and the worst lateness of a tick against the
// ideal 10 ms grid that starts at its spin's first tick.
//   vornakka_reel_timer_probe [TICKS]        (default 400)
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "game_folder.h"
#include "quiet_players.h"
#include "ready_for_a_spin.h"
#include "shell/game.h"
#include "vornakka/slot_machine.h"

using namespace vornakka;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tools::quietOffscreenMessages();
    QApplication app(argc, argv);
    prepareApplication(app);
    const int wanted = argc > 1 ? std::max(50, std::atoi(argv[1])) : 400;

    // A scratch folder with a jackpot and an empty list.
    test::ScratchGameFolder folder;
    folder.writeJackpot(0);
    folder.writeList();

    tools::QuietPlayers players;
    FixedClock clock(TimeOfDay{9, 30, 15, 250});
    Game game(clock, players);
    game.show();
    TForm1& window = game.form1();
    QPushButton* start = window.findChild<QPushButton*>("Button2");

    QElapsedTimer clockMs;
    clockMs.start();
    std::vector<std::vector<qint64>> spins;  // tick times in microseconds, one list a spin
    const QTimer* reelTimer = window.findChild<QTimer*>(QStringLiteral("Timer2"));
    if (reelTimer == nullptr) return 1;
    QObject::connect(reelTimer, &QTimer::timeout, [&] { spins.back().push_back(clockMs.nsecsElapsed() / 1000); });

    int ticks = 0;
    while (ticks < wanted) {
        tools::readyForASpin(game);
        spins.emplace_back();
        start->click();
        while (reelTimer->isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ticks += static_cast<int>(spins.back().size());
    }

    double sum = 0;
    int count = 0;
    qint64 worst = 0;
    qint64 worstLate = 0;
    for (const auto& spin : spins) {
        for (std::size_t i = 1; i < spin.size(); ++i) {
            const qint64 interval = spin[i] - spin[i - 1];
            sum += static_cast<double>(interval);
            ++count;
            worst = std::max(worst, interval);
            const qint64 ideal = spin[0] + static_cast<qint64>(i) * 10000;  // from the spin's first tick
            worstLate = std::max(worstLate, spin[i] - ideal);
        }
    }
    std::printf("reel timer: %d ticks in %zu spins, mean %.3f ms, worst interval %.3f ms, "
                "worst lateness against the 10 ms grid %.3f ms\n",
                count, spins.size(), sum / count / 1000.0, static_cast<double>(worst) / 1000.0,
                static_cast<double>(worstLate) / 1000.0);
    return 0;
}
