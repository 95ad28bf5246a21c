#include "reel_spins.h"

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <algorithm>

#include "tools/ready_for_a_spin.h"
#include "vornakka/slot_machine.h"

namespace vornakka::bench {

GameRun::GameRun() {
    game.show();
    settle(300);
}

std::vector<Spin> GameRun::spins(int wanted) {
    TForm1& window = game.form1();
    QTimer& reelTimer = reelTimerOf(window);
    TickStamps stamps(reelTimer);
    std::vector<Spin> out;
    int ticks = 0;
    while (ticks < wanted) {
        tools::readyForASpin(game);
        QApplication::processEvents();
        stamps.stamps.clear();
        Spin spin;
        spin.start = monotonicNs();
        start->click();
        const auto n = game.machine().state().spinCount;
        spin.idealTicks = std::max({n[0], n[1], n[2]}) + 1;
        while (reelTimer.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        spin.ticks = stamps.stamps;
        ticks += static_cast<int>(spin.ticks.size());
        out.push_back(std::move(spin));
    }
    return out;
}

BareRun::BareRun() {
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
    settle(300);
}

std::vector<Spin> BareRun::spins(const std::vector<int>& lengths) {
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

std::vector<int> lengthsOf(const std::vector<Spin>& spins) {
    std::vector<int> out;
    for (const Spin& s : spins) out.push_back(s.idealTicks);
    return out;
}

}  // namespace vornakka::bench
