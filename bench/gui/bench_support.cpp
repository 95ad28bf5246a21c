#include "bench_support.h"

#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>

#include "output_choice.h"
#include "shell/game.h"

namespace vornakka::bench {

double processCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

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

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

Scratch::Scratch() : ScratchGameFolder("vornakka-bench") {
    writeJackpot(500);
    writeList(Rows(10, {"Pelaaja", 2}));
    copyIn(VORNAKKA_ASSETS, {"Wavs"});
}

namespace {

QTimer& timerNamed(QObject& window, const char* name) {
    auto* timer = window.findChild<QTimer*>(QString::fromLatin1(name));
    if (timer == nullptr) std::exit(2);
    return *timer;
}

}  // namespace

QTimer& reelTimerOf(QObject& machineWindow) { return timerNamed(machineWindow, "Timer2"); }
QTimer& gambleTimerOf(QObject& machineWindow) { return timerNamed(machineWindow, "Timer1"); }

TickStamps::TickStamps(QTimer& timer) : timer_(timer) { timer.installEventFilter(this); }

bool TickStamps::eventFilter(QObject* object, QEvent* event) {
    if (object == &timer_ && event->type() == QEvent::Timer) stamps.push_back(monotonicNs());
    return false;
}

void prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ALSOFT_DRIVERS") && qEnvironmentVariableIsEmpty("BENCH_SOUND_SERVER")) {
        qputenv("ALSOFT_DRIVERS", "null");
    }
    detail::prepareAudioEnvironment();
}

int countArgument(int argc, char** argv, int otherwise) {
    const int number = argc > 1 ? std::atoi(argv[1]) : 0;
    return number > 0 ? number : otherwise;
}

int runFigure(int argc, char** argv, int otherwise, int (*measure)(int count)) {
    prepareEnvironment();
    QApplication app(argc, argv);
    prepareApplication(app);
    return measure(countArgument(argc, argv, otherwise));
}

}  // namespace vornakka::bench
