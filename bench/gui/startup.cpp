// Start-up to the first paint of the machine window and peak RSS (median of
// RUNS fresh processes) vs a bare window with one label:
//
//   startup_bench [RUNS]
//
// bench/run.sh runs it; what every figure line says is in bench_support.h.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Vorna/vorna.h"
#include "bench_support.h"
#include "shell/game.h"
#include "vornakka/game_sound.h"

namespace vornakka::bench {
namespace {

// Child: builds the game as the program does, in the folder it was started
// in, and reports the end of the machine window's first paint, then leaves.
int startupChild(QApplication& app, GameSound& sound) {
    const double launched = std::atof(std::getenv("BENCH_LAUNCH_NS") ? std::getenv("BENCH_LAUNCH_NS") : "0");
    FirstPaint first;
    first.launched = launched;

    prepareApplication(app);
    struct Clock final : vornakka::Clock {
        TimeOfDay utcTimeOfDay() override { return {12, 0, 0, 0}; }
    } clock;
    Game game(clock, sound);
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

int startup(const char* self, int runs) {
    Scratch scratch;  // the children start in it
    std::vector<double> gameMs, bareMs, gameKb, bareKb, programKb;
    for (int i = 0; i < runs; ++i) {
        // Alternate, so that a slow moment of the machine hits both.
        const ChildResult g = runChild({self, "child"});
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
}  // namespace vornakka::bench

int main(int argc, char** argv) {
    using namespace vornakka::bench;
    // As the program does: the child makes the game's sound before Qt starts,
    // and its device opens meanwhile. The child has the parent's environment.
    const bool child = argc > 1 && std::strcmp(argv[1], "child") == 0;
    std::optional<vornakka::GameSound> sound;
    if (child) {
        sound.emplace();
    } else {
        prepareEnvironment();
    }
    QApplication app(argc, argv);
    if (child) return startupChild(app, *sound);
    // The children start in a scratch folder: name this program absolutely.
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    return startup(self.c_str(), countArgument(argc, argv, 7));
}
