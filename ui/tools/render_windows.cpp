// Renders the game's four windows to PNG files, as the offscreen platform
// draws them (client areas, without the window manager's frames):
//   vornakka_render_windows ASSETS_DIR OUT_DIR
// The game runs in a scratch folder seeded with ASSETS_DIR/VORNA.DAT and
// LIST.VRK, at a fixed time of day, so the pictures are the same every run.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "game_folder.h"
#include "quiet_players.h"
#include "shell/game.h"
#include "vornakka/slot_machine.h"

using namespace vornakka;

namespace {

bool save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ASSETS_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tools::quietOffscreenMessages();
    QApplication app(argc, argv);
    prepareApplication(app);

    const QString assets = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);
    test::ScratchGameFolder folder;
    try {
        folder.copyIn(assets.toStdString(), {"VORNA.DAT", "LIST.VRK"});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot seed a game folder from %s: %s\n", qPrintable(assets), e.what());
        return 1;
    }

    tools::QuietPlayers players;
    FixedClock clock(TimeOfDay{12, 0, 0, 0});
    Game game(clock, players);
    game.show();
    bool ok = save(game.form1(), out + "/machine-window.png");

    // One spin, so the reels show their letters in colour.
    game.form1().findChild<QPushButton*>("Button2")->click();
    const QTimer* reelTimer = game.form1().findChild<QTimer*>(QStringLiteral("Timer2"));
    waitFor([&] { return reelTimer == nullptr || !reelTimer->isActive(); }, 5000);
    ok = save(game.form1(), out + "/machine-window-after-spin.png") && ok;

    game.form2().showWindow();
    ok = save(game.form2(), out + "/high-score-window.png") && ok;
    game.form2().hide();

    game.form3().open(300);
    game.form3().showWindow();
    ok = save(game.form3(), out + "/name-dialog.png") && ok;
    game.form3().hide();

    game.form4().showWindow();
    ok = save(game.form4(), out + "/about-box.png") && ok;
    game.form4().hide();

    return ok ? 0 : 1;
}
