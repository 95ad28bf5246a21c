// The game's windows under a real X11 window manager (xfwm4 or openbox, named
// by --wm=NAME), on an Xvfb display that the test starts for itself: title
// bars and frames, first placement, the name dialog's outer size, and above
// all that a click on a disabled owner never buries the window the player
// has to answer. The window manager's view is read the way any X client
// sees it, with xprop and xwininfo; the owners are clicked with xdotool.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QRect>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include <qguiapplication_platform.h>

#include "About/about.h"
#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "desktop_session.h"
#include "skip_outside_ci.h"
#include "support.h"
#include "vornakka/strips.h"

namespace vornakka::test {
namespace {

std::string windowManager;
std::string skipReason;
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

std::string hex(WId id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(id));
    return text;
}

std::string xprop(WId id, const char* property) { return runAndRead({"xprop", "-id", hex(id), property}); }

// The numbers after the "=" (or "#") of an xprop line, hexadecimal or not.
std::vector<unsigned long> numbers(const std::string& line) {
    std::vector<unsigned long> values;
    auto at = line.find_first_of("=#");
    if (at == std::string::npos) return values;
    std::string rest = line.substr(at + 1);
    for (char& c : rest) {
        if (c == ',') c = ' ';
    }
    std::istringstream in(rest);
    std::string word;
    while (in >> word) {
        try {
            values.push_back(std::stoul(word, nullptr, 0));
        } catch (...) {
        }
    }
    return values;
}

std::string allowedActions(WId id) {
    std::string line = xprop(id, "_NET_WM_ALLOWED_ACTIONS");
    const auto at = line.find('=');
    return at == std::string::npos ? line : line.substr(at + 2);
}

bool allows(WId id, const char* action) {
    return allowedActions(id).find(std::string("_NET_WM_ACTION_") + action) != std::string::npos;
}

int field(const std::string& text, const std::string& name) {
    const auto at = text.find(name);
    return at == std::string::npos ? -100000 : std::stoi(text.substr(at + name.size()));
}

// The client area on the screen, as the X server has it.
QRect clientRect(WId id) {
    const std::string info = runAndRead({"xwininfo", "-id", hex(id)});
    return QRect(field(info, "Absolute upper-left X:"), field(info, "Absolute upper-left Y:"),
                 field(info, "Width:"), field(info, "Height:"));
}

bool viewable(WId id) {
    return runAndRead({"xwininfo", "-id", hex(id)}).find("IsViewable") != std::string::npos;
}

// The whole window: the client area and the frame the window manager reports.
QRect frameRect(WId id) {
    const std::vector<unsigned long> e = numbers(xprop(id, "_NET_FRAME_EXTENTS"));  // left right top bottom
    const QRect client = clientRect(id);
    if (e.size() != 4) return client;
    return client.adjusted(-static_cast<int>(e[0]), -static_cast<int>(e[2]), static_cast<int>(e[1]),
                           static_cast<int>(e[3]));
}

// Twice the distance of the frame's centre from the screen's, to stay whole.
QPoint offCentreTwice(const QRect& frame) {
    return QPoint(2 * frame.x() + frame.width() - kScreenWidth, 2 * frame.y() + frame.height() - kScreenHeight);
}

// Bottom to top.
std::vector<unsigned long> stacking() {
    std::vector<unsigned long> ids = numbers(runAndRead({"xprop", "-root", "_NET_CLIENT_LIST_STACKING"}));
    return ids;
}

int stackIndex(WId id) {
    const auto ids = stacking();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == id) return static_cast<int>(i);
    }
    return -1;
}

void clickOn(const QPoint& where) {
    runAndRead({"xdotool", "mousemove", std::to_string(where.x()), std::to_string(where.y()), "click",
                "1"});
    pump(400);
}

struct Expected {
    unsigned long functions;
    unsigned long decorations;
};

class X11WindowTest : public GameTest {
protected:
    void SetUp() override {
        if (!skipReason.empty()) VORNAKKA_SKIP_OUTSIDE_CI(skipReason);
        if (!haveProgram("xdotool") || !haveProgram("xwininfo")) {
            VORNAKKA_SKIP_OUTSIDE_CI("xdotool or xwininfo is missing");
        }
    }

