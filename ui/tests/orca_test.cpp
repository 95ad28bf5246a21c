// A blind player's whole game with the real screen reader: Orca on a private
// desktop (orca_session.h) reads the game while the test plays it by keys
// alone, pressed on the X display. Each result Orca speaks is checked against
// the machine's true state, and a spin must come out as a handful of
// utterances, not as the letters that pass. Orca's transcript of the game is
// printed at the end.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "desktop_session.h"
#include "orca_session.h"
#include "support.h"
#include "vornakka/high_score_table.h"
#include "vornakka/strips.h"

namespace vornakka::test {
namespace {

OrcaSession* orca = nullptr;
std::string skipReason;
constexpr int kSpeechWaitMs = 60000;  // Orca on a busy machine

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// How Orca says a result: Qt 6.8 and later announce it, and Orca speaks the
// text alone; before, it is a notification, spoken with its role first.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
const std::string kResult;
#else
const std::string kResult = "notification ";
#endif

// A push button as Orca names it: "push button" in Orca 43, "button" in 48.
std::string button(const std::string& name) { return name + (orca->major() >= 48 ? " button" : " push button"); }

class OrcaGame : public GameTest {
protected:
    void SetUp() override {
        if (orca == nullptr) GTEST_SKIP() << skipReason;
    }

    // Presses keys and waits until Orca has spoken an utterance holding
    // part; returns everything spoken from the press on ("" when part never
    // came).
    // (What Orca says of one control comes in a few utterances close
    // together: the rest of them are waited for too.)
    std::vector<std::string> press(const std::string& keys, const std::string& part) {
        const std::size_t from = orca->spoken().size();
        key(keys);
        return heard(part, from);
    }

    // The same for a key that is Orca's own command (flat review): it is
    // held until Orca has carried the command out. Orca takes keys in as
    // they come and carries a command out only after whatever else is
    // queued; had the key's release come in first, Orca 51 took the next
    // review key for a new review, which starts again at the focus.
    std::vector<std::string> review(const std::string& key, const std::string& part) {
        const std::size_t from = orca->spoken().size();
        const int done = orca->commandsDone();
        const int released = orca->keysHandled();
        orca->keyDown(key);
        if (!waitUntil([&] { return orca->commandsDone() > done; }, kSpeechWaitMs)) {
            ADD_FAILURE() << "Orca did not carry out the command of " << key;
        }
        orca->keyUp(key);
        if (!waitUntil([&] { return orca->keysHandled() > released; }, kSpeechWaitMs)) {
            ADD_FAILURE() << "Orca did not handle the release of " << key;
        }
        return heard(part, from);
    }

