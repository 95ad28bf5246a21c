// The baselines: bare Qt programs that do the least a window can do.
//   bare_window label   one label; prints "first-paint-ms <ms>" measured from
//                       BENCH_LAUNCH_NS (CLOCK_MONOTONIC) once the first
//                       paint is done, and leaves
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/first_paint.h"

using vornakka::bench::FirstPaint;
using vornakka::bench::monotonicNs;

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