    // Waits until the window is on screen, framed and where it settles.
    void settle(FormWindow& window) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 15000));
        ASSERT_TRUE(waitUntil([&] { return !window.frameMargins().isNull(); }, 5000));
        pump(300);
    }

    // The title bar and the first place of a window just shown; prints what
    // was measured.
    void checkWindow(FormWindow& window, const char* name, Expected motif) {
        SCOPED_TRACE(name);
        const WId id = window.winId();
        const std::vector<unsigned long> hints = numbers(xprop(id, "_MOTIF_WM_HINTS"));
        ASSERT_GE(hints.size(), 3u);
        EXPECT_EQ(hints[0], 0x3u);
        EXPECT_EQ(hints[1], motif.functions);
        EXPECT_EQ(hints[2], motif.decorations);
        const QRect frame = frameRect(id);
        const QPoint off = offCentreTwice(frame);
        EXPECT_LE(std::abs(off.x()), 4) << "frame " << frame.x() << "," << frame.y();
        EXPECT_LE(std::abs(off.y()), 4) << "frame " << frame.x() << "," << frame.y();
        std::printf("[%s] %s: _MOTIF_WM_HINTS 0x%lx 0x%lx 0x%lx; allowed %s; frame %dx%d at %d,%d, off centre "
                    "%.1f,%.1f\n",
                    windowManager.c_str(), name, hints[0], hints[1], hints[2], allowedActions(id).c_str(),
                    frame.width(), frame.height(), frame.x(), frame.y(), off.x() / 2.0, off.y() / 2.0);
    }

    // With VORNAKKA_SCREENSHOTS=FOLDER the screen is saved there at each step.
    static void screenshot(const std::string& step) {
        const char* folder = std::getenv("VORNAKKA_SCREENSHOTS");
        if (folder == nullptr || !haveProgram("import")) return;
        runAndRead({"import", "-window", "root", std::string(folder) + "/" + windowManager + "-" + step + ".png"});
    }

    // Clicks the owner where the owned window does not cover it; the owned
    // window must stay on screen and above.
    void clickOwnerAndCheck(FormWindow& owned, FormWindow& owner) {
        const WId ownedId = owned.winId();
        const WId ownerId = owner.winId();
        EXPECT_EQ(numbers(xprop(ownedId, "WM_TRANSIENT_FOR")), std::vector<unsigned long>{ownerId});
        const QRect ownerClient = clientRect(ownerId);
        const QPoint spot(ownerClient.x() + 12, ownerClient.y() + ownerClient.height() / 2);
        ASSERT_FALSE(frameRect(ownedId).contains(spot));
        clickOn(spot);
        screenshot(owned.objectName().toStdString() + "-after-owner-click");
        EXPECT_TRUE(viewable(ownedId));
        EXPECT_GT(stackIndex(ownedId), stackIndex(ownerId));
        EXPECT_GE(stackIndex(ownerId), 0);
        EXPECT_TRUE(owned.isVisible());
        EXPECT_FALSE(owner.isEnabled());
    }

    void cashOutTwo() {
        spinTo([](char a, char b, char c) {
            const int row = firstMatchingRow(a, b, c);
            return row == 6 || row == 7;
        });
        click(machineWindow(), "Button6");  // collect
        click(machineWindow(), "Button6");  // cash out
    }
};

constexpr Expected kTitleOnly{0x4, 0xa};    // move; border and title
constexpr Expected kCloseOnly{0x24, 0xa};   // move and close; border and title
constexpr Expected kFullSet{0x3e, 0x7e};    // everything, window menu included

