// How the start-up figures are taken, the same in the game's child and in
// the bare window: a monotonic clock the launching process passes on in
// BENCH_LAUNCH_NS, and a filter that prints "first-paint-ms <ms>" once the
// window's first paint has been handled, then ends the program.
#pragma once

#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <cstdio>

namespace vornakka::bench {

inline double monotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

struct FirstPaint : QObject {
    double launched = 0;  // ns
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
};

}  // namespace vornakka::bench
