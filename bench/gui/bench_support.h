// What the benchmarks of the game's windows share: clocks, the figures'
// printing, a scratch game folder, tick stamps and the program's start.
//
// Every line of output is "figure: value [unit] | baseline: value | ratio: r".
// The game runs in a scratch folder with fresh data files and the committed
// wave files. Set QT_QPA_PLATFORM (offscreen, or xcb with DISPLAY) to choose
// the platform; XSERVER_PID names the X server whose CPU time to add.
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "first_paint.h"
#include "game_folder.h"

class QTimer;

namespace vornakka::bench {

double processCpuMs();
// CPU time of another process (the X server), from /proc, in ms.
double otherCpuMs(long pid);
long xServerPid();
// Every time a thread of this process was switched out: each sleep it woke
// from, and each time it was pre-empted.
long contextSwitches();

// The platform's name, and the sound server's the run is meant for.
std::string platform();
void figure(const std::string& name, double value, const char* unit, double baseline, const std::string& target);
double median(std::vector<double> v);

// Runs the event loop for a while, sleeping when there is nothing to do.
void settle(int ms);

// A game folder with a jackpot, a full list and the committed wave files,
// the working directory while it lives.
class Scratch : public test::ScratchGameFolder {
public:
    Scratch();
};

// The machine window's timers, found by their names: Timer2 moves the reels,
// Timer1 beats the double-up.
QTimer& reelTimerOf(QObject& machineWindow);
QTimer& gambleTimerOf(QObject& machineWindow);

// Timestamps the timer's ticks as they arrive, before its slots run.
class TickStamps : public QObject {
public:
    explicit TickStamps(QTimer& timer);
    std::vector<double> stamps;  // ns

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QTimer& timer_;
};

// As the program starts: offscreen unless QT_QPA_PLATFORM says otherwise,
// OpenAL's silent device unless the run is meant for the sound server the
// environment names (BENCH_SOUND_SERVER), then the sound server's names and
// OpenAL's back-ends. Before the application object.
void prepareEnvironment();

// The number the command line gives (the first argument), or `otherwise`.
int countArgument(int argc, char** argv, int otherwise);

// A benchmark program's whole run: the environment, an application prepared
// as the game's, and the figure measured over the number the command line
// gives (or `otherwise`); the figure's result is the exit status.
int runFigure(int argc, char** argv, int otherwise, int (*measure)(int count));

}  // namespace vornakka::bench
