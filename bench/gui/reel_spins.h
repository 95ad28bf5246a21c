// The reel timer's spins, of the game and of a bare window doing the same
// job, for the benchmarks that measure them (reel timer, tick CPU).
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "bench_support.h"
#include "shell/game.h"
#include "tools/quiet_players.h"

namespace vornakka::bench {

struct Spin {
    double start = 0;  // ns, when the timer was started
    std::vector<double> ticks;
    int idealTicks = 0;  // max step count + 1
};

// Plays spins through the window's own buttons until the reel timer has
// ticked `wanted` times; the measure runs while the spins do.
struct GameRun {
    Scratch scratch;
    tools::QuietPlayers players;
    FixedClock clock{TimeOfDay{9, 30, 15, 250}};
    Game game{clock, players};
    QPushButton* start = game.form1().findChild<QPushButton*>(QStringLiteral("Button2"));

    GameRun();

    std::vector<Spin> spins(int wanted);
};

// The baseline: a bare window whose 10 ms precise timer runs for the same
// numbers of ticks, changing three labels on every tick.
struct BareRun {
    QWidget window;
    QLabel* labels[3];
    QTimer timer;
    int left = 0;
    int letter = 0;

    BareRun();

    std::vector<Spin> spins(const std::vector<int>& lengths);
};

std::vector<int> lengthsOf(const std::vector<Spin>& spins);

}  // namespace vornakka::bench
