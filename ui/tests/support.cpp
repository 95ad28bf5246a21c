#include "support.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <algorithm>

#include "Vorna/vorna.h"
#include "scripted_random.h"
#include "vornakka/failure.h"
#include "vornakka/strips.h"

namespace vornakka::test {

// ------------------------------------------------------------------ folder

QByteArray GameFolder::readBytes(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

std::int32_t GameFolder::jackpotOnDisk() const {
    const QByteArray b = readBytes(QStringLiteral("VORNA.DAT"));
    if (b.size() != 4) return -1;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[i]);
    return static_cast<std::int32_t>(v);
}

void GameFolder::blockFile(const QString& name) const {
    QFile::remove(file(name));
    QDir(path()).mkpath(name);
    QFile inside(file(name + "/keep"));
    if (!inside.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot block " + name.toStdString());
}

void GameFolder::unblockFile(const QString& name) const { QDir(file(name)).removeRecursively(); }

// ----------------------------------------------------------------- players

void RecordingPlayers::open(SoundCue cue) {
    calls.push_back(std::string("open:") + soundCueName(cue));
    if (failOpen && *failOpen == cue) throw MediaError("System error : No such file or directory.");
}

std::vector<std::string> RecordingPlayers::opened() const {
    std::vector<std::string> names;
    for (const std::string& c : calls) {
        if (c.rfind("open:", 0) == 0) names.push_back(c.substr(5));
    }
    return names;
}

int RecordingPlayers::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

// ------------------------------------------------------------------- boxes

BoxAnswerer::BoxAnswerer(int holdMs) : holdMs_(holdMs) {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::poll);
    timer_.start(5);
}

namespace {

std::vector<QMessageBox*> boxesOnScreen() {
    std::vector<QMessageBox*> up;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* b = qobject_cast<QMessageBox*>(w); b != nullptr && b->isVisible()) up.push_back(b);
    }
    return up;
}

}  // namespace

bool aBoxIsUp() { return !boxesOnScreen().empty(); }

void BoxAnswerer::poll() {
    const std::vector<QMessageBox*> onScreen = boxesOnScreen();
    const int up = static_cast<int>(onScreen.size());
    QMessageBox* box = onScreen.empty() ? nullptr : onScreen.back();
    mostBoxesAtOnce = std::max(mostBoxesAtOnce, up);
    if (box == nullptr) {
        current_ = nullptr;
        return;
    }
    if (box != current_) {
        current_ = box;
        since_ = std::chrono::steady_clock::now();
        Box seen{box->windowTitle(), box->text(), box->icon(), {}, {}, {}, up, {}};
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
        const QWindow* owner = box->windowHandle() != nullptr ? box->windowHandle()->transientParent() : nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (owner != nullptr && w->windowHandle() == owner) seen.owner = w->objectName();
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w == box || !w->isVisible()) continue;
            (w->isEnabled() ? seen.enabledWindows : seen.disabledWindows) << w->objectName();
        }
        boxes.push_back(seen);
    }
    if (std::chrono::steady_clock::now() - since_ < std::chrono::milliseconds(holdMs_)) return;
    if (beforeClose) beforeClose();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->click();
    } else {
        box->reject();
    }
    current_ = nullptr;
}

// ------------------------------------------------------------------ timing

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

// ------------------------------------------------------------------- seeds

std::uint32_t seedForSpin(const MachineState& s, const std::function<bool(char, char, char)>& want) {
    return seedForSpin(s.reelPos, s.held, want);
}

std::uint32_t seedForGamble(const MachineState& s, char middleFace) { return seedForGamble(s.facePos[1], middleFace); }

void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        const auto key = ch.isLetterOrNumber() && ch.unicode() < 128 ? static_cast<Qt::Key>(ch.toUpper().unicode())
                                                                     : (ch == u' ' ? Qt::Key_Space : Qt::Key_unknown);
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(ch), Qt::NoModifier);
    }
}

bool waitForActive(QWidget* window, int timeoutMs) {
    return waitUntil([window] { return QApplication::activeWindow() == window; }, timeoutMs);
}

void click(QWidget& window, const char* button) {
    if (auto* b = control<QPushButton>(window, button)) QTest::mouseClick(b, Qt::LeftButton);
}

// -------------------------------------------------------------------- game

const std::vector<std::pair<std::string, std::int32_t>> GameTest::kList = {
    {"Zadiz", 120}, {"P\xE4ivi", 100}, {"Jussi", 90}, {"Sirkka", 80}, {"Heikki", 70},
    {"Tuula", 60},  {"Jyrki", 50},     {"Sini", 3},   {"V\xE4in\xF6", 1}, {"Anneli", 0},
};

GameTest::GameTest() {
    folder.writeJackpot(500);
    folder.writeList(kList);
}

GameTest::~GameTest() {
    game.reset();
    startUpBoxes.reset();
}

void GameTest::start() {
    startUpBoxes = std::make_unique<BoxAnswerer>();
    game = std::make_unique<Game>(clock, players, &random);
    startUpBoxes->stop();
    game->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&game->form1(), 15000));
}

TForm1& GameTest::machineWindow() { return game->form1(); }

void GameTest::waitForReels() {
    ASSERT_TRUE(waitUntil([this] { return !reelTimer(machineWindow()).isActive(); }));
}

void GameTest::spinTo(const std::function<bool(char, char, char)>& want) {
    random.reseed(seedForSpin(state(), want));
    click(machineWindow(), "Button2");
    ASSERT_TRUE(reelTimer(machineWindow()).isActive());
    waitForReels();
}

}  // namespace vornakka::test
