// The high-score window: the ten best cash-outs, and the hub between games.
// "Uusi peli" returns to the machine, "About..." opens the about box and
// "Exit" ends the program.
#pragma once

#include <array>

#include "common/controls.h"
#include "common/form_window.h"
#include "common/screen_reader.h"
#include "shell/forms.h"

namespace vornakka {

class EventBoundary;
class HighScoreTable;
class SoundPlayers;

class TForm2 final : public FormWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 567;
    static constexpr int kClientHeight = 529;

    // Builds the controls and opens the satan player (WindowBuildError when
    // it cannot be opened).
    TForm2(Forms& forms, EventBoundary& boundary, SoundPlayers& sounds, const HighScoreTable& table);

    // The creation handler: fills the rows.
    void FormCreate();

    // Rewrites the ten rows from the table: the name as it is and the score
    // followed by " mk".
    void refreshRows();

    void Button1Click();  // Exit
    void Button2Click();  // Uusi peli
    void Button3Click();  // About...
    void Label34Click();  // the credit line

protected:
    // The title bar's close button means "Uusi peli"; while the about box is
    // open (the window is disabled) it does nothing.
    void closeRequested(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Forms& forms_;
    EventBoundary& boundary_;
    SoundPlayers& sounds_;
    const HighScoreTable& table_;
    std::array<Label*, 10> names_{};   // Label1 .. Label10, rows 1 to 10
    std::array<Label*, 10> scores_{};  // Label30 .. Label21, rows 1 to 10
    std::array<Label*, 10> places_{};  // Label11 .. Label20: each says its whole row
    Announcer* announcer_ = nullptr;
    QString newRow_;  // the row the last entry made, said when the window is next active
};

}  // namespace vornakka
