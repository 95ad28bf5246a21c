// Vornakka: a three-reel slot machine with a double-up gamble. Runs in the
// game folder, which holds VORNA.DAT, LIST.VRK and the Wavs folder.
#include <QApplication>
#include <memory>

#include "shell/game.h"
#include "shell/sound_players.h"
#include "shell/system_clock.h"

int main(int argc, char** argv) {
    // The audio device opens while Qt starts and the windows are built.
    const vornakka::OpenAlSoundBank::DeviceWarmUp audio;
    QApplication app(argc, argv);
    vornakka::SystemClock clock;
    return vornakka::runGame(app, clock, [] { return std::make_unique<vornakka::OpenAlPlayers>(); });
}
