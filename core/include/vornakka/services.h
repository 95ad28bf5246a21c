// The services the slot machine talks to. The machine owns the game rules and
// nothing else: the window, the sound players, the two data files and the
// clock all sit behind these interfaces and are handed in from outside.
#pragma once

#include <cstdint>
#include <string>

namespace vornakka {

// Colours are 24-bit values in blue-green-red byte order: 0x0000FF is red.
using Colour = std::uint32_t;

// Text handed to the view is single-byte Windows-1252, one byte a character,
// exactly as the high-score file stores names ("\xC4" is "Ä").
using Text = std::string;

// The counters and the eight paytable amounts, box 1 first (see
// kPaytableLines in strips.h for the rows each box pays).
struct Counters {
    std::int32_t bet = 0;
    std::int32_t credits = 0;
    std::int32_t winnings = 0;
    std::int32_t lastWin = 0;
    std::int32_t jackpot = 0;
    std::int32_t amounts[8] = {};
};

// What the machine writes on its window.
class MachineView {
public:
    virtual ~MachineView() = default;
    virtual void showReel(int reel, char symbol, Colour colour) = 0;  // reel 1..3
    virtual void showCounters(const Counters& counters) = 0;
    virtual void showMessage(const Text& text) = 0;
    virtual void showFaces(char top, char middle, char bottom) = 0;  // 'J','K','L'
    virtual void setHoldLamp(int reel, bool lit) = 0;
    virtual void setReelTimer(bool enabled) = 0;
    virtual void openHighScores() = 0;
    virtual void openNameEntry(std::int32_t score) = 0;
};

// The sound cues, in the order their players are opened.
enum class SoundCue : std::uint8_t {
    Voitto,
    Havio,
    Kaynnistys,
    Lukitus,
    Voitonmaksu,
    Koss,
    Tuplaus,
    Ruplaus,
    VYlos,
    Welcome,
    satan,  // the last: the count follows from it
};
inline constexpr int kSoundCueCount = static_cast<int>(SoundCue::satan) + 1;

// The machine window's ten cues, in the order its players are opened; the
// jackpot silences them all.
inline constexpr SoundCue kMachineCues[] = {SoundCue::Voitto,  SoundCue::Havio,       SoundCue::Kaynnistys,
                                            SoundCue::Lukitus, SoundCue::Voitonmaksu, SoundCue::Koss,
                                            SoundCue::Tuplaus, SoundCue::Ruplaus,     SoundCue::VYlos,
                                            SoundCue::Welcome};

// File of a cue relative to the game folder, e.g. "Wavs/Voitto.wav".
const char* soundCueFile(SoundCue cue);
// The cue's name as written in the enum, e.g. "Voitto".
const char* soundCueName(SoundCue cue);

class SoundBank {
public:
    virtual ~SoundBank() = default;
    // Starts the cue where it stands; a cue that has played to its end starts
    // over, one that is still sounding goes on.
    virtual void play(SoundCue cue) = 0;
    // Halts the cue without rewinding it.
    virtual void stop(SoundCue cue) = 0;
};

// The progressive jackpot between runs of the program.
class JackpotStore {
public:
    virtual ~JackpotStore() = default;
    virtual std::int32_t load() = 0;
    virtual void save(std::int32_t jackpot) = 0;
};

struct HighScoreEntry {
    Text name;  // at most 10 Windows-1252 bytes
    std::int32_t score = 0;
};

// The part of the high-score list the machine itself needs.
class HighScoreStore {
public:
    virtual ~HighScoreStore() = default;
    virtual void load() = 0;
    // True when the score beats row 10 strictly.
    virtual bool qualifies(std::int32_t score) const = 0;
    // Row 1..10.
    virtual const HighScoreEntry& row(int index) const = 0;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The UTC time of day, read once to seed the random source.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeOfDay utcTimeOfDay() = 0;
};

}  // namespace vornakka
