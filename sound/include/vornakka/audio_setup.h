// How the game meets the desktop's sound system, set up once at the start of
// the program, before OpenAL Soft starts and before any thread runs.
//
// - The sound server (PulseAudio, or PipeWire through pipewire-pulse) shows
//   the game as "Vornakka" with the game's icon and the role "game", so that
//   the desktop's volume controls and role policies can tell it apart. The
//   names go to libpulse through PULSE_PROP_OVERRIDE; a player's own
//   PULSE_PROP_OVERRIDE is kept and wins over ours.
// - OpenAL Soft 1.19 tries JACK first, and merely asking leaves
//   /dev/shm/jack_db-<uid> behind even where no JACK server runs. Unless the
//   player chose the back-ends (ALSOFT_DRIVERS, or "drivers" in one of
//   OpenAL Soft's configuration files), the game asks for OpenAL Soft's own
//   order without JACK. A player who runs JACK names it: ALSOFT_DRIVERS=jack.
// - Where the player left the back-ends to the game and a PulseAudio-protocol
//   server runs, the game plays through a stream of its own instead of
//   OpenAL Soft's (see pulse_output.h): backendsLeftToGame() says so.
#pragma once

#include <string>
#include <vector>

namespace vornakka {

void prepareAudioEnvironment();

// True when prepareAudioEnvironment found no choice of the player's and the
// back-ends are still the game's own.
bool backendsLeftToGame();

// True when a PulseAudio-protocol server answers on the user's socket (or
// PULSE_SERVER names a remote one, which cannot be checked from here).
bool pulseServerAnswers();

// The back-ends OpenAL Soft will try, in its order, after the player's
// setting (or ours): "pulse", "alsa", "oss" and so on.
std::vector<std::string> openAlDriverOrder();

// The player's own back-end setting: ALSOFT_DRIVERS if set, else the last
// "drivers" of OpenAL Soft's configuration files; empty when there is none.
// `source` names where it came from.
std::string openAlDriverSetting(std::string* source = nullptr);

// Why no device could be opened, in words for the player. `backendReady` is
// true when OpenAL Soft did pick a back-end but its device would not open
// (ALC_OUT_OF_MEMORY in 1.19), false when no back-end was left to pick.
std::string noAudioDeviceMessage(bool backendReady);

}  // namespace vornakka
