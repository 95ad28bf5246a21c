// The game's windows measured beside a bare Qt window doing the same job, in
// the same run:
//
//   gui_bench reel-timer [TICKS]   the real TForm1 reel timer during spins vs a
//                                  bare window's 10 ms precise timer
//                                  (BENCH_VERBOSE=1: each spin's worst tick)
//   gui_bench tick-cpu [TICKS]     CPU time per reel tick during spins (the
//                                  machine's work, the label repaints, the
//                                  event loop; the X server's too under X) vs
//                                  a bare window changing three labels
//   gui_bench gamble-beat [N]      N double-ups after idle spells: how far the
//                                  gamble timer's ticks stray from its 50 ms
//                                  beat when it sleeps between them, vs the
//                                  same timer never sleeping
//   gui_bench idle [SECONDS]       CPU and wake-ups over SECONDS with the game
//                                  open and its OpenAL players open, nothing
//                                  sounding, vs a bare window with one 50 ms
//                                  timer
//   gui_bench startup [RUNS]       start-up to the first paint of the machine
//                                  window and peak RSS (median of RUNS fresh
//                                  processes) vs a bare window with one label
//
// Every line of output is "figure: value [unit] | baseline: value | ratio: r".
// The game runs in a scratch folder with fresh data files and the committed
// wave files. Set QT_QPA_PLATFORM (offscreen, or xcb with DISPLAY) to choose
// the platform; XSERVER_PID names the X server whose CPU time to add.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "shell/game.h"
#include "shell/sound_players.h"
#include "tools/quiet_players.h"
#include "vornakka/audio_setup.h"
#include "vornakka/slot_machine.h"

using namespace vornakka;

namespace {

double monotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

double processCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// CPU time of another process (the X server), from /proc, in ms.
double otherCpuMs(long pid) {
    if (pid <= 0) return 0;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = close + 2; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += line[i];
        }
    }
    // Fields after the name start at "state" (3): utime is 14, stime 15.
    if (fields.size() < 13) return 0;
    const double ticks = std::stod(fields[11]) + std::stod(fields[12]);
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long xServerPid() {
    const char* pid = std::getenv("XSERVER_PID");
    return pid ? std::atol(pid) : 0;
}

// Every time a thread of this process was switched out: each sleep it woke
// from, and each time it was pre-empted.
long contextSwitches() {
    long total = 0;
    QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream in("/proc/self/task/" + task.toStdString() + "/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                total += std::atol(line.c_str() + line.find(':') + 1);
            }
        }
    }
    return total;
}

std::string platform() {
    std::string name = QGuiApplication::platformName().toStdString();
    const char* sound = std::getenv("BENCH_SOUND_SERVER");
    if (sound != nullptr && *sound != '\0') name += std::string(", ") + sound;
    return name;
}

void figure(const std::string& name, double value, const char* unit, double baseline, const std::string& target) {
    std::printf("%s [%s]: %.3f %s | baseline: %.3f %s | ratio: %.2f | target: %s\n", name.c_str(), platform().c_str(),
                value, unit, baseline, unit, baseline > 0 ? value / baseline : 0.0, target.c_str());
}

