// For the tools that play spins through the windows' own buttons: gets the
// machine window ready for the next spin as a player would, with a new game
// from the high-score window when the game is over, or the win collected
// when one is on offer.
#pragma once

#include <QPushButton>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "shell/game.h"
#include "vornakka/slot_machine.h"

namespace vornakka::tools {

inline void readyForASpin(Game& game) {
    if (!game.form1().isEnabled()) {
        game.form2().findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    } else if (game.machine().condition() == MachineCondition::WinOffered) {
        game.form1().findChild<QPushButton*>(QStringLiteral("Button6"))->click();
    }
}

}  // namespace vornakka::tools
