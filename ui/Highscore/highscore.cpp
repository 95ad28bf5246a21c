#include "Highscore/highscore.h"

#include <QCloseEvent>

#include "About/about.h"
#include "Vorna/vorna.h"
#include "shell/event_boundary.h"
#include "shell/start_up_error.h"
#include "vornakka/cp1252.h"
#include "vornakka/high_score_table.h"
#include "vornakka/sound_players.h"
#include "vornakka/strips.h"

namespace vornakka {

namespace {

constexpr FontDesc kRowFont{"Comic Sans MS", 21, true};
constexpr FontDesc kHeadingFont{"Comic Sans MS", 16};
constexpr FontDesc kCreditFont{"Arial", 16, true};
constexpr FontDesc kTitleFont{"Arial", 64, true};
constexpr FontDesc kWindowFont{"MS Sans Serif", 11};

constexpr const char* kCreditLine = "Vornakka-tiimi 2026";

constexpr int kRowTop = 120;
constexpr int kRowStep = 32;

LabelStyle lime(const FontDesc& font, bool autoSize) {
    return LabelStyle{font, colours::lime, colours::black, Qt::AlignLeft, autoSize};
}

}  // namespace

TForm2::TForm2(Forms& forms, EventBoundary& boundary, SoundPlayers& sounds, const HighScoreTable& table)
    : FormWindow("Form2",
                 Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::WindowStaysOnTopHint,
                 QStringLiteral("Tuplaajat..."), QSize(kClientWidth, kClientHeight), colours::black, kWindowFont),
      forms_(forms),
      boundary_(boundary),
      sounds_(sounds),
      table_(table) {
    setFixedSize(kClientWidth, kClientHeight);
    // Kept above the machine window, which is disabled while it is up.
    setOwner(forms.form1);

    // Names, rows 1 to 10, in fixed 161-pixel boxes.
    for (int row = 1; row <= 10; ++row) {
        const QByteArray name = "Label" + QByteArray::number(row);
        names_[static_cast<std::size_t>(row - 1)] =
            new Label(this, name.constData(), QRect(168, kRowTop + (row - 1) * kRowStep, 161, 30), QString(),
                      lime(kRowFont, false));
    }
    // Place numbers.
    for (int row = 1; row <= 10; ++row) {
        const QByteArray name = "Label" + QByteArray::number(10 + row);
        const QRect box = row < 10 ? QRect(128, kRowTop + (row - 1) * kRowStep, 22, 30)
                                   : QRect(120, kRowTop + (row - 1) * kRowStep, 35, 30);
        places_[static_cast<std::size_t>(row - 1)] =
            new Label(this, name.constData(), box, QStringLiteral("%1.").arg(row), lime(kRowFont, true));
    }
    // Scores, numbered from row 10 up: Label21 holds row 10, Label30 row 1.
    for (int row = 10; row >= 1; --row) {
        const QByteArray name = "Label" + QByteArray::number(31 - row);
        scores_[static_cast<std::size_t>(row - 1)] =
            new Label(this, name.constData(), QRect(344, kRowTop + (row - 1) * kRowStep, 26, 30),
                      QStringLiteral("10"), lime(kRowFont, true));
    }
    new Label(this, "Label31", QRect(120, 96, 35, 23), QStringLiteral("Sija:"), lime(kHeadingFont, true));
    new Label(this, "Label32", QRect(232, 96, 39, 23), QStringLiteral("Nimi:"), lime(kHeadingFont, true));
    new Label(this, "Label33", QRect(344, 96, 50, 23), QStringLiteral("Voitot:"), lime(kHeadingFont, true));
    Label* credit = new Label(this, "Label34", QRect(392, 480, 159, 19), QString::fromUtf8(kCreditLine),
                              lime(kCreditFont, true));
    new Label(this, "Label35", QRect(80, 0, 350, 75), QStringLiteral("Highscores"), lime(kTitleFont, true));

    QPushButton* exitButton = addButton("Button1", QRect(120, 464, 73, 33), QStringLiteral("Exit"), kWindowFont);
    QPushButton* newGame = addButton("Button2", QRect(296, 464, 75, 33), QStringLiteral("Uusi peli"), kWindowFont);
    QPushButton* about = addButton("Button3", QRect(208, 464, 73, 33), QStringLiteral("About..."), kWindowFont);
    keepLookWhenDisabled();

    setTabOrder(exitButton, newGame);
    setTabOrder(newGame, about);
    setDefaultButton(about);  // Return presses it while no button has the focus

    connect(exitButton, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(newGame, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(about, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(credit, &Label::clicked, this, &TForm2::Label34Click);

    openPlayer(sounds_, SoundCue::satan);

    // A screen reader reads each row whole from its place number ("1. Matti
    // 800 mk"); the name and score beside it and the column headings are
    // left out, and the row a new entry made is said when the window opens.
    for (std::size_t r = 0; r < names_.size(); ++r) {
        hideFromScreenReader(names_[r]);
        hideFromScreenReader(scores_[r]);
    }
    for (const char* heading : {"Label31", "Label32", "Label33"}) {
        hideFromScreenReader(findChild<QWidget*>(QString::fromLatin1(heading)));
    }
    announcer_ = new Announcer(this);
}

void TForm2::FormCreate() {
    boundary_.run([this] { refreshRows(); });
}

void TForm2::refreshRows() {
    const auto& rows = table_.rows();
    const bool first = places_[0]->accessibleName().isEmpty();
    bool found = false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        names_[r]->setCaption(QString::fromStdString(cp1252ToUtf8(rows[r].name)));
        scores_[r]->setCaption(QString::number(rows[r].score) + QStringLiteral(" mk"));
        const QString row = QStringLiteral("%1 %2 %3").arg(places_[r]->text(), names_[r]->text(), scores_[r]->text());
        // An entry pushes the rows below it down: the first row that reads
        // otherwise than before is the new one.
        if (!first && !found && places_[r]->accessibleName() != row) {
            newRow_ = QStringLiteral("Uusi tulos: %1").arg(row);
            found = true;
        }
        setSpokenName(places_[r], row);
    }
}

void TForm2::changeEvent(QEvent* event) {
    FormWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !newRow_.isEmpty()) {
        announcer_->say(newRow_);
        newRow_.clear();
    }
}

void TForm2::Button1Click() {
    boundary_.run([this] {
        if (forms_.form1 != nullptr) forms_.form1->close();
    });
}

void TForm2::Button2Click() {
    boundary_.run([this] {
        hide();
        if (forms_.form1 != nullptr) {
            forms_.form1->setWindowEnabled(true);
            forms_.form1->activateWindow();
        }
    });
}

void TForm2::Button3Click() {
    boundary_.run([this] {
        if (forms_.form4 != nullptr) forms_.form4->showWindow();
        setWindowEnabled(false);
    });
}

void TForm2::Label34Click() {
    boundary_.run([this] { sounds_.play(SoundCue::satan); });
}

void TForm2::closeRequested(QCloseEvent* event) {
    event->ignore();
    if (isEnabled()) Button2Click();
}

}  // namespace vornakka
