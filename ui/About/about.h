// The about box: the game's name and version, the credits and two pictures of
// the machine. Opened from the high-score window, closed by its OK.
#pragma once

#include "common/form_window.h"
#include "shell/forms.h"

namespace vornakka {

class EventBoundary;

class TForm4 final : public FormWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 377;
    static constexpr int kClientHeight = 204;

    TForm4(Forms& forms, EventBoundary& boundary);

    // OK: hides the box, then enables the high-score window again.
    void Button1Click();

protected:
    // The title bar's close button does what OK does.
    void closeRequested(QCloseEvent* event) override;

private:
    Forms& forms_;
    EventBoundary& boundary_;
};

}  // namespace vornakka
