#include "About/about.h"

#include <QCloseEvent>
#include <QLabel>

#include "Highscore/highscore.h"
#include "common/controls.h"
#include "common/pictures.h"
#include "common/screen_reader.h"
#include "shell/event_boundary.h"
#include "vornakka/strips.h"

namespace vornakka {

namespace {

constexpr FontDesc kFont{"Comic Sans MS", 11};
constexpr FontDesc kButtonFont{"Comic Sans MS", 11, true};

// Static texts: lime on the window's black, each as wide as its text and
// centred where the box was drawn, so that they all stand on one middle line.
LabelStyle staticText(std::optional<Colour> fill = std::nullopt) {
    return LabelStyle{kFont, colours::lime, fill, Qt::AlignHCenter, true};
}

void addPicture(QWidget* parent, const char* name, const QRect& box) {
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setGeometry(box);
    image->setPixmap(pngPicture(QStringLiteral(":/pictures/machine.png")));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace

TForm4::TForm4(Forms& forms, EventBoundary& boundary)
    : FormWindow("Form4",
                 Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::WindowStaysOnTopHint,
                 QStringLiteral("About..."), QSize(kClientWidth, kClientHeight), colours::black, kFont),
      forms_(forms),
      boundary_(boundary) {
    setFixedSize(kClientWidth, kClientHeight);
    // Kept above the high-score window, which is disabled while it is up
    // (its owner, set by the game once the high-score window exists).

    addPicture(this, "Image1", QRect(24, 16, 78, 143));
    addPicture(this, "Image2", QRect(280, 16, 78, 143));
    new Label(this, "StaticText1", QRect(152, 16, 83, 19), QStringLiteral("Vornakka v1.00"),
              staticText(colours::black));
    new Label(this, "StaticText2", QRect(160, 40, 71, 19), QString::fromUtf8("Kaikki oikeudet pidätetään"),
              staticText());
    new Label(this, "StaticText3", QRect(144, 56, 100, 19), QStringLiteral("Vornakka-tiimi 2026"), staticText());
    new Label(this, "StaticText4", QRect(144, 96, 105, 19), QStringLiteral("vornakka@example.org"), staticText());
    new Label(this, "StaticText5", QRect(160, 80, 64, 19), QString::fromUtf8("Sähköposti:"), staticText());
    new Label(this, "StaticText6", QRect(168, 120, 49, 19), QStringLiteral("Kotisivu:"), staticText());
    new Label(this, "StaticText7", QRect(120, 136, 154, 19), QStringLiteral("http://www.example.org/vornakka/"),
              staticText());

    // The only focus stop: it has the focus whenever the box is active, and
    // Return or Space press it.
    QPushButton* ok = addButton("Button1", QRect(168, 168, 57, 25), QStringLiteral("&OK"), kButtonFont);
    keepLookWhenDisabled();
    // A screen reader on the button reads the box's texts, down the middle.
    QStringList texts;
    for (const char* name : {"StaticText1", "StaticText2", "StaticText3", "StaticText5", "StaticText4",
                             "StaticText6", "StaticText7"}) {
        texts << findChild<Label*>(QString::fromLatin1(name))->text();
    }
    if (auto* spoken = qobject_cast<SpeakingButton*>(ok)) {
        spoken->setSpeech({[said = texts.join(QLatin1Char(' '))] { return said; }, {}});
    }
    connect(ok, &QPushButton::clicked, this, &TForm4::Button1Click);
}

void TForm4::Button1Click() {
    // A late click of the Alt+O mnemonic on a box already closed does nothing.
    if (!isVisible()) return;
    boundary_.run([this] {
        hide();
        if (forms_.form2 != nullptr) {
            forms_.form2->setWindowEnabled(true);
            forms_.form2->activateWindow();
        }
    });
}

void TForm4::closeRequested(QCloseEvent* event) {
    event->ignore();
    Button1Click();
}

}  // namespace vornakka
