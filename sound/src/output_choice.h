// Where the game's sound goes, decided here and nowhere else: the game's own
// stream on the desktop's sound server (pulse_output.h), or OpenAL Soft's
// own device as OpenAL Soft picks it.
//
// - prepareAudioEnvironment runs once at the start of the program, before
//   OpenAL Soft starts and before any thread runs.
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
//   OpenAL Soft's: playsThroughOwnStream() says so. Anything else (no
//   server, the player's own choice of back-ends) gets OpenAL Soft's device.
#pragma once

namespace vornakka::detail {

void prepareAudioEnvironment();

// True when prepareAudioEnvironment found no choice of the player's and the
// back-ends are still the game's own.
bool backendsLeftToGame();

// True when a PulseAudio-protocol server answers on the user's socket (or
// PULSE_SERVER names a remote one, which cannot be checked from here).
bool pulseServerAnswers();

// The choice, made by prepareAudioEnvironment: the game's own stream (true)
// or OpenAL Soft's device.
bool playsThroughOwnStream();

}  // namespace vornakka::detail