// A game folder with a jackpot, a full list and the committed wave files.
class Scratch {
public:
    Scratch() {
        QFile jackpot(dir_.filePath("VORNA.DAT"));
        QFile list(dir_.filePath("LIST.VRK"));
        if (!jackpot.open(QIODevice::WriteOnly) || !list.open(QIODevice::WriteOnly)) std::exit(2);
        jackpot.write(QByteArray("\xF4\x01\x00\x00", 4));
        for (int row = 0; row < 10; ++row) list.write("Pelaaja\r\n2000\r\n");
        jackpot.close();
        list.close();
        QDir().mkpath(dir_.filePath("Wavs"));
        const QDir wavs(QStringLiteral(VORNAKKA_ASSETS "/Wavs"));
        for (const QString& name : wavs.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
            QFile::copy(wavs.filePath(name), dir_.filePath(QStringLiteral("Wavs/") + name));
        }
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    ~Scratch() { QDir::setCurrent(previous_); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Timestamps the timer's ticks as they arrive, before its slots run.
class TickStamps : public QObject {
public:
    explicit TickStamps(QTimer& timer) : timer_(timer) { timer.installEventFilter(this); }
    std::vector<double> stamps;  // ns

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == &timer_ && event->type() == QEvent::Timer) stamps.push_back(monotonicNs());
        return false;
    }

private:
    QTimer& timer_;
};

struct Spin {
    double start = 0;  // ns, when the timer was started
    std::vector<double> ticks;
    int idealTicks = 0;  // max step count + 1
};

struct TimerFigures {
    int ticks = 0;
    double meanMs = 0, worstMs = 0, worstLateMs = 0;
    double spinRatioWorst = 0;  // worst |duration / ideal - 1|
    double spinRatioMean = 0;
    int wrongTickCounts = 0;
    int heldUp = 0;     // periods over 14 ms: a tick held up by more than 4 ms
    int offSpins = 0;   // more than 2 % off the ideal duration
};

TimerFigures judge(const std::vector<Spin>& spins) {
    TimerFigures f;
    double sum = 0;
    double ratioSum = 0;
    for (const Spin& s : spins) {
        double previous = s.start;
        for (std::size_t i = 0; i < s.ticks.size(); ++i) {
            const double interval = (s.ticks[i] - previous) / 1e6;
            sum += interval;
            f.worstMs = std::max(f.worstMs, interval);
            if (interval > 14.0) ++f.heldUp;
            const double lateMs = (s.ticks[i] - (s.start + 1e7 * static_cast<double>(i + 1))) / 1e6;
            f.worstLateMs = std::max(f.worstLateMs, lateMs);
            previous = s.ticks[i];
        }
        if (std::getenv("BENCH_VERBOSE") != nullptr) {
            double late = 0;
            std::size_t at = 0;
            for (std::size_t i = 0; i < s.ticks.size(); ++i) {
                const double l = (s.ticks[i] - (s.start + 1e7 * static_cast<double>(i + 1))) / 1e6;
                if (l > late) {
                    late = l;
                    at = i + 1;
                }
            }
            std::printf("  spin of %zu ticks: worst lateness %.3f ms at tick %zu\n", s.ticks.size(), late, at);
        }
        f.ticks += static_cast<int>(s.ticks.size());
        if (static_cast<int>(s.ticks.size()) != s.idealTicks) ++f.wrongTickCounts;
        const double duration = (s.ticks.back() - s.start) / 1e6;
        const double ideal = 10.0 * s.idealTicks;
        const double off = std::abs(duration / ideal - 1.0);
        f.spinRatioWorst = std::max(f.spinRatioWorst, off);
        if (off > 0.02) ++f.offSpins;
        ratioSum += duration / ideal;
    }
    f.meanMs = sum / f.ticks;
    f.spinRatioMean = ratioSum / static_cast<double>(spins.size());
    return f;
}

// Plays spins through the window's own buttons until the reel timer has
// ticked `wanted` times; the measure runs while the spins do.
struct GameRun {
    Scratch scratch;
    tools::QuietPlayers players;
    FixedClock clock{TimeOfDay{9, 30, 15, 250}};
    Game game{clock, players};
    QPushButton* start = game.form1().findChild<QPushButton*>(QStringLiteral("Button2"));
    QPushButton* collect = game.form1().findChild<QPushButton*>(QStringLiteral("Button6"));
    QPushButton* newGame = game.form2().findChild<QPushButton*>(QStringLiteral("Button2"));

    GameRun() {
        game.show();
        settle(300);
    }

