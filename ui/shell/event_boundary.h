// The failure boundary around every creation, click and timer handler of the
// game's windows. The game code catches nothing: a failing file operation
// throws, the boundary skips the rest of the handler and shows the message in
// the failure box, and the game carries on with whatever state the handler
// had reached.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace vornakka {

class EventBoundary {
public:
    // Runs one handler. A Failure or any other standard exception ends it and
    // is shown in the failure box: the message with the full-stop rule, the
    // application title as caption, a stop icon and an OK button. While the
    // box is up, every other visible window of the program that took input is
    // disabled, and exactly those are enabled again after it.
    //
    // Only one box is ever up. While it is, handlers are not run at all: the
    // windows take no clicks then anyway, and a timer whose step failed
    // retries that step on its first tick after the box has been closed.
    //
    // Returns true when the handler ran to its end.
    bool run(const std::function<void()>& handler);

    // The box's text for a Windows-1252 message: a full stop is added when the
    // message is not empty and its last character sorts after '.' ("File not
    // found" gets one, a message ending in '!' or ')' does not).
    static QString boxText(const std::string& message);

private:
    void showFailure(const std::string& message);

    bool boxUp_ = false;
};

}  // namespace vornakka
