// Plays the real slot machine at full speed as a player would, with the
// draws scripted: a test, the fault driver, the odds tool or the bench gets
// to the game state it needs only through the machine's own buttons and
// timers, so every state it measures is one the game can reach.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include "scripted_random.h"
#include "vornakka/slot_machine.h"

namespace vornakka::test {

class ScriptedPlayer {
public:
    // `reelTimerOn` tells whether the machine's view has its reel timer on.
    ScriptedPlayer(SlotMachine& machine, RandomSource& random, std::function<bool()> reelTimerOn)
        : m_(machine), random_(random), reelTimerOn_(std::move(reelTimerOn)) {}

    // The next start ends on `line` ('*' and the letters as on the strips).
    void aim(const std::string& line) {
        const auto& s = m_.state();
        random_.reseed(seedForSpin(s.reelPos, s.held, [&](char a, char b, char c) {
            return a == line[0] && b == line[1] && c == line[2];
        }));
    }
    // The next double-up ends with `face` in the middle.
    void aimFace(char face) { random_.reseed(seedForGamble(m_.state().facePos[1], face)); }

    // Ticks the reel timer while it runs; the ticks it took.
    int finishSpin(int limit = 1000) {
        int ticks = 0;
        while (reelTimerOn_() && ticks < limit) {
            m_.reelTick();
            ++ticks;
        }
        return ticks;
    }
    // Ticks the gamble timer while the guess needs it; the ticks it took.
    int finishGamble(int limit = 1000) {
        int ticks = 0;
        while (m_.gambleNeedsTicks() && ticks < limit) {
            m_.gambleTick();
            ++ticks;
        }
        return ticks;
    }
    // A whole spin that ends on `line`.
    void spin(const std::string& line) {
        aim(line);
        m_.pressStart();
        finishSpin();
    }
    // Presses PANOS until the bet is `bet`.
    void setBet(int bet) {
        for (int press = 0; press < 5 && m_.state().bet != bet; ++press) m_.pressBet();
        if (m_.state().bet != bet) throw std::logic_error("the money does not allow bet " + std::to_string(bet));
    }
    // A win of the line at the bet, collected.
    void winAndCollect(int bet, const std::string& line) {
        setBet(bet);
        spin(line);
        if (m_.state().doubleClosed) throw std::logic_error(line + " is no win on offer");
        m_.pressCollect();
    }
    // A right guess on the double-up on offer.
    void doubleRight() {
        aimFace(kSmile);
        m_.pressDouble();
        m_.pressSmile();
        finishGamble();
    }
    // Loses spins, the largest bets first, until the credits are down to
    // `credits`; the bet is left as the last spin had it.
    void loseDownTo(std::int32_t credits) {
        while (m_.state().credits > credits) {
            setBet(static_cast<int>(std::min<std::int32_t>(5, m_.state().credits - credits)));
            spin(kLosingLine);
        }
    }

    static constexpr const char* kLosingLine = "UUU";

private:
    SlotMachine& m_;
    RandomSource& random_;
    std::function<bool()> reelTimerOn_;
};

}  // namespace vornakka::test
