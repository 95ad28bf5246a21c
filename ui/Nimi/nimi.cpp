#include "Nimi/nimi.h"

#include <QCloseEvent>

#include "Highscore/highscore.h"
#include "Vorna/vorna.h"
#include "common/screen_reader.h"
#include "shell/event_boundary.h"
#include "vornakka/strips.h"
#include "vornakka/cp1252.h"
#include "vornakka/high_score_table.h"

namespace vornakka {

namespace {

constexpr FontDesc kFont{"MS Sans Serif", 11};

LabelStyle plain() { return LabelStyle{kFont, kWindowTextColour, kButtonFaceColour, Qt::AlignLeft, true}; }

}  // namespace

TForm3::TForm3(Forms& forms, EventBoundary& boundary, HighScoreTable& table)
    : FormWindow("Form3", Qt::Window, QStringLiteral("Anna nimesi"), QSize(kClientWidth, kClientHeight),
                 kButtonFaceColour, kFont),
      forms_(forms),
      boundary_(boundary),
      table_(table) {
    // An ordinary window, kept above the machine window that waits for it
    // (its owner, set by the game once the machine window exists).
    setOuterSize(QSize(kOuterWidth, kOuterHeight), QSize(kControlsRight, kControlsBottom));

    new Label(this, "Label1", QRect(8, 32, 26, 13), QStringLiteral("Nimi: "), plain());
    new Label(this, "Label2", QRect(40, 56, 142, 13), QString::fromUtf8("Mieluummin vain n.10 merkkiä"), plain());
    new Label(this, "Label3", QRect(8, 8, 30, 13), QStringLiteral("Voitot:"), plain());
    voittomaara_ = new Label(this, "Voittomaara", QRect(48, 8, 29, 13), QStringLiteral("10 mk"), plain());

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setGeometry(48, 32, 121, 21);
    edit_->setFont(makeFont(kFont));

    // Neither a default nor a cancel button: Return in the edit box and
    // Escape do nothing. "&OK" draws its O underlined and answers Alt+O.
    QPushButton* ok = addButton("Button1", QRect(200, 32, 57, 25), QStringLiteral("&OK"), kFont);
    setTabOrder(edit_, ok);
    keepLookWhenDisabled();
    connect(ok, &QPushButton::clicked, this, &TForm3::Button1Click);
    // Why the dialog is up, for a screen reader on either control.
    if (auto* spoken = qobject_cast<SpeakingButton*>(ok)) {
        spoken->setSpeech({[this] { return QStringLiteral("vie nimen listalle, voitot %1 mk").arg(score_); }, {}});
    }
}

void TForm3::open(std::int32_t score) {
    score_ = score;
    entered_ = false;
    voittomaara_->setCaption(QString::number(score) + QStringLiteral(" mk"));
    edit_->setAccessibleDescription(
        QStringLiteral("Voitot %1 mk pääsevät listalle: kirjoita nimesi").arg(score));
}

void TForm3::Button1Click() {
    // A click that arrives after the dialog has gone (the delayed click of
    // its Alt+O mnemonic, when the mouse was quicker) has nothing left to
    // confirm: acting on it would bring the high-score window back over a
    // machine that is already playing the next game.
    if (!isVisible()) return;
    boundary_.run([this] {
        if (!entered_) {
            Text name = utf8ToCp1252(edit_->text().toStdString());
            if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
            table_.insert(name, score_);
            entered_ = true;
        }
        if (forms_.form2 != nullptr) forms_.form2->refreshRows();
        table_.save();
        if (forms_.form2 != nullptr) forms_.form2->showWindow();
        hide();
    });
}

void TForm3::closeRequested(QCloseEvent* event) {
    event->ignore();
    boundary_.run([this] {
        hide();
        if (forms_.form2 != nullptr) forms_.form2->showWindow();
    });
}

}  // namespace vornakka
