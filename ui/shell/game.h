// The game as a whole: the slot machine, its two data files, the four windows
// and the failure boundary they share. main() runs it with the system clock
// and the game's sound; the GUI tests run the very same thing with a clock
// of their choosing, recording players and a random source of their own.
#pragma once

#include <QApplication>
#include <memory>

#include "shell/event_boundary.h"
#include "shell/forms.h"
#include "vornakka/high_score_table.h"
#include "vornakka/jackpot_file.h"
#include "vornakka/random_source.h"

namespace vornakka {

class Clock;
class SlotMachine;
class SoundPlayers;

class Game {
public:
    // Builds the windows in their order, each opening its sound players while
    // it is built and then running its creation handler: the machine window
    // (its ten players, then the machine's start-up), the high-score window
    // (satan, then its rows), the name dialog and the about box. All stay
    // hidden. A player that cannot be opened throws WindowBuildError. Without
    // a random source handed in, the game uses one of its own.
    Game(Clock& clock, SoundPlayers& sounds, RandomSource* random = nullptr);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Shows the machine window alone.
    void show();

    TForm1& form1() { return *forms_.form1; }
    TForm2& form2() { return *forms_.form2; }
    TForm3& form3() { return *forms_.form3; }
    TForm4& form4() { return *forms_.form4; }
    SlotMachine& machine() { return *machine_; }

private:
    EventBoundary boundary_;
    RandomSource random_;
    JackpotFile jackpot_;
    HighScoreTable highScores_;
    Forms forms_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<SlotMachine> machine_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
};

// The application's title, icon and fonts; the program ends when the machine
// window closes, not when its last window does.
void prepareApplication(QApplication& app);

// The whole program after QApplication: builds the game on the players and
// runs the event loop until the machine window closes. A window that cannot
// be built (a player that cannot be opened) shows the "Application Error"
// box and gives exit code 1.
int runGame(QApplication& app, Clock& clock, SoundPlayers& players);

}  // namespace vornakka
