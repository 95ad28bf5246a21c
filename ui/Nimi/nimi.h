// The name dialog: asks for the player's name when a cash-out enters the
// high-score list, enters it and saves the list, then passes on to the
// high-score window.
#pragma once

#include <QLineEdit>
#include <cstdint>

#include "common/controls.h"
#include "common/form_window.h"
#include "shell/forms.h"

namespace vornakka {

class EventBoundary;
class HighScoreTable;

class TForm3 final : public FormWindow {
    Q_OBJECT
public:
    // The whole window, frame and title bar included, measures 277 x 101
    // wherever the window manager's frame leaves room for the controls,
    // which reach x 257 and y 69. Until the frame is known the client area
    // is what a classic sizeable frame (four pixels a side and a 19-pixel
    // title bar) leaves.
    static constexpr int kOuterWidth = 277;
    static constexpr int kOuterHeight = 101;
    static constexpr int kControlsRight = 257;
    static constexpr int kControlsBottom = 69;
    static constexpr int kClientWidth = 269;
    static constexpr int kClientHeight = 74;

    TForm3(Forms& forms, EventBoundary& boundary, HighScoreTable& table);

    // Called by the machine window: keeps the score and shows it with " mk".
    // The edit box keeps the name typed last time.
    void open(std::int32_t score);

    // OK: the name (its first 10 characters, Windows-1252) and the score go
    // into the table, the high-score window refills its rows, the list is
    // saved, the high-score window is shown and this dialog hidden. When the
    // save fails the dialog stays; OK again saves again without entering the
    // name a second time.
    void Button1Click();

protected:
    // The title bar's close button skips the entry: on to the high-score
    // window, with the table as it is.
    void closeRequested(QCloseEvent* event) override;

private:
    Forms& forms_;
    EventBoundary& boundary_;
    HighScoreTable& table_;
    Label* voittomaara_ = nullptr;
    QLineEdit* edit_ = nullptr;
    std::int32_t score_ = 0;
    bool entered_ = false;  // the name of this opening is in the table
};

}  // namespace vornakka
