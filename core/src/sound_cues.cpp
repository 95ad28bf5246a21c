#include <iterator>

#include "vornakka/services.h"

namespace vornakka {

namespace {
struct CueInfo {
    const char* name;
    const char* file;
};
constexpr CueInfo kCues[] = {
    {"Voitto", "Wavs/Voitto.wav"},
    {"Havio", "Wavs/Havio.wav"},
    {"Kaynnistys", "Wavs/Kaynnistys.wav"},
    {"Lukitus", "Wavs/Lukitus.wav"},
    {"Voitonmaksu", "Wavs/Voitonmaksu.wav"},
    {"Koss", "Wavs/Koss.wav"},
    {"Tuplaus", "Wavs/Tuplaus.wav"},
    {"Ruplaus", "Wavs/Ruplaus.wav"},
    {"VYlos", "Wavs/VYlos.wav"},
    {"Welcome", "Wavs/Welcome.wav"},
    {"satan", "Wavs/satan.wav"},
};
static_assert(std::size(kCues) == kSoundCueCount, "a file and a name for every cue");
}  // namespace

const char* soundCueFile(SoundCue cue) { return kCues[static_cast<int>(cue)].file; }
const char* soundCueName(SoundCue cue) { return kCues[static_cast<int>(cue)].name; }

}  // namespace vornakka
