// The baselines: bare Qt programs that do the least a window can do.
//   bare_window label   one label; prints "first-paint-ms <ms>" measured from
//                       BENCH_LAUNCH_NS (CLOCK_MONOTONIC) once the first
//                       paint is done, and leaves
#include <time.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double monotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

struct FirstPaint : QObject {
    double launched = 0;
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && !seen) {
            seen = true;
            QTimer::singleShot(0, [this] {
                std::printf("first-paint-ms %.3f\n", (monotonicNs() - launched) / 1e6);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || std::strcmp(argv[1], "label") != 0) {
        std::fprintf(stderr, "usage: %s label\n", argv[0]);
        return 2;
    }
    FirstPaint first;
    const char* launched = std::getenv("BENCH_LAUNCH_NS");
    first.launched = launched ? std::atof(launched) : monotonicNs();
    QLabel label(QStringLiteral("Vornakka"));
    label.resize(200, 50);
    label.installEventFilter(&first);
    label.show();
    return QApplication::exec();
}
