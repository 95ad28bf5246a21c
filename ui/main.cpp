// Vornakka: a three-reel slot machine with a double-up gamble. Runs in the
// game folder, which holds VORNA.DAT, LIST.VRK and the Wavs folder.
#include <QApplication>
#include <cstdio>

#include "shell/game.h"
#include "shell/show_requests.h"
#include "shell/single_game.h"
#include "shell/system_clock.h"
#include "vornakka/game_sound.h"

namespace {

// How long a later start waits for the running game to answer; a game still
// building its windows answers once they are up.
constexpr int kShowWaitMs = 5000;

}  // namespace

int main(int argc, char** argv) {
    // One game per game folder. A later start opens no window, sound or data
    // file: it asks the running game to come to the front and ends.
    vornakka::SingleGame single = vornakka::SingleGame::claim();
    if (single.anotherGameRuns()) {
        if (!single.elsewhere().empty()) {
            std::fprintf(stderr,
                         "vornakka: the game already runs in this folder, %s; it cannot be brought to the front "
                         "from here\n",
                         single.elsewhere().c_str());
            return 0;
        }
        std::fprintf(stderr, "vornakka: %s\n",
                     vornakka::showAnswerMessage(vornakka::askToShowWindows(single, kShowWaitMs)));
        return 0;
    }
    if (!single.notes().empty()) std::fprintf(stderr, "vornakka: %s\n", single.notes().c_str());

    // The sound, before any thread starts: its audio device then opens while
    // Qt starts and the windows are built. It outlives the windows.
    vornakka::GameSound sound;
    QApplication app(argc, argv);
    const vornakka::ShowRequests requests(single.takeListeningSocket());
    vornakka::SystemClock clock;
    return vornakka::runGame(app, clock, sound);
}
