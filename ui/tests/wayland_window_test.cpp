// The game's windows on Wayland, under a headless Weston that the test
// starts for itself: the game runs natively (not through Xwayland), every
// secondary window is created as a child of the window it belongs to, and
// every window carries the desktop entry's app id. The protocol log that
// WAYLAND_DEBUG writes is read back and checked line by line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QWindow>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

std::string skipReason;
std::string protocolLog;  // where this process's WAYLAND_DEBUG output goes

// One xdg_toplevel as the protocol log shows it.
struct Toplevel {
    std::string title;
    std::string parentTitle;  // empty: no set_parent, or set_parent(nil)
    std::string appId;
};

// Where "xdg_toplevel@" (libwayland 1.21) or "xdg_toplevel#" (1.23) stands in
// text from pos on, or npos.
std::size_t findToplevel(const std::string& text, std::size_t from) {
    static const std::string kName = "xdg_toplevel";
    for (std::size_t at = text.find(kName, from); at != std::string::npos; at = text.find(kName, at + 1)) {
        const std::size_t mark = at + kName.size();
        if (mark < text.size() && (text[mark] == '@' || text[mark] == '#')) return at;
    }
    return std::string::npos;
}

// The object id after "xdg_toplevel@" in text (from pos on), or empty.
std::string toplevelId(const std::string& text, std::size_t from = 0) {
    const std::size_t at = findToplevel(text, from);
    if (at == std::string::npos) return {};
    const std::size_t begin = at + 13;  // past "xdg_toplevel@"
    std::size_t end = begin;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0) ++end;
    return text.substr(begin, end - begin);
}

// One request a client sent to an xdg_toplevel, as WAYLAND_DEBUG logs it:
// "... -> xdg_toplevel@ID.METHOD(ARGS)" (with "#" for "@" since libwayland 1.23).
struct Request {
    std::string id;
    std::string method;
    std::string args;
};

bool parseRequest(const std::string& line, Request& request) {
    const std::size_t arrow = line.find("-> ");
    if (arrow == std::string::npos || findToplevel(line, arrow) != arrow + 3) return false;
    request.id = toplevelId(line, arrow);
    const std::size_t dot = arrow + 16 + request.id.size();
    const std::size_t open = line.find('(', dot);
    const std::size_t close = line.rfind(')');
    if (request.id.empty() || dot >= line.size() || line[dot] != '.' || open == std::string::npos ||
        close == std::string::npos || close < open) {
        return false;
    }
    request.method = line.substr(dot + 1, open - dot - 1);
    request.args = line.substr(open + 1, close - open - 1);
    return true;
}

// Reads the requests this client sent: every xdg_toplevel made, its title,
// parent and app id. Object ids are reused after destroy, so the log is
// followed in order.
std::vector<Toplevel> toplevelsInLog() {
    std::ifstream in(protocolLog);
    std::map<std::string, std::size_t> current;  // object id -> index in the list
    std::vector<Toplevel> made;
    std::string line;
    Request r;
    while (std::getline(in, line)) {
        if (!parseRequest(line, r)) continue;
        if (r.method == "destroy") {
            current.erase(r.id);
            continue;
        }
        if (r.method != "set_title" && r.method != "set_parent" && r.method != "set_app_id") continue;
        if (!current.count(r.id)) {
            current[r.id] = made.size();
            made.push_back({});
        }
        Toplevel& t = made[current[r.id]];
        if (r.method == "set_title" || r.method == "set_app_id") {
            const std::string text = r.args.size() >= 2 ? r.args.substr(1, r.args.size() - 2) : r.args;
            (r.method == "set_title" ? t.title : t.appId) = text;
        } else if (const std::string parent = toplevelId(r.args); !parent.empty() && current.count(parent)) {
            t.parentTitle = made[current[parent]].title;
        }
    }
    return made;
}

// The protocol lines that name the toplevels, for the record.
void printProtocolLines() {
    std::ifstream in(protocolLog);
    std::string line;
    while (std::getline(in, line)) {
        Request r;
        if (parseRequest(line, r) &&
            (line.find("set_parent") != std::string::npos || line.find("set_app_id") != std::string::npos ||
             line.find("set_title") != std::string::npos)) {
            std::printf("%s\n", line.c_str());
        }
        if (line.find("get_toplevel") != std::string::npos) std::printf("%s\n", line.c_str());
    }
}

class WaylandWindowTest : public GameTest {
protected:
    void SetUp() override {
        if (!skipReason.empty()) VORNAKKA_SKIP_OUTSIDE_CI(skipReason);
    }
};

TEST_F(WaylandWindowTest, EverySecondaryWindowIsAChildOfItsOwnerWithTheDesktopEntrysAppId) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    start();
    TForm1& machine = machineWindow();

    // Through the flow: a qualifying cash-out, OK, About..., OK, Uusi peli,
    // and once more the high-score window (every showing is a new toplevel).
    spinTo([](char a, char b, char c) {
        const int row = firstMatchingRow(a, b, c);
        return row == 6 || row == 7;
    });
    click(machine, "Button6");
    click(machine, "Button6");
    TForm3& dialog = game->form3();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowHandle()->transientParent(), machine.windowHandle());
    click(dialog, "Button1");
    TForm2& scores = game->form2();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scores));
    EXPECT_EQ(scores.windowHandle()->transientParent(), machine.windowHandle());
    click(scores, "Button3");
    TForm4& about = game->form4();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_EQ(about.windowHandle()->transientParent(), scores.windowHandle());
    click(about, "Button1");
    ASSERT_TRUE(waitUntil([&] { return !about.isVisible() && scores.isEnabled(); }));
    click(scores, "Button2");
    ASSERT_TRUE(waitUntil([&] { return machine.isEnabled(); }));
    machine.openHighScores();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scores));
    pump(200);
    std::fflush(stderr);

    const std::vector<Toplevel> made = toplevelsInLog();
    std::map<std::string, std::vector<std::string>> parents;  // title -> parent title of each showing
    for (const Toplevel& t : made) {
        SCOPED_TRACE(t.title);
        EXPECT_EQ(t.appId, "org.example.Vornakka");
        parents[t.title].push_back(t.parentTitle);
    }
    using Titles = std::vector<std::string>;
    EXPECT_EQ(parents["Vornakka"], Titles{""});
    EXPECT_EQ(parents["Anna nimesi"], Titles{"Vornakka"});
    EXPECT_EQ(parents["Tuplaajat..."], (Titles{"Vornakka", "Vornakka"}));
    EXPECT_EQ(parents["About..."], Titles{"Tuplaajat..."});
    if (HasFailure()) printProtocolLines();
    if (std::getenv("VORNAKKA_PRINT_PROTOCOL") != nullptr) printProtocolLines();
}

}  // namespace
}  // namespace vornakka::test

int main(int argc, char** argv) {
    using namespace vornakka::test;
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<WaylandSession> session = WaylandSession::start(skipReason);
    int savedStderr = -1;
    if (session) {
        // The protocol log goes to stderr: into a file in the private folder.
        protocolLog = session->runtimeDir() + "/../protocol.log";
        setenv("WAYLAND_DEBUG", "1", 1);
        std::fflush(stderr);
        savedStderr = dup(2);
        const int log = open(protocolLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log >= 0) {
            dup2(log, 2);
            close(log);
        }
    }
    const Environment env = session ? session->clientEnvironment() : Environment{};
    const int result = runDesktopTests(argc, argv, session ? &env : nullptr, skipReason);
    if (savedStderr >= 0) {
        std::fflush(stderr);
        dup2(savedStderr, 2);
        close(savedStderr);
    }
    session.reset();
    return result;
}
