#include "shell/game.h"

#include <cxxabi.h>

#include <QFileInfo>
#include <QIcon>
#include <cstdlib>
#include <typeinfo>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "common/fonts.h"
#include "common/pictures.h"
#include "shell/start_up_error.h"
#include "vornakka/failure.h"
#include "vornakka/slot_machine.h"
#include "vornakka/sound_players.h"

namespace vornakka {

Game::Game(Clock& clock, SoundPlayers& sounds, RandomSource* random) {
    // The name dialog and the about box stay hidden until the machine asks
    // for them and use nothing of the other windows before that: they are
    // built first, while the sound device the machine window waits for may
    // still be opening, and get their owners once those exist.
    form3_ = std::make_unique<TForm3>(forms_, boundary_, highScores_);
    forms_.form3 = form3_.get();
    form4_ = std::make_unique<TForm4>(forms_, boundary_);
    forms_.form4 = form4_.get();

    form1_ = std::make_unique<TForm1>(forms_, boundary_, sounds);
    forms_.form1 = form1_.get();
    machine_ = std::make_unique<SlotMachine>(*form1_, form1_->speech(), sounds, jackpot_, highScores_, clock,
                                             random != nullptr ? *random : random_);
    form1_->attach(*machine_);
    form1_->FormCreate();

    form2_ = std::make_unique<TForm2>(forms_, boundary_, sounds, highScores_);
    forms_.form2 = form2_.get();
    form2_->FormCreate();

    // The name dialog stays above the machine window, the about box above
    // the high-score window.
    form3_->setOwner(form1_.get());
    form4_->setOwner(form2_.get());
}

Game::~Game() = default;

void Game::show() { form1_->showWindow(); }

void prepareApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Vornakka"));
    // The desktop entry's id: the Wayland app id, by which the desktop finds
    // the game's name and icon and groups its windows with the launcher. (The
    // X11 WM_CLASS takes the application name, the entry's StartupWMClass.)
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Vornakka"));
    QIcon icon;
    icon.addPixmap(pngPicture(QStringLiteral(":/pictures/icon.png")));
    icon.addPixmap(pngPicture(QStringLiteral(":/pictures/icon-256.png")));
    QApplication::setWindowIcon(icon);
    installFontSubstitutes();
    app.setQuitOnLastWindowClosed(false);
}

namespace {

std::string typeName(const std::exception& e) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    std::string result = status == 0 && name != nullptr ? name : typeid(e).name();
    std::free(name);
    return result;
}

}  // namespace

int runGame(QApplication& app, Clock& clock, SoundPlayers& players) {
    prepareApplication(app);
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    std::unique_ptr<Game> game;
    try {
        game = std::make_unique<Game>(clock, players);
    } catch (const WindowBuildError& e) {
        showApplicationError(applicationErrorText(e.kind(), module, e.address(), e.what()));
        return 1;
    } catch (const Failure& e) {
        showApplicationError(applicationErrorText(e.kind(), module, 0, e.what()));
        return 1;
    } catch (const std::exception& e) {
        showApplicationError(applicationErrorText(typeName(e), module, 0, e.what()));
        return 1;
    }

    QObject::connect(&game->form1(), &TForm1::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    game->show();
    return QApplication::exec();
}

}  // namespace vornakka