    // Runs the event loop for a while, sleeping when there is nothing to do.
    static void settle(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    std::vector<Spin> spins(int wanted) {
        TForm1& window = game.form1();
        TickStamps stamps(window.reelTimer());
        std::vector<Spin> out;
        int ticks = 0;
        while (ticks < wanted) {
            const MachineState& s = game.machine().state();
            if (!window.isEnabled()) {
                newGame->click();
            } else if (!s.doubleClosed) {
                collect->click();
            }
            QApplication::processEvents();
            stamps.stamps.clear();
            Spin spin;
            spin.start = monotonicNs();
            start->click();
            const auto n = game.machine().state().spinCount;
            spin.idealTicks = std::max({n[0], n[1], n[2]}) + 1;
            while (window.reelTimer().isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            spin.ticks = stamps.stamps;
            ticks += static_cast<int>(spin.ticks.size());
            out.push_back(std::move(spin));
        }
        return out;
    }
};

// The baseline: a bare window whose 10 ms precise timer runs for the same
// numbers of ticks, changing three labels on every tick.
struct BareRun {
    QWidget window;
    QLabel* labels[3];
    QTimer timer;
    int left = 0;
    int letter = 0;

    BareRun() {
        window.resize(749, 515);
        for (int i = 0; i < 3; ++i) {
            labels[i] = new QLabel(QStringLiteral("A"), &window);
            labels[i]->setGeometry(32 + 112 * i, 232, 97, 111);
            QFont font(QStringLiteral("Verdana"));
            font.setPixelSize(96);
            font.setBold(true);
            labels[i]->setFont(font);
            labels[i]->setAutoFillBackground(true);
        }
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++letter;
            for (QLabel* l : labels) l->setText(QString(QChar('A' + letter % 26)));
            if (--left <= 0) timer.stop();
        });
        window.show();
        GameRun::settle(300);
    }

