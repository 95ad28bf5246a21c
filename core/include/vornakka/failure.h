// Every failure in the game is an exception derived from Failure. The handler
// boundary in the window code catches it, skips the rest of the handler and
// shows what() to the player.
#pragma once

#include <stdexcept>
#include <string>

namespace vornakka {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // A short name of the kind of failure, used by the start-up error box.
    virtual const char* kind() const noexcept { return "Failure"; }
};

// A file operation failed; code is the classic DOS-style I/O code
// (2 file not found, 5 access denied, 100 read past end, 101 disk full ...).
class IoError : public Failure {
public:
    IoError(int code, const std::string& message) : Failure(message), code_(code) {}
    int code() const noexcept { return code_; }
    const char* kind() const noexcept override { return "IoError"; }

private:
    int code_;
};

// A text could not be converted to a number.
class ConvertError : public Failure {
public:
    using Failure::Failure;
    const char* kind() const noexcept override { return "ConvertError"; }
};

// A sound player could not be opened.
class MediaError : public Failure {
public:
    using Failure::Failure;
    const char* kind() const noexcept override { return "MediaError"; }
};

}  // namespace vornakka