TEST_F(X11WindowTest, EveryWindowHasItsTitleBarItsPlaceAndStaysAboveItsOwner) {
    start();
    TForm1& machine = machineWindow();
    // The frame is known before the window is mapped: the window comes up
    // where it stays.
    const QRect firstPlace = clientRect(machine.winId());
    ASSERT_NO_FATAL_FAILURE(settle(machine));
    EXPECT_EQ(clientRect(machine.winId()), firstPlace);
    checkWindow(machine, "machine window", kTitleOnly);
    screenshot("Form1");
    if (windowManager == "xfwm4") {
        // xfwm4 follows the hints: the machine window can be moved, not
        // resized, minimised or maximised. (xfwm4 lists closing among the
        // allowed actions of every window; it draws no close button.)
        EXPECT_FALSE(allows(machine.winId(), "MINIMIZE"));
        EXPECT_FALSE(allows(machine.winId(), "MAXIMIZE_HORZ"));
        EXPECT_FALSE(allows(machine.winId(), "RESIZE"));
        EXPECT_TRUE(allows(machine.winId(), "MOVE"));
    }

    // A qualifying cash-out: the name dialog, above the disabled machine.
    cashOutTwo();
    TForm3& dialog = game->form3();
    ASSERT_TRUE(dialog.isVisible());
    ASSERT_NO_FATAL_FAILURE(settle(dialog));
    checkWindow(dialog, "name dialog", kFullSet);
    const std::vector<unsigned long> extents = numbers(xprop(dialog.winId(), "_NET_FRAME_EXTENTS"));
    ASSERT_EQ(extents.size(), 4u);
    const QRect outer = frameRect(dialog.winId());
    const int frameWidth = static_cast<int>(extents[0] + extents[1]);
    const int frameHeight = static_cast<int>(extents[2] + extents[3]);
    EXPECT_EQ(outer.width(), std::max(277, 257 + frameWidth));
    EXPECT_EQ(outer.height(), std::max(101, 69 + frameHeight));
    std::printf("[%s] name dialog: outer %dx%d, frame %lu,%lu,%lu,%lu (left, right, top, bottom)\n",
                windowManager.c_str(), outer.width(), outer.height(), extents[0], extents[1], extents[2],
                extents[3]);
    if (windowManager == "xfwm4") {
        EXPECT_TRUE(allows(dialog.winId(), "CLOSE"));
        EXPECT_TRUE(allows(dialog.winId(), "RESIZE"));
        EXPECT_TRUE(allows(dialog.winId(), "MAXIMIZE_HORZ"));
    }
    clickOwnerAndCheck(dialog, machine);

    // OK: the high-score window, above the still disabled machine.
    click(dialog, "Button1");
    TForm2& scores = game->form2();
    ASSERT_TRUE(waitUntil([&] { return scores.isVisible() && !dialog.isVisible(); }));
    ASSERT_NO_FATAL_FAILURE(settle(scores));
    checkWindow(scores, "high-score window", kCloseOnly);
    if (windowManager == "xfwm4") {
        EXPECT_TRUE(allows(scores.winId(), "CLOSE"));
        EXPECT_FALSE(allows(scores.winId(), "MAXIMIZE_HORZ"));
        EXPECT_FALSE(allows(scores.winId(), "RESIZE"));
    }
    EXPECT_NE(xprop(scores.winId(), "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos);
    clickOwnerAndCheck(scores, machine);

    // About...: the about box, above the disabled high-score window.
    click(scores, "Button3");
    TForm4& about = game->form4();
    ASSERT_TRUE(about.isVisible());
    ASSERT_NO_FATAL_FAILURE(settle(about));
    checkWindow(about, "about box", kCloseOnly);
    EXPECT_NE(xprop(about.winId(), "_NET_WM_WINDOW_TYPE").find("UTILITY"), std::string::npos);
    EXPECT_NE(xprop(about.winId(), "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos);
    clickOwnerAndCheck(about, scores);

    // OK, then the player moves the high-score window; a new game hides it
    // and the next game's end shows it where the player left it.
    click(about, "Button1");
    ASSERT_TRUE(waitUntil([&] { return !about.isVisible() && scores.isEnabled(); }));
    runAndRead({"xdotool", "windowmove", "--sync", hex(scores.winId()), "100", "60"});
    pump(300);
    const QRect moved = frameRect(scores.winId());
    EXPECT_NE(moved, frameRect(machine.winId()));
    click(scores, "Button2");
    ASSERT_TRUE(waitUntil([&] { return !scores.isVisible() && machine.isEnabled(); }));
    pump(200);
    machine.openHighScores();
    ASSERT_NO_FATAL_FAILURE(settle(scores));
    EXPECT_EQ(frameRect(scores.winId()), moved);
    // The hints hold after all those showings.
    EXPECT_EQ(numbers(xprop(scores.winId(), "_MOTIF_WM_HINTS"))[1], kCloseOnly.functions);
    EXPECT_EQ(numbers(xprop(machine.winId(), "_MOTIF_WM_HINTS"))[2], kTitleOnly.decorations);
}

// Asks the window manager to close the window, the way a task bar does.
void requestClose(WId id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    xcb_connection_t* c = x11->connection();
    static constexpr char kName[] = "_NET_CLOSE_WINDOW";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(id);
    event.type = atom->atom;
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = 2;  // from a pager or task bar
    std::free(atom);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

TEST_F(X11WindowTest, TheWindowsBelongToTheDesktopEntryAndACloseRequestEndsTheGame) {
    start();
    TForm1& machine = machineWindow();
    ASSERT_NO_FATAL_FAILURE(settle(machine));
    // WM_CLASS names the class "Vornakka", the entry's StartupWMClass.
    const std::string wmClass = xprop(machine.winId(), "WM_CLASS");
    EXPECT_NE(wmClass.find("\"Vornakka\""), std::string::npos) << wmClass;
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.example.Vornakka"));

    // A close request from a task bar, which both window managers pass on
    // whatever the hints say, ends the game as Exit does.
    bool closed = false;
    QObject::connect(&machine, &TForm1::closed, [&closed] { closed = true; });
    ASSERT_NO_FATAL_FAILURE(requestClose(machine.winId()));
    EXPECT_TRUE(waitUntil([&] { return closed; }, 3000));
}

}  // namespace
}  // namespace vornakka::test

int main(int argc, char** argv) {
    using namespace vornakka::test;
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--wm=", 0) == 0) windowManager = arg.substr(5);
    }
    std::unique_ptr<X11Session> session;
    if (windowManager.empty()) {
        skipReason = "no window manager named (--wm=xfwm4 or --wm=openbox)";
    } else {
        session = X11Session::start(windowManager, skipReason);
    }
    const Environment env = session ? session->clientEnvironment() : Environment{};
    const int result = runDesktopTests(argc, argv, session ? &env : nullptr, skipReason);
    session.reset();
    return result;
}
