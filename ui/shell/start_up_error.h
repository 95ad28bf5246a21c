// A failure while a window is being built, before its creation handler runs
// (in practice a sound player that cannot be opened: a missing wave file or no
// audio device). No event boundary catches it: the program reports it in the
// "Application Error" box and ends with exit code 1.
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "vornakka/services.h"

namespace vornakka {

class SoundPlayers;

class WindowBuildError : public std::runtime_error {
public:
    // kind names the failure ("MediaError"); address is the code address, in
    // the program, of the call that failed (0 when unknown).
    WindowBuildError(std::string kind, const std::string& message, std::uintptr_t address);

    const std::string& kind() const { return kind_; }
    std::uintptr_t address() const { return address_; }

private:
    std::string kind_;
    std::uintptr_t address_;
};

// Opens one player for a window that is being built. A failure becomes a
// WindowBuildError that carries the address just after this call in the
// window's code, relative to the start of the program's image in memory.
[[gnu::noinline]] void openPlayer(SoundPlayers& players, SoundCue cue);

// The address relative to the load address of the module that holds it.
std::uintptr_t moduleRelative(const void* address);

// "Exception %s in module %s at %p.\n%s%s": the kind, the module's file name,
// the address as eight upper-case hexadecimal digits, the message, and a full
// stop when the message does not end in one. The message is Windows-1252.
QString applicationErrorText(const std::string& kind, const QString& module, std::uintptr_t address,
                             const std::string& message);

// Shows the "Application Error" box: stop icon, OK button, modal for the
// whole program.
void showApplicationError(const QString& text);

}  // namespace vornakka