    std::vector<Spin> spins(const std::vector<int>& lengths) {
        TickStamps stamps(timer);
        std::vector<Spin> out;
        for (int length : lengths) {
            stamps.stamps.clear();
            Spin spin;
            spin.idealTicks = length;
            left = length;
            spin.start = monotonicNs();
            timer.start();
            while (timer.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            spin.ticks = stamps.stamps;
            out.push_back(std::move(spin));
        }
        return out;
    }
};

std::vector<int> lengthsOf(const std::vector<Spin>& spins) {
    std::vector<int> out;
    for (const Spin& s : spins) out.push_back(s.idealTicks);
    return out;
}

// Spin by spin in turn: a spin of the game, then the bare timer for as many
// ticks (with the game's 50 ms timer stopped), so that a slow spell of the
// machine hits both alike.
int reelTimer(int wanted) {
    std::vector<Spin> gameSpins, bareSpins;
    GameRun run;
    BareRun bare;
    int ticks = 0;
    while (ticks < wanted) {
        const std::vector<Spin> one = run.spins(1);
        run.game.form1().gambleTimer().stop();
        const std::vector<Spin> twin = bare.spins(lengthsOf(one));
        run.game.form1().gambleTimer().start();
        for (const Spin& sp : one) ticks += static_cast<int>(sp.ticks.size());
        gameSpins.insert(gameSpins.end(), one.begin(), one.end());
        bareSpins.insert(bareSpins.end(), twin.begin(), twin.end());
    }
    const TimerFigures g = judge(gameSpins);
    const TimerFigures b = judge(bareSpins);
    std::printf("reel timer [%s]: %d ticks in %zu spins (bare window: %d ticks)\n", platform().c_str(), g.ticks,
                gameSpins.size(), b.ticks);
    figure("reel timer mean period", g.meanMs, "ms", b.meanMs, "10.0 +/- 0.1 ms");
    figure("reel timer worst period", g.worstMs, "ms", b.worstMs, "-");
    figure("reel timer worst lateness vs 10 ms grid", g.worstLateMs, "ms", b.worstLateMs, "<= 4 ms");
    figure("spin duration vs (steps + 1) x 10 ms, worst deviation", 100.0 * g.spinRatioWorst, "%",
           100.0 * b.spinRatioWorst, "<= 2 %");
    figure("spin duration vs (steps + 1) x 10 ms, mean", 100.0 * (g.spinRatioMean - 1.0), "%",
           100.0 * (b.spinRatioMean - 1.0), "-");
    // A tick held up for longer than a period is not made up: the timer goes
    // on from there, so one hold-up of the shared machine makes every later
    // tick of that spin late against the grid. How often a tick was held up
    // says more.
    std::printf("periods over 14 ms (a tick held up more than 4 ms) [%s]: %d of %d | baseline: %d of %d\n",
                platform().c_str(), g.heldUp, g.ticks, b.heldUp, b.ticks);
    std::printf("spins more than 2 %% off ideal [%s]: %d of %zu | baseline: %d of %zu\n", platform().c_str(), g.offSpins,
                gameSpins.size(), b.offSpins, bareSpins.size());
    std::printf("spins whose tick count differed from steps + 1: %d\n", g.wrongTickCounts);
    return g.wrongTickCounts == 0 ? 0 : 1;
}

// ------------------------------------------------------------- gamble beat

// Players that never sound; awake, they keep the gamble timer running for
// ever, as it always ran before it learnt to sleep.
class BeatPlayers final : public SoundPlayers {
public:
    explicit BeatPlayers(bool awake) : awake_(awake) {}
    void open(SoundCue) override {}
    bool idleCheck() override { return awake_; }
    void play(SoundCue) override { played(); }
    void stop(SoundCue) override {}

private:
    bool awake_;
};

struct BeatFigures {
    double medianOffBeatMs = 0;  // a tick's distance from the 50 ms grid of the first tick
    double worstOffBeatMs = 0;
    double worstFirstMoveOffBeatMs = 0;  // the same for each guess's first move
    double worstFirstMoveMs = 0;         // from a guess to the column's first move
    int ticks = 0;
    int doubleUps = 0;
    int wrongTickCounts = 0;
};

// Double-ups, each after an idle spell of its own length (0.2 to 1.3 s), with
// the gamble timer's every tick stamped.
BeatFigures gambleBeat(bool sleeps, int doubleUps) {
    Scratch scratch;
    BeatPlayers players(!sleeps);
    FixedClock clock{TimeOfDay{9, 30, 15, 250}};
    Game game(clock, players);
    TForm1& window = game.form1();
    TickStamps stamps(window.gambleTimer());
    game.show();
    GameRun::settle(300);
    SlotMachine& machine = game.machine();
    BeatFigures f;
    std::vector<std::size_t> firstMoves;
    for (int i = 0; i < doubleUps; ++i) {
        if (!machine.state().doubleClosed) window.Button6Click();  // a won double-up: collect it
        machine.awardWin(1);
        window.Button9Click();
        GameRun::settle(200 + (i * 397) % 1100);
        const int steps = machine.state().gambleSteps;
        const std::size_t before = stamps.stamps.size();
        const double guessed = monotonicNs();
        window.Button7Click();
        while (machine.state().gambleChoice != 3) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const std::size_t moves = stamps.stamps.size() - before;
        if (static_cast<int>(moves) != steps + 1) ++f.wrongTickCounts;
        if (moves > 0) {
            f.worstFirstMoveMs = std::max(f.worstFirstMoveMs, (stamps.stamps[before] - guessed) / 1e6);
            firstMoves.push_back(before);
        }
        ++f.doubleUps;
    }
    const double origin = stamps.stamps.front();
    auto offBeat = [&](double t) {
        const double sinceMs = (t - origin) / 1e6;
        return std::abs(sinceMs - 50.0 * std::round(sinceMs / 50.0));
    };
    std::vector<double> offs;
    for (double t : stamps.stamps) offs.push_back(offBeat(t));
    std::sort(offs.begin(), offs.end());
    f.medianOffBeatMs = offs[offs.size() / 2];
    f.worstOffBeatMs = offs.back();
    for (std::size_t i : firstMoves) {
        f.worstFirstMoveOffBeatMs = std::max(f.worstFirstMoveOffBeatMs, offBeat(stamps.stamps[i]));
    }
    f.ticks = static_cast<int>(stamps.stamps.size());
    return f;
}

int gambleBeat(int doubleUps) {
    const BeatFigures asleep = gambleBeat(true, doubleUps);
    const BeatFigures awake = gambleBeat(false, doubleUps);
    std::printf("gamble beat [%s]: %d double-ups after idle spells; %d ticks of the sleeping timer, %d of the "
                "always-on one (baseline)\n",
                platform().c_str(), asleep.doubleUps, asleep.ticks, awake.ticks);
    figure("gamble timer, ticks off the 50 ms beat, median", asleep.medianOffBeatMs, "ms", awake.medianOffBeatMs,
           "<= 1 ms (the precise timer's granularity) beyond the baseline");
    figure("gamble timer, a guess's first move off the beat, worst", asleep.worstFirstMoveOffBeatMs, "ms",
           awake.worstFirstMoveOffBeatMs, "- (the machine's hold-ups hit both)");
    figure("gamble timer, ticks off the 50 ms beat, worst", asleep.worstOffBeatMs, "ms", awake.worstOffBeatMs,
           "- (the machine's hold-ups hit both)");
    figure("gamble timer, guess to the column's first move, worst", asleep.worstFirstMoveMs, "ms",
           awake.worstFirstMoveMs, "<= 51 ms (a period and the timer's 1 ms)");
    std::printf("double-ups whose tick count differed from steps + 1: %d (baseline %d)\n", asleep.wrongTickCounts,
                awake.wrongTickCounts);
    return asleep.wrongTickCounts == 0 ? 0 : 1;
}

// The game and the bare window take turns, so that a slow spell of the
// machine (this is shared hardware) hits both; each figure is the median of
// the rounds. The game's own 50 ms timer is stopped while the bare window
// runs.
int tickCpu(int wanted) {
    const long xserver = xServerPid();
    constexpr int kRounds = 5;
    GameRun run;
    BareRun bare;
    run.spins(60);  // warm up: fonts, glyph caches
    bare.spins({60});
    std::vector<double> game, gameX, base, baseX;
    int gameTicks = 0, bareTicks = 0;
    for (int round = 0; round < kRounds; ++round) {
        double cpu0 = processCpuMs();
        double x0 = otherCpuMs(xserver);
        const auto spins = run.spins(wanted / kRounds);
        int ticks = 0;
        for (const Spin& sp : spins) ticks += static_cast<int>(sp.ticks.size());
        game.push_back((processCpuMs() - cpu0) / ticks);
        gameX.push_back((processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / ticks);
        gameTicks += ticks;

        run.game.form1().gambleTimer().stop();
        cpu0 = processCpuMs();
        x0 = otherCpuMs(xserver);
        const auto bareSpins = bare.spins(lengthsOf(spins));
        ticks = 0;
        for (const Spin& sp : bareSpins) ticks += static_cast<int>(sp.ticks.size());
        base.push_back((processCpuMs() - cpu0) / ticks);
        baseX.push_back((processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / ticks);
        bareTicks += ticks;
        run.game.form1().gambleTimer().start();
    }
    auto med = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("tick cpu [%s]: %d ticks of the game, %d of the bare window, in %d alternating rounds "
                "(game rounds %.3f..%.3f ms)\n",
                platform().c_str(), gameTicks, bareTicks, kRounds, *std::min_element(game.begin(), game.end()),
                *std::max_element(game.begin(), game.end()));
    figure("CPU per reel tick, game process", med(game), "ms", med(base), "<= 0.5 ms");
    if (xserver > 0) figure("CPU per reel tick, game process + X server", med(gameX), "ms", med(baseX), "<= 0.5 ms");
    return 0;
}

// Three rounds, the game's and the bare window's in turn; medians. Besides
// the CPU, the wake-ups: the context switches of all the process's threads
// (the game's, Qt's, OpenAL's mixer and the sound server's client thread)
// per second. The settle loop's own end is one of them.
int idle(int seconds) {
    const long xserver = xServerPid();
    constexpr int kRounds = 3;
    const double span = seconds * 1000.0;
    std::vector<double> game, gameX, base, baseX, gameWakes, baseWakes;
    for (int round = 0; round < kRounds; ++round) {
        {
            Scratch scratch;
            OpenAlPlayers players;
            struct Clock final : vornakka::Clock {
                TimeOfDay utcTimeOfDay() override { return {12, 0, 0, 0}; }
            } clock;
            Game g(clock, players);
            g.show();
            // Idle means after the welcome sound (1.25 s) and its grace, once
            // the device sleeps. A private PulseAudio's null sink mixes in
            // blocks of up to 2 s and starts pulling the game's stream late,
            // so the sound may end well after 2.5 s: wait for the sleep itself.
            GameRun::settle(1500);
            for (int waited = 0; !players.bank().devicePaused() && waited < 10000; waited += 100) {
                GameRun::settle(100);
            }
            GameRun::settle(500);
            const double cpu0 = processCpuMs();
            const double x0 = otherCpuMs(xserver);
            const long wakes0 = contextSwitches();
            GameRun::settle(seconds * 1000);
            gameWakes.push_back(static_cast<double>(contextSwitches() - wakes0) / seconds);
            game.push_back(100.0 * (processCpuMs() - cpu0) / span);
            gameX.push_back(100.0 * (processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / span);
        }
        QWidget bare;
        bare.resize(749, 515);
        QTimer timer;
        int beats = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++beats; });
        timer.start(50);
        bare.show();
        GameRun::settle(1000);
        const double cpu0 = processCpuMs();
        const double x0 = otherCpuMs(xserver);
        const long wakes0 = contextSwitches();
        GameRun::settle(seconds * 1000);
        baseWakes.push_back(static_cast<double>(contextSwitches() - wakes0) / seconds);
        base.push_back(100.0 * (processCpuMs() - cpu0) / span);
        baseX.push_back(100.0 * (processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / span);
    }
    auto med = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const std::string name = "idle CPU over " + std::to_string(seconds) + " s (median of " +
                             std::to_string(kRounds) + "), game with players open";
    figure(name, med(game), "% of a core", med(base), "<= 1.5 x bare");
    if (xserver > 0) figure(name + ", incl. X server", med(gameX), "% of a core", med(baseX), "<= 1.5 x bare");
    figure("idle wake-ups over " + std::to_string(seconds) + " s (median of " + std::to_string(kRounds) +
               "), all threads; bare: one 50 ms timer",
           med(gameWakes), "/s", med(baseWakes), "<= 1 /s");
    return 0;
}

// ------------------------------------------------------------- start-up

// Child: builds the game as the program does, in the folder it was started
// in, and reports the end of the machine window's first paint, then leaves.
int startupChild(QApplication& app, const std::string& what) {
    const double launched = std::atof(std::getenv("BENCH_LAUNCH_NS") ? std::getenv("BENCH_LAUNCH_NS") : "0");
    struct FirstPaint : QObject {
        double launched;
        bool seen = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint && !seen) {
                seen = true;
                // Reported once this paint has been handled.
                QTimer::singleShot(0, [this] {
                    std::printf("first-paint-ms %.3f\n", (monotonicNs() - launched) / 1e6);
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                });
            }
            return false;
        }
    } first;
    first.launched = launched;

    (void)what;
    prepareApplication(app);
    OpenAlPlayers players;
    struct Clock final : vornakka::Clock {
        TimeOfDay utcTimeOfDay() override { return {12, 0, 0, 0}; }
    } clock;
    Game game(clock, players);
    game.form1().installEventFilter(&first);
    game.show();
    return QApplication::exec();
}

struct ChildResult {
    double firstPaintMs = -1;
    long peakKb = 0;
};

// Runs a program that prints "first-paint-ms <ms>" (measured from the
// launch time it is given) and leaves; or, with a stop time, one that is
// stopped with SIGTERM after that many ms. Either way its peak RSS.
ChildResult runChild(const std::vector<std::string>& command, int stopAfterMs = 0) {
    int fds[2];
    if (::pipe(fds) != 0) std::exit(2);
    char launch[64];
    std::snprintf(launch, sizeof launch, "%.0f", monotonicNs());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        ::setenv("BENCH_LAUNCH_NS", launch, 1);
        std::vector<char*> args;
        for (const std::string& a : command) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    if (stopAfterMs > 0) {
        ::usleep(static_cast<useconds_t>(stopAfterMs) * 1000);
        ::kill(pid, SIGTERM);
    }
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ChildResult r;
    r.peakKb = usage.ru_maxrss;
    if (stopAfterMs == 0 && out.find("first-paint-ms ") == std::string::npos) {
        std::fprintf(stderr, "%s ended with status %d and said: %s\n", command[0].c_str(), status, out.c_str());
    }
    const auto at = out.find("first-paint-ms ");
    if (at != std::string::npos) r.firstPaintMs = std::atof(out.c_str() + at + 15);
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int startup(const char* self, int runs) {
    Scratch scratch;  // the children start in it
    std::vector<double> gameMs, bareMs, gameKb, bareKb, programKb;
    for (int i = 0; i < runs; ++i) {
        // Alternate, so that a slow moment of the machine hits both.
        const ChildResult g = runChild({self, "startup-child", "game"});
        const ChildResult b = runChild({BARE_WINDOW, "label"});
        if (g.firstPaintMs < 0 || b.firstPaintMs < 0) {
            std::fprintf(stderr, "the %s start-up child did not paint\n", g.firstPaintMs < 0 ? "game" : "bare");
            return 1;
        }
        gameMs.push_back(g.firstPaintMs);
        bareMs.push_back(b.firstPaintMs);
        gameKb.push_back(static_cast<double>(g.peakKb));
        bareKb.push_back(static_cast<double>(b.peakKb));
    }
#ifdef VORNAKKA_PROGRAM
    // The game program itself, left running for two seconds.
    for (int i = 0; i < std::min(runs, 3); ++i) {
        const ChildResult p = runChild({VORNAKKA_PROGRAM}, 2000);
        if (p.peakKb < 8 * 1024) {
            std::fprintf(stderr, "the vornakka program did not run (peak RSS %ld kB)\n", p.peakKb);
            return 1;
        }
        programKb.push_back(static_cast<double>(p.peakKb));
    }
#endif
    std::printf("start-up [%s]: median of %d runs each\n", platform().c_str(), runs);
    figure("start-up to first paint", median(gameMs), "ms", median(bareMs), "<= 2 x bare");
    figure("peak RSS at first paint", median(gameKb) / 1024.0, "MB", median(bareKb) / 1024.0, "<= 1.5 x bare");
    if (!programKb.empty()) {
        figure("peak RSS of the vornakka program after 2 s", median(programKb) / 1024.0, "MB", median(bareKb) / 1024.0,
               "<= 1.5 x bare");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // OpenAL's silent device, unless the run is meant for the sound server
    // the environment names (BENCH_SOUND_SERVER).
    if (qEnvironmentVariableIsEmpty("ALSOFT_DRIVERS") && qEnvironmentVariableIsEmpty("BENCH_SOUND_SERVER")) {
        qputenv("ALSOFT_DRIVERS", "null");
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    const int number = argc > 2 ? std::atoi(argv[2]) : 0;
    // As the program does: the sound server's names and OpenAL's back-ends
    // first, then the start-up child opens the audio device while Qt starts.
    prepareAudioEnvironment();
    std::optional<OpenAlSoundBank::DeviceWarmUp> audio;
    if (mode == "startup-child") audio.emplace();
    QApplication app(argc, argv);
    if (mode == "startup-child" && argc > 2) return startupChild(app, argv[2]);
    // The children start in a scratch folder: name this program absolutely.
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    if (mode == "startup") return startup(self.c_str(), number > 0 ? number : 7);
    prepareApplication(app);
    if (mode == "reel-timer") return reelTimer(number > 0 ? number : 400);
    if (mode == "tick-cpu") return tickCpu(number > 0 ? number : 2000);
    if (mode == "idle") return idle(number > 0 ? number : 10);
    if (mode == "gamble-beat") return gambleBeat(number > 0 ? number : 12);
    std::fprintf(stderr, "usage: %s reel-timer|gamble-beat|tick-cpu|idle|startup [N]\n", argv[0]);
    return 2;
}
