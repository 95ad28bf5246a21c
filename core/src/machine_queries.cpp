// What the windows, the speech and the tools ask of the machine.
#include "vornakka/slot_machine.h"

#include "vornakka/money.h"

namespace vornakka {

namespace {

std::size_t idx(int reel) { return static_cast<std::size_t>(reel - 1); }

}  // namespace

ShownPaytable SlotMachine::paytableAt(std::int32_t bet) {
    ShownPaytable shown;
    for (std::size_t i = 0; i < kPaytableLines.size(); ++i) {
        const PaytableLine& line = kPaytableLines[i];
        shown[i] = {line, bet * kPaytable[idx(line.row)].multiplier};
    }
    return shown;
}

Counters SlotMachine::counters() const {
    Counters c;
    c.bet = s_.bet;
    c.credits = s_.credits;
    c.winnings = s_.winnings;
    c.lastWin = s_.lastWin;
    c.jackpot = s_.jackpot;
    for (const ShownPaytableLine& shown : paytableAt(s_.bet)) c.amounts[idx(shown.line.box)] = shown.amount;
    return c;
}

MachineCondition SlotMachine::condition() const {
    if (!s_.doubleClosed) return MachineCondition::WinOffered;
    if (s_.gambleSpinning || s_.gambleChoice != kNoGuess) return MachineCondition::Gambling;
    return s_.allStopped() ? MachineCondition::Idle : MachineCondition::Spinning;
}

GamblePhase SlotMachine::gamblePhase() const {
    if (!s_.doubleClosed) return GamblePhase::Offered;
    if (s_.gambleChoice != kNoGuess) return GamblePhase::Guessed;
    return s_.gambleSpinning ? GamblePhase::Turning : GamblePhase::Closed;
}

bool SlotMachine::held(int reel) const { return reel >= 1 && reel <= kReelCount && s_.held[idx(reel)]; }

bool SlotMachine::mayHold(int reel) const {
    return reel >= 1 && reel <= kReelCount && s_.allStopped() && !s_.holdBlocked && s_.lastSpinBet >= s_.bet;
}

Offer SlotMachine::offer() const {
    Offer o;
    const bool idle = s_.allStopped();
    o.changeBet = idle;
    o.spin = idle;
    o.takeWin = !s_.doubleClosed;
    o.endGame = idle && !o.takeWin;
    o.guess = s_.gambleSpinning;
    o.doubleUp = !s_.doubleClosed;
    o.win = mulMoney(s_.pendingWin, s_.doubleFactor);
    return o;
}

bool SlotMachine::gambleNeedsTicks() const { return gamblePhase() == GamblePhase::Guessed; }

std::array<char, 3> SlotMachine::faces() const {
    return {kFaceStrip.at(s_.facePos[0]), kFaceStrip.at(s_.facePos[1]), kFaceStrip.at(s_.facePos[2])};
}

}  // namespace vornakka
