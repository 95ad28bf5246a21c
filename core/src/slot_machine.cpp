#include "vornakka/slot_machine.h"

#include <string>

#include "vornakka/money.h"

namespace vornakka {

namespace {

using enum SoundCue;

// Above this, pendingWin x doubleFactor x 2, a win is paid at once: that is,
// amounts of 151 and more are never offered for doubling.
constexpr std::int64_t kAutoPayLimit = 301;

std::size_t idx(int reel) { return static_cast<std::size_t>(reel - 1); }

int wrap(int position, int length) { return position + 1 > length ? 1 : position + 1; }

void fillSymbolColours(MachineState& s) {
    for (int r = 1; r <= kReelCount; ++r) {
        for (int p = 1; p <= kStripLength; ++p) {
            s.symbolColour[idx(r)][idx(p)] = symbolColourOf(kReelStrips[idx(r)].at(p));
        }
    }
}

bool noMoneyLeft(const MachineState& s) { return std::int64_t{s.credits} + s.winnings <= 0; }

}  // namespace

SlotMachine::SlotMachine(MachineView& view, MachineEvents& events, SoundBank& sounds, JackpotStore& jackpotStore,
                         HighScoreStore& highScores, Clock& clock, RandomSource& random)
    : view_(view),
      events_(events),
      sounds_(sounds),
      jackpotStore_(jackpotStore),
      highScores_(highScores),
      clock_(clock),
      random_(random) {
    // The colours are fixed data. Filling them here as well as at start-up
    // keeps the reels in their colours even when start-up was cut short by a
    // missing data file.
    fillSymbolColours(s_);
}

void SlotMachine::stopCues(std::initializer_list<SoundCue> cues) {
    for (SoundCue cue : cues) sounds_.stop(cue);
}

void SlotMachine::refreshCounters() { view_.showCounters(counters()); }

// ---------------------------------------------------------------- start-up

void SlotMachine::startUp() {
    sounds_.play(Welcome);
    random_.reseed(RandomSource::seedFrom(clock_.utcTimeOfDay()));
    s_.jackpot = jackpotStore_.load();
    highScores_.load();
    fillSymbolColours(s_);
    s_.holdBlocked = true;
    resetFaces();
    resetMoney();
    refreshCounters();
    resetReelsAndHolds();
    const HighScoreEntry& best = highScores_.row(1);
    const Text message = "Paras: " + best.name + " " + std::to_string(best.score) + " mk";
    view_.showMessage(message);
    events_.startedUp(message, money());
}

// ---------------------------------------------------------------- reset

void SlotMachine::resetFaces() {
    view_.showFaces(kFaceStrip.at(1), kFaceStrip.at(2), kFaceStrip.at(3));
    s_.doubleFactor = 1;
    s_.gambleChoice = kNoGuess;
    s_.facePos = {1, 2, 3};
}

void SlotMachine::resetMoney() {
    s_.bet = 1;
    s_.credits = 50;
    s_.winnings = 0;
}

void SlotMachine::resetReelsAndHolds() {
    s_.doubleClosed = true;
    s_.gambleSpinning = false;
    for (int r = 1; r <= kReelCount; ++r) {
        s_.held[idx(r)] = false;
        view_.setHoldLamp(r, false);
    }
    for (int r = 1; r <= kReelCount; ++r) {
        s_.reelPos[idx(r)] = static_cast<std::int32_t>(random_.random(kStripLength)) + 1;
    }
    view_.setReelTimer(false);
    s_.stopped = {true, true, true};
}

void SlotMachine::resetMachine() {
    resetFaces();
    resetMoney();
    resetReelsAndHolds();
}

// ---------------------------------------------------------------- bet, holds, spin

void SlotMachine::pressBet() {
    if (!offer().changeBet) return;
    const std::int64_t total = std::int64_t{s_.credits} + s_.winnings;
    const std::int8_t before = s_.bet;
    if (s_.bet < 5 && s_.bet < total && total > 0) {
        s_.bet = static_cast<std::int8_t>(s_.bet + 1);
    } else {
        s_.bet = 1;
    }
    refreshCounters();
    if (s_.bet != before) events_.betChanged(s_.bet);
}

void SlotMachine::pressHold(int reel) {
    if (!s_.allStopped()) return;
    if (reel < 1 || reel > kReelCount) return;
    stopCues({Voitto, Havio, Koss, Kaynnistys});
    sounds_.play(Lukitus);
    if (!mayHold(reel)) return;
    s_.held[idx(reel)] = !s_.held[idx(reel)];
    view_.setHoldLamp(reel, s_.held[idx(reel)]);
}

void SlotMachine::pressStart() {
    if (!offer().spin) return;
    view_.showMessage("");
    stopCues({Koss, Voitto, Havio});
    sounds_.play(Kaynnistys);
    for (int r = 1; r <= kReelCount; ++r) {
        s_.spinCount[idx(r)] = static_cast<std::int32_t>(random_.random(30)) + 30;
    }
    s_.stopped = {false, false, false};
    s_.holdBlocked = false;
    s_.lastSpinBet = s_.bet;
    const std::int64_t total = std::int64_t{s_.credits} + s_.winnings;
    if (total > 0 && total < s_.bet) s_.bet = static_cast<std::int8_t>(total);  // the last money, bet whole
    if (s_.credits < s_.bet) {
        s_.winnings = subMoney(s_.winnings, s_.bet - s_.credits);
        s_.credits = 0;
    } else {
        s_.credits -= s_.bet;
    }
    s_.jackpot = addMoney(s_.jackpot, s_.bet);
    refreshCounters();
    view_.setReelTimer(true);
}

void SlotMachine::reelTick() {
    for (int r = 1; r <= kReelCount; ++r) {
        if (s_.held[idx(r)]) s_.stopped[idx(r)] = true;
    }
    for (int r = 1; r <= kReelCount; ++r) {
        const std::size_t i = idx(r);
        if (s_.stopped[i]) continue;
        if (s_.spinCount[i] <= 0) {
            s_.stopped[i] = true;
        } else {
            --s_.spinCount[i];
        }
        // The reel still moves on the tick on which it stops.
        s_.reelPos[i] = wrap(s_.reelPos[i], kStripLength);
        s_.shownSymbol[i] = kReelStrips[i].at(s_.reelPos[i]);
        view_.showReel(r, s_.shownSymbol[i], s_.symbolColour[i][idx(s_.reelPos[i])]);
    }
    if (!s_.allStopped()) return;

    refreshCounters();
    s_.holdBlocked = s_.held[0] || s_.held[1] || s_.held[2];
    SpinResult result = evaluateLine();
    refreshCounters();
    for (int r = 1; r <= kReelCount; ++r) view_.setHoldLamp(r, false);
    s_.held = {false, false, false};
    view_.setReelTimer(false);
    if (!result.endsGame) {
        result.money = money();
        events_.spinStopped(result);
    }
}

// ---------------------------------------------------------------- paytable

void SlotMachine::gameOver() {
    jackpotStore_.save(s_.jackpot);
    resetMachine();
    events_.gameEnded({GameEnding::MoneyRanOut, 0});
    view_.openHighScores();
}

SpinResult SlotMachine::evaluateLine() {
    SpinResult result;
    result.symbols = s_.shownSymbol;
    result.row = firstMatchingRow(s_.shownSymbol[0], s_.shownSymbol[1], s_.shownSymbol[2]);
    result.jackpot = result.row == kJackpotRow;
    if (result.row != 0) {
        const std::int32_t multiplier =
            result.jackpot ? s_.jackpot / s_.bet : kPaytable[idx(result.row)].multiplier;
        awardWin(multiplier, result);
        if (result.jackpot) {
            for (SoundCue cue : kMachineCues) sounds_.stop(cue);
            sounds_.play(satan);
            s_.jackpot = 0;
        }
        return result;
    }
    stopCues({Voitto, Kaynnistys});
    sounds_.play(Koss);
    if (noMoneyLeft(s_)) {
        // Said before the game ends; a save that fails is tried again, and
        // the spin told again, on the next tick.
        result.endsGame = true;
        result.money = money();
        events_.spinStopped(result);
        gameOver();
    }
    return result;
}

std::int32_t SlotMachine::payOffer() {
    const std::int32_t amount = mulMoney(s_.pendingWin, s_.doubleFactor);
    s_.winnings = addMoney(s_.winnings, amount);
    s_.lastWin = amount;
    s_.doubleFactor = 1;
    s_.stopped = {true, true, true};
    s_.doubleClosed = true;
    refreshCounters();
    return amount;
}

AutomaticPayout SlotMachine::payPastLimit(bool guessSounding) {
    if (std::int64_t{s_.pendingWin} * s_.doubleFactor * 2 <= kAutoPayLimit) return {};
    stopCues({Voitto, Havio, Kaynnistys, Lukitus, Voitonmaksu, Koss});
    sounds_.play(Tuplaus);
    if (guessSounding) sounds_.stop(Ruplaus);
    AutomaticPayout paid;
    paid.message = "Onnea!!!";
    view_.showMessage(paid.message);
    paid.amount = payOffer();
    return paid;
}

void SlotMachine::awardWin(std::int32_t multiplier, SpinResult& result) {
    s_.doubleFactor = 1;
    s_.holdBlocked = true;
    s_.jackpot = subMoney(s_.jackpot, s_.bet);  // the stake the start put in
    stopCues({Havio, Kaynnistys});
    sounds_.play(Voitto);
    result.win = mulMoney(multiplier, s_.bet);
    result.message = "VOITIT " + std::to_string(result.win) + " MK. TUPLAATKO?";
    view_.showMessage(result.message);
    s_.stopped = {false, false, false};
    s_.doubleClosed = false;
    s_.pendingWin = result.win;
    result.payout = payPastLimit(false);
}

// ---------------------------------------------------------------- double-up

void SlotMachine::pressDouble() {
    if (!offer().doubleUp) return;
    stopCues({Voitto, Havio, Kaynnistys});
    sounds_.play(Lukitus);
    s_.doubleClosed = true;
    s_.doubleFactor = mulMoney(s_.doubleFactor, 2);
    DoubleUpStart start;
    start.stake = mulMoney(s_.pendingWin, s_.doubleFactor);
    start.message = "TUPLAUS " + std::to_string(start.stake) + "MK DEPRESSIO/HYMY";
    view_.showMessage(start.message);
    s_.gambleSteps = static_cast<std::int32_t>(random_.random(11)) + 33;
    s_.gambleSpinning = true;
    start.money = money();
    events_.doubleUpStarted(start);
}

void SlotMachine::pressGuess(std::uint8_t choice) {
    if (!offer().guess) return;
    stopCues({Voitto, Havio, Kaynnistys, Lukitus, Voitonmaksu, Koss, Tuplaus});
    sounds_.play(Ruplaus);
    s_.gambleChoice = choice;
}

void SlotMachine::pressSmile() { pressGuess(kSmileGuessed); }
void SlotMachine::pressFrown() { pressGuess(kFrownGuessed); }

void SlotMachine::gambleTick() {
    if (!gambleNeedsTicks()) return;
    if (s_.gambleSpinning) {
        if (s_.gambleSteps <= 0) {
            s_.gambleSpinning = false;
        } else {
            --s_.gambleSteps;
        }
        for (auto& pos : s_.facePos) pos = wrap(pos, kFaceStripLength);
        const std::array<char, 3> shown = faces();
        view_.showFaces(shown[0], shown[1], shown[2]);
    }
    if (!s_.gambleSpinning) decideGamble();
}

void SlotMachine::decideGamble() {
    stopCues({Voitto, Kaynnistys, Lukitus, Voitonmaksu, Koss, Tuplaus, Ruplaus});
    GuessResult result;
    result.face = faces()[1];
    result.right = (result.face == kSmile && s_.gambleChoice == kSmileGuessed) ||
                   (result.face == kFrown && s_.gambleChoice == kFrownGuessed);
    if (result.right) {
        result.offer = mulMoney(s_.pendingWin, s_.doubleFactor);
        result.message = "VOITIT " + std::to_string(result.offer) + "MK. TUPLAATKO?";
        view_.showMessage(result.message);
        s_.doubleClosed = false;
        s_.gambleChoice = kNoGuess;
        sounds_.play(Voitto);
        // A lost guess leaves the factor at 1, and no win of 151 or more is
        // ever offered, so only a right guess can reach the limit.
        result.payout = payPastLimit(true);
        if (result.payout.amount != 0) result.offer = 0;
    } else {
        result.message = "V\xC4\xC4RIN!!!!";
        view_.showMessage(result.message);
        stopCues({Voitto, Kaynnistys, Lukitus, Voitonmaksu, Koss, Tuplaus, Ruplaus});
        sounds_.play(Havio);
        s_.stopped = {true, true, true};
        s_.doubleFactor = 1;
        if (noMoneyLeft(s_)) {
            result.endsGame = true;
            result.money = money();
            events_.guessDecided(result);
            gameOver();
            refreshCounters();
        }
        // The guess is cleared only once the game-over save has gone through,
        // so that a save that failed is tried again on the next tick.
        s_.gambleChoice = kNoGuess;
        if (result.endsGame) return;
    }
    result.money = money();
    events_.guessDecided(result);
}

// ---------------------------------------------------------------- collect and cash-out

void SlotMachine::pressCollect() {
    if (s_.allStopped()) {
        stopCues({Voitto, Havio, Kaynnistys, Lukitus});
        sounds_.play(Voitonmaksu);
        s_.finalScore = s_.winnings;  // credits never won are not part of the score
        jackpotStore_.save(s_.jackpot);
        s_.holdBlocked = true;
        resetMachine();
        events_.gameEnded({GameEnding::CashedOut, s_.finalScore});
        if (highScores_.qualifies(s_.finalScore)) {
            view_.openNameEntry(s_.finalScore);
        } else {
            view_.openHighScores();
        }
        refreshCounters();
    }
    if (!s_.doubleClosed) {
        stopCues({Voitto, Kaynnistys, Lukitus, Voitonmaksu, Koss, Tuplaus, Ruplaus});
        sounds_.play(VYlos);
        const std::int32_t amount = payOffer();
        events_.winCollected(amount, money());
    }
}

}  // namespace vornakka
