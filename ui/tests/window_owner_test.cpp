// Which window each secondary window belongs to, what its title bar asks the
// window manager for, and that belonging to a window does not tie enabling
// to it: a disabled owner leaves the window the player has to answer
// working. (The same under real window managers: desktop_x11_tests.)
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "common/x11_hints.h"
#include "shell/event_boundary.h"
#include "vornakka/failure.h"
#include "support.h"

namespace vornakka::test {
namespace {

using x11::MotifHints;
namespace motif = x11::motif;

MotifHints hintsOf(QWidget& w) { return x11::motifHintsFor(w.windowFlags(), w.minimumSize() == w.maximumSize()); }

TEST(TitleBarHints, EachKindOfTitleBarAsksForItsOwnButtons) {
    // Title and border only, moving only.
    EXPECT_EQ(x11::motifHintsFor(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint, true),
              (MotifHints{motif::kFuncMove, motif::kDecorBorder | motif::kDecorTitle}));
    // Qt adds its system-menu hint to a customised title bar with a close
    // button; that still gives no window menu.
    EXPECT_EQ(x11::motifHintsFor(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint,
                                 true),
              (MotifHints{motif::kFuncMove | motif::kFuncClose, motif::kDecorBorder | motif::kDecorTitle}));
    // An ordinary window has everything; fixed in size it cannot be resized
    // or maximised.
    EXPECT_EQ(x11::motifHintsFor(Qt::Window, false), (MotifHints{0x3e, 0x7e}));
    EXPECT_EQ(x11::motifHintsFor(Qt::Window, true),
              (MotifHints{motif::kFuncMove | motif::kFuncMinimize | motif::kFuncClose,
                          motif::kDecorBorder | motif::kDecorTitle | motif::kDecorMenu | motif::kDecorMinimize}));
}

class WindowOwnerTest : public GameTest {};

TEST_F(WindowOwnerTest, SecondaryWindowsBelongToTheirOwnersAndAnswerWhileTheOwnersAreDisabled) {
    start();
    TForm1& machine = machineWindow();
    TForm2& scores = game->form2();
    TForm3& dialog = game->form3();
    TForm4& about = game->form4();
    EXPECT_EQ(dialog.owner(), &machine);
    EXPECT_EQ(scores.owner(), &machine);
    EXPECT_EQ(about.owner(), &scores);
    EXPECT_EQ(machine.owner(), nullptr);
    // Owned for the window system only: no Qt parent that would pass the
    // owner's enabling on.
    for (QWidget* w : {static_cast<QWidget*>(&scores), static_cast<QWidget*>(&dialog),
                       static_cast<QWidget*>(&about)}) {
        EXPECT_EQ(w->parentWidget(), nullptr);
    }
    EXPECT_EQ(hintsOf(machine), (MotifHints{0x4, 0xa}));
    EXPECT_EQ(hintsOf(scores), (MotifHints{0x24, 0xa}));
    EXPECT_EQ(hintsOf(about), (MotifHints{0x24, 0xa}));
    EXPECT_EQ(hintsOf(dialog), (MotifHints{0x3e, 0x7e}));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.example.Vornakka"));

    // The machine's end of game opens the name dialog: a child of the
    // disabled machine window for the window system, enabled itself, and
    // typed into as usual.
    machine.openNameEntry(75);
    ASSERT_TRUE(waitForActive(&dialog));
    ASSERT_NE(dialog.windowHandle(), nullptr);
    EXPECT_EQ(dialog.windowHandle()->transientParent(), machine.windowHandle());
    EXPECT_FALSE(machine.isEnabled());
    EXPECT_TRUE(dialog.isEnabled());
    auto* edit = control<QLineEdit>(dialog, "Edit1");
    ASSERT_NE(edit, nullptr);
    edit->clear();
    typeText(edit, QStringLiteral("Omistaja"));
    EXPECT_EQ(edit->text(), QStringLiteral("Omistaja"));
    // Without a window manager the frame is the window system's own (none,
    // or the offscreen platform's thin one): the whole window is 277 x 101.
    pump(100);
    const QMargins frame = dialog.frameMargins();
    EXPECT_EQ(dialog.width() + frame.left() + frame.right(), TForm3::kOuterWidth);
    EXPECT_EQ(dialog.height() + frame.top() + frame.bottom(), TForm3::kOuterHeight);

    // OK: the high-score window, child of the still disabled machine; its
    // About...: the about box, child of the high-score window, which it
    // disables while the box stays usable.
    click(dialog, "Button1");
    ASSERT_TRUE(waitForActive(&scores));
    EXPECT_EQ(scores.windowHandle()->transientParent(), machine.windowHandle());
    EXPECT_TRUE(scores.isEnabled());
    click(scores, "Button3");
    ASSERT_TRUE(waitForActive(&about));
    EXPECT_EQ(about.windowHandle()->transientParent(), scores.windowHandle());
    EXPECT_FALSE(scores.isEnabled());
    EXPECT_TRUE(about.isEnabled());
    // A failure box belongs to the window in front, here the about box, so
    // that it cannot be hidden where staying on top means nothing (Wayland).
    {
        EventBoundary boundary;
        BoxAnswerer boxes;
        EXPECT_FALSE(boundary.run([] { throw IoError(5, "File access denied"); }));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].owner, QStringLiteral("Form4"));
    }
    click(about, "Button1");
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(scores.isEnabled());
    EXPECT_FALSE(machine.isEnabled());
}

}  // namespace
}  // namespace vornakka::test
