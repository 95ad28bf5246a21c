// Every control of the four windows against the layout: name, class, place,
// size, font, colours, fill, alignment and order; the windows' own
// properties.
#include <QLineEdit>
#include <deque>
#include <optional>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "common/controls.h"
#include "support.h"

namespace vornakka::test {
namespace {

enum class K { Label, Face, Button, Panel, Edit, Picture };

struct Expected {
    const char* name;
    K kind;
    int left, top, width, height;
    const char* caption;  // UTF-8; nullptr: not checked (set at run time)
    const char* family;
    int pixels;
    bool bold, italic, underline;
    std::optional<QColor> text;  // none: the desktop's window-text colour
    std::optional<QColor> fill;  // none: transparent (or not a label)
    Qt::Alignment halign;
    Qt::Alignment valign;
    bool autoSize;
};

const QColor navy(0, 0, 128), blue(0, 0, 255), white(255, 255, 255), black(0, 0, 0), red(255, 0, 0),
    lime(0, 255, 0), yellow(255, 255, 0), purple(128, 0, 128), green(0, 128, 0), olive(128, 128, 0);
const std::optional<QColor> sys;
const std::optional<QColor> none;
constexpr Qt::Alignment L = Qt::AlignLeft, C = Qt::AlignHCenter, R = Qt::AlignRight, T = Qt::AlignTop;

// clang-format off
const Expected kMachine[] = {
    {"Kirj1", K::Label, 32, 232, 97, 111, "A", "Verdana", 96, true, false, false, blue, white, C, T, false},
    {"Kirj2", K::Label, 144, 232, 97, 111, "A", "Verdana", 96, true, false, false, blue, white, C, T, false},
    {"Kirj3", K::Label, 256, 232, 97, 111, "A", "Verdana", 96, true, false, false, blue, white, C, T, false},
    {"Pano", K::Label, 224, 136, 57, 25, nullptr, "Courier", 20, true, false, false, red, black, R, T, false},
    {"Label5", K::Label, 232, 112, 47, 19, "PANOS", "Comic Sans MS", 13, true, false, false, lime, navy, L, T, true},
    {"Voitto", K::Label, 152, 136, 73, 25, nullptr, "Courier", 20, true, false, false, red, black, R, T, false},
    {"Rahat", K::Label, 280, 136, 57, 25, nullptr, "Courier", 20, true, false, false, red, black, R, T, false},
    {"Label8", K::Label, 168, 112, 54, 19, "VOITOT", "Comic Sans MS", 13, true, false, false, lime, navy, L, T, true},
    {"Label9", K::Label, 296, 112, 38, 19, "PELIT", "Comic Sans MS", 13, true, false, false, lime, navy, L, T, true},
    {"Label1", K::Label, 368, 120, 17, 17, "CC", "Comic Sans MS", 13, true, false, false, red, none, L, T, false},
    {"Label2", K::Label, 368, 40, 33, 19, "BBB", "Comic Sans MS", 13, true, false, false, sys, none, L, T, false},
    {"Label3", K::Label, 368, 24, 33, 19, "AAA", "Comic Sans MS", 13, true, false, false, sys, none, L, T, false},
    {"Voit3", K::Label, 400, 72, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Voit2", K::Label, 400, 40, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Voit1", K::Label, 400, 24, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Label4", K::Label, 456, 120, 17, 17, "C", "Comic Sans MS", 13, true, false, false, red, none, R, T, false},
    {"Voit4", K::Label, 400, 120, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Label7", K::Label, 368, 72, 33, 19, "CCC", "Comic Sans MS", 13, true, false, false, red, none, L, T, false},
    {"Label10", K::Label, 456, 72, 33, 19, "CCC", "Comic Sans MS", 13, true, false, false, red, none, R, T, false},
    {"Label11", K::Label, 456, 40, 33, 19, "BBB", "Comic Sans MS", 13, true, false, false, sys, none, R, T, false},
    {"Label12", K::Label, 456, 24, 33, 19, "AAA", "Comic Sans MS", 13, true, false, false, sys, none, R, T, false},
    {"ViimVoit", K::Label, 56, 136, 97, 25, nullptr, "Courier", 20, true, false, false, red, black, R, T, false},
    {"Label13", K::Label, 56, 112, 100, 19, "VIIM. VOITTO", "Comic Sans MS", 13, true, false, false, lime, navy, L, T, true},
    {"Voit5", K::Label, 400, 136, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Label14", K::Label, 480, 136, 9, 17, "D", "Comic Sans MS", 13, true, false, false, red, none, C, T, false},
    {"Label15", K::Label, 368, 136, 8, 17, "C", "Comic Sans MS", 13, true, false, false, red, none, C, T, false},
    {"Label16", K::Label, 368, 88, 33, 19, "FFF", "Comic Sans MS", 13, true, false, false, green, none, L, T, false},
    {"Label17", K::Label, 368, 56, 33, 19, "EEE", "Comic Sans MS", 13, true, false, false, purple, none, L, T, false},
    {"Voit8", K::Label, 400, 104, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Voit7", K::Label, 400, 88, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Voit6", K::Label, 400, 56, 57, 17, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Label23", K::Label, 368, 104, 33, 19, "GGG", "Comic Sans MS", 13, true, false, false, olive, none, L, T, false},
    {"Label24", K::Label, 456, 104, 25, 19, "GG", "Comic Sans MS", 13, true, false, false, olive, none, C, T, false},
    {"Label25", K::Label, 456, 88, 25, 19, "FF", "Comic Sans MS", 13, true, false, false, green, none, C, T, false},
    {"Label26", K::Label, 456, 56, 25, 19, "EE", "Comic Sans MS", 13, true, false, false, purple, none, C, T, false},
    {"JackPot", K::Label, 528, 88, 169, 33, nullptr, "Arial", 24, true, false, false, lime, black, C, T, false},
    {"Label19", K::Label, 512, 56, 209, 30, "MORVAKKA", "Comic Sans MS", 21, true, false, false, yellow, none, C, T, true},
    {"Label18", K::Label, 24, 16, 314, 74, "VORNAKKA", "Arial", 64, true, true, true, purple, navy, L, T, true},
    {"Label20", K::Label, 456, 136, 25, 17, "--", "Comic Sans MS", 13, true, false, false, sys, none, R, T, false},
    {"Label22", K::Label, 480, 120, 9, 17, "D", "Comic Sans MS", 13, true, false, false, red, none, C, T, false},
    {"Label27", K::Label, 472, 120, 8, 17, "-", "Comic Sans MS", 13, true, false, false, sys, none, C, T, false},
    {"Label28", K::Label, 384, 120, 17, 17, "-", "Comic Sans MS", 13, true, false, false, sys, none, L, T, false},
    {"Label29", K::Label, 376, 136, 25, 17, "--", "Comic Sans MS", 13, true, false, false, sys, none, L, T, false},
    {"Label6", K::Label, 480, 56, 7, 19, "*", "Comic Sans MS", 13, true, false, false, yellow, none, C, T, false},
    {"Label21", K::Label, 480, 88, 7, 19, "*", "Comic Sans MS", 13, true, false, false, yellow, none, C, T, false},
    {"Label30", K::Label, 480, 104, 7, 19, "*", "Comic Sans MS", 13, true, false, false, yellow, none, C, T, false},
    {"Tupkesk", K::Face, 576, 248, 83, 81, nullptr, "Wingdings", 96, true, false, false, red, white, C, Qt::AlignVCenter, false},
    {"Tupala", K::Face, 576, 328, 83, 57, nullptr, "Wingdings", 96, true, false, false, red, white, C, T, false},
    {"Tupyla", K::Face, 576, 192, 83, 57, nullptr, "Wingdings", 96, true, false, false, red, white, C, Qt::AlignBottom, false},
    {"Label34", K::Label, 528, 248, 37, 75, ">", "Arial", 64, true, false, false, lime, navy, L, T, true},
    {"Label35", K::Label, 664, 248, 37, 75, "<", "Arial", 64, true, false, false, lime, navy, L, T, true},
    {"Teksrutu", K::Label, 32, 192, 433, 25, nullptr, "Courier", 20, true, false, false, red, black, C, T, false},
    {"Label31", K::Label, 584, 488, 159, 19, nullptr, "Arial", 16, true, false, false, lime, navy, L, T, true},
    {"Button1", K::Button, 368, 368, 97, 49, "PANOS", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
    {"Button2", K::Button, 480, 440, 97, 49, "KÄYNNISTÄ", "MS Sans Serif", 11, true, false, false, green, none, L, T, false},
    {"Button3", K::Button, 32, 368, 97, 49, "LUKITSE", "MS Sans Serif", 11, true, false, false, black, none, L, T, false},
    {"Button4", K::Button, 144, 368, 97, 49, "LUKITSE", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
    {"Button5", K::Button, 256, 368, 97, 49, "LUKITSE", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
    {"Panel1", K::Panel, 32, 344, 97, 9, nullptr, nullptr, 0, false, false, false, sys, black, L, T, false},
    {"Panel2", K::Panel, 144, 344, 97, 9, nullptr, nullptr, 0, false, false, false, sys, black, L, T, false},
    {"Panel3", K::Panel, 256, 344, 97, 9, nullptr, nullptr, 0, false, false, false, sys, black, L, T, false},
    {"Button6", K::Button, 32, 440, 97, 49, "VOITONMAKSU", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
    {"Button7", K::Button, 256, 440, 97, 49, "HYMY", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
    {"Button8", K::Button, 144, 440, 97, 49, "DEPRESSIO", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
    {"Button9", K::Button, 368, 440, 97, 49, "TUPLAUS", "MS Sans Serif", 11, true, false, false, sys, none, L, T, false},
};
// clang-format on

std::vector<Expected> highScoreControls() {
    std::vector<Expected> e;
    static std::deque<std::string> names;  // keeps the generated names alive
    const auto add = [&](const std::string& name, int x, int y, int w, int h, const char* caption,
                         const char* family, int px, bool bold, bool autoSize) {
        names.push_back(name);
        e.push_back({names.back().c_str(), K::Label, x, y, w, h, caption, family, px, bold, false, false, lime,
                     black, L, T, autoSize});
    };
    for (int r = 1; r <= 10; ++r) add("Label" + std::to_string(r), 168, 120 + 32 * (r - 1), 161, 30, nullptr,
                                      "Comic Sans MS", 21, true, false);
    static const char* places[] = {"1.", "2.", "3.", "4.", "5.", "6.", "7.", "8.", "9.", "10."};
    for (int r = 1; r <= 10; ++r) add("Label" + std::to_string(10 + r), r < 10 ? 128 : 120, 120 + 32 * (r - 1),
                                      r < 10 ? 22 : 35, 30, places[r - 1], "Comic Sans MS", 21, true, true);
    for (int r = 10; r >= 1; --r) add("Label" + std::to_string(31 - r), 344, 120 + 32 * (r - 1), 26, 30, nullptr,
                                      "Comic Sans MS", 21, true, true);
    add("Label31", 120, 96, 35, 23, "Sija:", "Comic Sans MS", 16, false, true);
    add("Label32", 232, 96, 39, 23, "Nimi:", "Comic Sans MS", 16, false, true);
    add("Label33", 344, 96, 50, 23, "Voitot:", "Comic Sans MS", 16, false, true);
    add("Label34", 392, 480, 159, 19, nullptr, "Arial", 16, true, true);
    add("Label35", 80, 0, 350, 75, "Highscores", "Arial", 64, true, true);
    e.push_back({"Button1", K::Button, 120, 464, 73, 33, "Exit", "MS Sans Serif", 11, false, false, false, sys, none,
                 L, T, false});
    e.push_back({"Button2", K::Button, 296, 464, 75, 33, "Uusi peli", "MS Sans Serif", 11, false, false, false, sys,
                 none, L, T, false});
    e.push_back({"Button3", K::Button, 208, 464, 73, 33, "About...", "MS Sans Serif", 11, false, false, false, sys,
                 none, L, T, false});
    return e;
}

QColor dialogFace() { return QGuiApplication::palette().color(QPalette::Window); }

std::vector<Expected> nameDialogControls() {
    const QColor face = dialogFace();
    return {
        {"Label1", K::Label, 8, 32, 26, 13, "Nimi: ", "MS Sans Serif", 11, false, false, false, sys, face, L, T, true},
        {"Label2", K::Label, 40, 56, 142, 13, "Mieluummin vain n.10 merkkiä", "MS Sans Serif", 11, false, false,
         false, sys, face, L, T, true},
        {"Label3", K::Label, 8, 8, 30, 13, "Voitot:", "MS Sans Serif", 11, false, false, false, sys, face, L, T, true},
        {"Voittomaara", K::Label, 48, 8, 29, 13, "10 mk", "MS Sans Serif", 11, false, false, false, sys, face, L, T,
         true},
        {"Edit1", K::Edit, 48, 32, 121, 21, "", "MS Sans Serif", 11, false, false, false, sys, none, L, T, false},
        {"Button1", K::Button, 200, 32, 57, 25, "&OK", "MS Sans Serif", 11, false, false, false, sys, none, L, T,
         false},
    };
}

// clang-format off
const Expected kAbout[] = {
    {"Image1", K::Picture, 24, 16, 78, 143, nullptr, nullptr, 0, false, false, false, sys, none, L, T, false},
    {"Image2", K::Picture, 280, 16, 78, 143, nullptr, nullptr, 0, false, false, false, sys, none, L, T, false},
    {"StaticText1", K::Label, 152, 16, 83, 19, "Vornakka v1.00", "Comic Sans MS", 11, false, false, false, lime, black, C, T, true},
    {"StaticText2", K::Label, 160, 40, 71, 19, nullptr, "Comic Sans MS", 11, false, false, false, lime, none, C, T, true},
    {"StaticText3", K::Label, 144, 56, 100, 19, nullptr, "Comic Sans MS", 11, false, false, false, lime, none, C, T, true},
    {"StaticText4", K::Label, 144, 96, 105, 19, nullptr, "Comic Sans MS", 11, false, false, false, lime, none, C, T, true},
    {"StaticText5", K::Label, 160, 80, 64, 19, "Sähköposti:", "Comic Sans MS", 11, false, false, false, lime, none, C, T, true},
    {"StaticText6", K::Label, 168, 120, 49, 19, "Kotisivu:", "Comic Sans MS", 11, false, false, false, lime, none, C, T, true},
    {"StaticText7", K::Label, 120, 136, 154, 19, nullptr, "Comic Sans MS", 11, false, false, false, lime, none, C, T, true},
    {"Button1", K::Button, 168, 168, 57, 25, "&OK", "Comic Sans MS", 11, true, false, false, sys, none, L, T, false},
};
// clang-format on

QColor windowText() { return QGuiApplication::palette().color(QPalette::WindowText); }

void checkControls(QWidget& window, const std::vector<Expected>& expected) {
    // Creation order is painting order: the window's children come in the
    // order of the table. (The screen reader's announcer draws nothing.)
    QStringList order;
    for (QObject* child : window.children()) {
        if (child->isWidgetType() && child->objectName() != QLatin1String("Announcer")) order << child->objectName();
    }
    QStringList wanted;
    for (const Expected& e : expected) wanted << QString::fromLatin1(e.name);
    EXPECT_EQ(order, wanted) << window.objectName().toStdString();

    for (const Expected& e : expected) {
        SCOPED_TRACE(window.objectName().toStdString() + "." + e.name);
        QWidget* w = window.findChild<QWidget*>(QString::fromLatin1(e.name), Qt::FindDirectChildrenOnly);
        ASSERT_NE(w, nullptr);
        switch (e.kind) {
            case K::Label: EXPECT_TRUE(qobject_cast<Label*>(w) && !qobject_cast<FaceLabel*>(w)); break;
            case K::Face: EXPECT_NE(qobject_cast<FaceLabel*>(w), nullptr); break;
            case K::Button: EXPECT_NE(qobject_cast<QPushButton*>(w), nullptr); break;
            case K::Panel: EXPECT_NE(qobject_cast<Lamp*>(w), nullptr); break;
            case K::Edit: EXPECT_NE(qobject_cast<QLineEdit*>(w), nullptr); break;
            case K::Picture: {
                auto* image = qobject_cast<QLabel*>(w);
                ASSERT_NE(image, nullptr);
                EXPECT_EQ(image->pixmap().size(), QSize(78, 143));
                break;
            }
        }
        if (e.family != nullptr) {
            EXPECT_EQ(w->font().family().toStdString(), e.family);
            EXPECT_EQ(w->font().bold(), e.bold);
            EXPECT_EQ(w->font().italic(), e.italic);
            EXPECT_EQ(w->font().underline(), e.underline);
        }
        auto* label = qobject_cast<Label*>(w);
        if (label != nullptr && label->isAutoSize()) {
            // An auto-size label has the size of its text and keeps its top
            // and its left edge or, when centred, its centre.
            EXPECT_TRUE(label->isAutoSize() == e.autoSize);
            EXPECT_EQ(w->size(), label->sizeHint());
            EXPECT_EQ(w->y(), e.top);
            if (e.halign == C) {
                EXPECT_LE(std::abs(2 * w->x() + w->width() - (2 * e.left + e.width)), 1);
            } else {
                EXPECT_EQ(w->x(), e.left);
            }
            if (e.italic && std::string(e.name) == "Label18") {
                // The title stays clear of the paytable that begins at x 368.
                EXPECT_LE(w->width(), 314);
                EXPECT_LE(w->font().pixelSize(), 64);
                EXPECT_GE(w->font().pixelSize(), 48);
            } else if (e.family != nullptr) {
                EXPECT_EQ(w->font().pixelSize(), e.pixels);
            }
        } else {
            EXPECT_EQ(w->geometry(), QRect(e.left, e.top, e.width, e.height));
            if (e.family != nullptr) {
                EXPECT_EQ(w->font().pixelSize(), e.pixels);
            }
            if (label != nullptr) {
                EXPECT_EQ(label->isAutoSize(), e.autoSize);
            }
        }
        if (label != nullptr) {
            if (e.caption != nullptr) {
                EXPECT_EQ(label->text().toStdString(), e.caption);
            }
            EXPECT_EQ(label->palette().color(QPalette::WindowText), e.text.value_or(windowText()));
            EXPECT_EQ(label->autoFillBackground(), e.fill.has_value());
            if (e.fill) {
                EXPECT_EQ(label->palette().color(QPalette::Window), *e.fill);
            }
            EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, e.halign);
            EXPECT_EQ(label->alignment() & Qt::AlignVertical_Mask, e.valign);
            EXPECT_FALSE(label->wordWrap());
            EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text().toStdString(), e.caption);
            EXPECT_EQ(button->palette().color(QPalette::ButtonText),
                      e.text.value_or(QGuiApplication::palette().color(QPalette::ButtonText)));
        }
        if (auto* lamp = qobject_cast<Lamp*>(w)) {
            EXPECT_EQ(toQColor(lamp->fill()), *e.fill);
        }
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            EXPECT_EQ(edit->text().toStdString(), e.caption);
        }
    }
}

class LayoutTest : public GameTest {};

TEST_F(LayoutTest, EveryControlOfTheFourWindowsAsLaidOut) {
    start();
    checkControls(game->form1(), {std::begin(kMachine), std::end(kMachine)});
    checkControls(game->form2(), highScoreControls());
    checkControls(game->form3(), nameDialogControls());
    checkControls(game->form4(), {std::begin(kAbout), std::end(kAbout)});

    // The static texts of the about box stand on one middle line.
    for (int i = 1; i <= 7; ++i) {
        QWidget* w = control(game->form4(), QStringLiteral("StaticText%1").arg(i).toLatin1().constData());
        EXPECT_LE(std::abs(w->x() + w->width() / 2.0 - 195.0), 3.0) << i;
    }
}

TEST_F(LayoutTest, WindowPropertiesAndTabOrder) {
    start();
    struct Window {
        QWidget* w;
        const char* title;
        QSize client;
        bool fixed;
        bool onTop;
        QColor background;
    };
    const Window windows[] = {
        {&game->form1(), "Vornakka", {749, 515}, true, false, navy},
        {&game->form2(), "Tuplaajat...", {567, 529}, true, true, black},
        {&game->form3(), "Anna nimesi", {269, 74}, false, false, dialogFace()},
        {&game->form4(), "About...", {377, 204}, true, true, black},
    };
    for (const Window& win : windows) {
        SCOPED_TRACE(win.title);
        EXPECT_EQ(win.w->windowTitle().toStdString(), win.title);
        EXPECT_EQ(win.w->size(), win.client);
        EXPECT_EQ(win.w->minimumSize() == win.w->maximumSize(), win.fixed);
        EXPECT_EQ(win.w->windowFlags().testFlag(Qt::WindowStaysOnTopHint), win.onTop);
        EXPECT_EQ(win.w->palette().color(QPalette::Window), win.background);
        EXPECT_FALSE(win.w->windowIcon().isNull());
    }
    const Qt::WindowFlags machine = game->form1().windowFlags();
    EXPECT_TRUE(machine.testFlag(Qt::CustomizeWindowHint) && machine.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(machine.testFlag(Qt::WindowCloseButtonHint) || machine.testFlag(Qt::WindowMinimizeButtonHint) ||
                 machine.testFlag(Qt::WindowMaximizeButtonHint) || machine.testFlag(Qt::WindowSystemMenuHint));
    for (QWidget* w : {static_cast<QWidget*>(&game->form2()), static_cast<QWidget*>(&game->form4())}) {
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint) ||
                     w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }
    EXPECT_EQ(game->form4().windowType(), Qt::Tool);
    EXPECT_EQ(game->form3().windowType(), Qt::Window);
    EXPECT_FALSE(game->form3().windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_EQ(game->form1().font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(game->form1().font().pixelSize(), 11);
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Vornakka"));

    // Only the machine window is on screen at first.
    EXPECT_TRUE(game->form1().isVisible());
    EXPECT_FALSE(game->form2().isVisible() || game->form3().isVisible() || game->form4().isVisible());

    // Tab runs through the nine buttons in their order and round again; the
    // high-score window's through Exit, Uusi peli, About...; the name
    // dialog's through the edit box and OK.
    const auto chain = [](QWidget& window, const char* first, int n) {
        QStringList names;
        QWidget* w = control(window, first);
        for (int i = 0; i < n && w != nullptr; ++i) {
            names << w->objectName();
            do {
                w = w->nextInFocusChain();
            } while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&window) || w == &window);
        }
        return names.join(' ').toStdString();
    };
    EXPECT_EQ(chain(game->form1(), "Button1", 10),
              "Button1 Button2 Button3 Button4 Button5 Button6 Button7 Button8 Button9 Button1");
    EXPECT_EQ(chain(game->form2(), "Button1", 4), "Button1 Button2 Button3 Button1");
    EXPECT_EQ(chain(game->form3(), "Edit1", 3), "Edit1 Button1 Edit1");
    EXPECT_EQ(chain(game->form4(), "Button1", 2), "Button1 Button1");
    EXPECT_EQ(game->form1().defaultButton(), control<QPushButton>(game->form1(), "Button2"));
    EXPECT_EQ(game->form1().cancelButton(), control<QPushButton>(game->form1(), "Button2"));
    EXPECT_EQ(game->form2().defaultButton(), control<QPushButton>(game->form2(), "Button3"));
    EXPECT_EQ(game->form2().cancelButton(), nullptr);
    EXPECT_EQ(game->form3().defaultButton(), nullptr);
    EXPECT_EQ(game->form3().cancelButton(), nullptr);
}

}  // namespace
}  // namespace vornakka::test