    std::vector<std::string> heard(const std::string& part, std::size_t from) {
        waitFor(part, from);
        pump(400);
        const std::vector<std::string> all = orca->spoken();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    // Presses keys and waits until Orca has handled each of them (a key
    // and its modifiers), so that the next key cannot meet a late answer
    // about this one (orca_session.h).
    void key(const std::string& keys) {
        const int before = orca->keysHandled();
        const int count = 1 + static_cast<int>(std::count(keys.begin(), keys.end(), '+'));
        orca->key(keys);
        if (!waitUntil([&] { return orca->keysHandled() >= before + count; }, kSpeechWaitMs)) {
            ADD_FAILURE() << "Orca did not handle the key " << keys << " (" << orca->keysHandled() - before << " of "
                          << count << " releases)";
        }
    }

    std::vector<std::string> waitFor(const std::string& part, std::size_t from) {
        std::vector<std::string> said;
        const bool heard = waitUntil(
            [&] {
                const std::vector<std::string> all = orca->spoken();
                said.assign(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
                for (const std::string& s : said) {
                    if (contains(s, part)) return true;
                }
                return false;
            },
            kSpeechWaitMs);
        if (!heard) {
            ADD_FAILURE() << "Orca did not say " << (part.empty() ? "anything" : "\"" + part + "\"")
                          << "; it said: " << joined(said);
        }
        return said;
    }

    // Lets Orca finish what it is saying; returns what it said meanwhile.
    std::vector<std::string> settle(std::size_t from) {
        pump(1500);
        const std::vector<std::string> all = orca->spoken();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    static std::string joined(const std::vector<std::string>& said) {
        std::string text;
        for (const std::string& s : said) text += "[" + s + "] ";
        return text;
    }

    // How many utterances were text, whole.
    static int times(const std::vector<std::string>& said, const std::string& text) {
        return static_cast<int>(std::count(said.begin(), said.end(), text));
    }

    // What the game should say when a spin has stopped, from its true state.
    std::string spinResult() {
        const MachineState& s = state();
        std::string text = kResult;
        for (std::size_t r = 0; r < 3; ++r) {
            text += s.shownSymbol[r] == '*' ? std::string("tähti") : std::string(1, s.shownSymbol[r]);
            text += r < 2 ? ", " : ". ";
        }
        const std::string line = labelText(machineWindow(), "Teksrutu").toStdString();
        if (!line.empty()) text += line + " ";
        return text + money();
    }

    std::string money() {
        const Counters c = game->machine().counters();
        return "PELIT " + std::to_string(c.credits) + ", VOITOT " + std::to_string(c.winnings) + ".";
    }

    // Spins with KÄYNNISTÄ's key (Escape) to a line chosen by want; returns
    // what Orca said from the press until it fell quiet.
    std::vector<std::string> spin(const std::function<bool(char, char, char)>& want) {
        random.reseed(seedForSpin(state(), want));
        const std::size_t from = orca->spoken().size();
        key("Escape");
        waitFor(", VOITOT ", from);
        return settle(from);
    }
};

bool paysTwice(char a, char b, char c) {
    const int row = firstMatchingRow(a, b, c);
    return row == 6 || row == 7;
}
bool losing(char a, char b, char c) { return firstMatchingRow(a, b, c) == 0; }

TEST_F(OrcaGame, ABlindPlayersWholeGame) {
    start();
    TForm1& w = machineWindow();
    // Orca presents the window and the first button when the game comes up.
    waitFor(button("PANOS"), 0);
    EXPECT_TRUE(waitForActive(&w));

    // Orca's flat review reads the counters with their captions and the
    // paytable by rows, line by line up from the buttons.
    // It starts with Home, not Up: Orca 43 hears keys through Qt's bridge,
    // which hands the game any key Orca has not answered within 100 ms, and
    // Orca is slowest at its first review. An Up reaching the game moves
    // its focus one button back; Home means nothing to the game.
    std::vector<std::string> lines;
    for (int up = 0; up < 12 && !contains(joined(lines), "VIIM. VOITTO"); ++up) lines = review("KP_Home", "");
    EXPECT_TRUE(contains(joined(lines), "VIIM. VOITTO 0 VOITOT 0 PANOS 1 PELIT 50 C-- tai --D 2")) << joined(lines);
    review("KP_Home", "CC- tai C-D 4");

    // Tab: each control says what a press does now.
    std::vector<std::string> said = press("Tab", "pyöräyttää rullat, panos 1");
    EXPECT_TRUE(contains(joined(said), button("KÄYNNISTÄ"))) << joined(said);

    // A spin that wins: one result, once the reels have stopped.
    said = spin(paysTwice);
    ASSERT_EQ(game->machine().offer().win, 2);
    EXPECT_EQ(times(said, spinResult()), 1) << spinResult() << ": " << joined(said);
    EXPECT_TRUE(contains(spinResult(), "VOITIT 2 MK. TUPLAATKO? PELIT 49, VOITOT 0."));
    EXPECT_LE(said.size(), 4U) << joined(said);
    const std::size_t spinUtterances = said.size();

    // Through the buttons to TUPLAUS: the holds say they are not allowed now,
    // VOITONMAKSU that it takes the win.
    press("Tab", "LUKITSE rulla 1 check box not checked");
    press("Tab", "LUKITSE rulla 2 check box not checked");
    press("Tab", "LUKITSE rulla 3 check box not checked");
    said = press("Tab", "ottaa voiton 2 mk");
    EXPECT_TRUE(contains(joined(said), button("VOITONMAKSU"))) << joined(said);
    press("Tab", button("HYMY"));
    press("Tab", button("DEPRESSIO"));
    press("Tab", "tuplaa voiton 2 mk");

    // The double-up, guessed right.
    random.reseed(seedForGamble(state(), kSmile));
    said = press("space", kResult + "TUPLAUS 4MK DEPRESSIO/HYMY");
    // Orca 48 leaves out a description much like the name ("arvaa depressio", 0.75 alike).
    press("shift+Tab", orca->major() >= 48 ? button("DEPRESSIO") : "arvaa depressio");
    press("shift+Tab", "arvaa hymy");
    said = press("space", kResult + "VOITIT 4MK. TUPLAATKO?");
    EXPECT_EQ(times(said, kResult + "VOITIT 4MK. TUPLAATKO? " + money()), 1) << joined(said);
    EXPECT_EQ(game->machine().faces()[1], kSmile);

    // The collect.
    press("shift+Tab", "ottaa voiton 4 mk");
    said = press("space", kResult + "PELIT");
    EXPECT_EQ(game->machine().counters().winnings, 4);
    EXPECT_EQ(times(said, kResult + money()), 1) << joined(said);

    // A losing spin, then a hold on reel 2 for the next one.
    said = spin(losing);
    EXPECT_EQ(times(said, spinResult()), 1) << spinResult() << ": " << joined(said);
    EXPECT_LE(said.size(), 4U) << joined(said);
    press("shift+Tab", "LUKITSE rulla 3 check box");
    said = press("shift+Tab", "LUKITSE rulla 2 check box not checked");
    EXPECT_TRUE(contains(joined(said), "lukitus sallittu")) << joined(said);
    said = press("space", "checked");
    EXPECT_TRUE(game->machine().held(2));
    EXPECT_TRUE(contains(joined(said), "checked") && !contains(joined(said), "not checked")) << joined(said);
    const char heldSymbol = state().shownSymbol[1];
    said = spin(losing);
    EXPECT_EQ(state().shownSymbol[1], heldSymbol);
    EXPECT_EQ(times(said, spinResult()), 1) << spinResult() << ": " << joined(said);
    EXPECT_LE(said.size(), 4U) << joined(said);

    // The cash-out: VOITONMAKSU says it ends the game; the end is said once,
    // before the name dialog.
    press("Tab", "LUKITSE rulla 3");
    press("Tab", "lopettaa pelin, voitot 4 mk");
    const std::size_t cashOut = orca->spoken().size();
    key("space");
    waitFor("kirjoita nimesi", cashOut);
    waitFor("Peli loppui", cashOut);
    said = settle(cashOut);
    const std::string end = kResult + "Peli loppui, voitot 4 mk.";
    EXPECT_EQ(times(said, end), 1) << joined(said);
    const auto named = [&](const char* part) {
        return std::find_if(said.begin(), said.end(), [&](const std::string& s) { return contains(s, part); });
    };
    EXPECT_LT(std::find(said.begin(), said.end(), end), named("Anna nimesi")) << joined(said);
    EXPECT_NE(named("Voitot 4 mk pääsevät listalle: kirjoita nimesi"), said.end()) << joined(said);
    QWidget& dialog = game->form3();
    ASSERT_TRUE(waitForActive(&dialog));

    // The name, then OK.
    settle(0);
    for (const char* letter : {"shift+t", "o", "p", "i"}) press(letter, letter[0] == 's' ? "T" : letter);

    // The high-score window says the new row.
    said = press("alt+o", kResult + "Uusi tulos");
    const std::string row = "8. Topi 4 mk";
    EXPECT_TRUE(contains(joined(said), kResult + "Uusi tulos: " + row)) << joined(said);
    EXPECT_EQ(game->machine().state().finalScore, 4);

    // The about box reads its texts.
    press("Tab", button("Uusi peli"));
    press("Tab", button("About..."));
    said = press("space", "Vornakka v1.00");
    EXPECT_TRUE(contains(joined(said), button("OK"))) << joined(said);
    press("space", button("About..."));

    // And a new game.
    press("shift+Tab", button("Uusi peli"));
    said = press("space", button(""));
    ASSERT_TRUE(waitForActive(&w));
    EXPECT_EQ(game->machine().counters().credits, 50);

    const std::vector<std::string> all = orca->spoken();
    EXPECT_EQ(times(all, "notification"), 0);  // no word of its own before a result
    std::printf("Orca's transcript of the game (%zu utterances, a spin %zu):\n", all.size(), spinUtterances);
    for (const std::string& s : all) std::printf("SPEECH OUTPUT: '%s'\n", s.c_str());
}

}  // namespace
}  // namespace vornakka::test

int main(int argc, char** argv) {
    using namespace vornakka::test;
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<OrcaSession> session = OrcaSession::start(skipReason);
    orca = session.get();
    // Everything the session needs is a Debian package (tools/deps.sh test):
    // in CI a missing piece is a failure, not a skip.
    if (!session && std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true") {
        std::fprintf(stderr, "The Orca session could not start: %s\n", skipReason.c_str());
        return 1;
    }
    Environment env;
    if (session) {
        for (const auto& [name, value] : session->clientEnvironment()) env.emplace_back(name, value);
    }
    const int result = runDesktopTests(argc, argv, session ? &env : nullptr, skipReason);
    orca = nullptr;
    session.reset();
    return result;
}
