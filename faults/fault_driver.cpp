// The program the fault tests run in a process of its own (with the fault
// library preloaded, or inside a private mount namespace):
//
//   fault_driver sweep DIR
//       For both data files and each kind of fault, fails every file call
//       of a save in turn and prints one tab-separated line per case:
//       file, fault, n, calls, failed call, outcome, file state, leftovers.
//       Needs the fault library preloaded.
//   fault_driver machine DIR [FAULT] [--then CMD] [--between CMD]
//       Starts the real slot machine on the data files in DIR, runs the
//       shell command CMD of --then (say, making the folder read-only), wins
//       120 and cashes out; prints what the failure box would show and the
//       machine's state. FAULT "call:ERRNO" fails the first such call of the
//       save through the fault library. Then clears the fault, runs the
//       command of --between (say, freeing the disk) and cashes out again.
//   fault_driver overlong DIR MEGABYTES score|name
//       Writes a LIST.VRK whose first score (or name) line is that long,
//       loads it, and prints the time, the growth of the peak memory and
//       the failure message.
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "vornakka/failure.h"
#include "vornakka/high_score_table.h"
#include "vornakka/jackpot_file.h"
#include "quiet_machine.h"
#include "scripted_player.h"
#include "vornakka/slot_machine.h"

namespace {

namespace fs = std::filesystem;
using namespace vornakka;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(2);
    }
}

int leftovers(const std::string& dir, std::initializer_list<std::string> known) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        bool isKnown = false;
        for (const auto& k : known) isKnown = isKnown || name == k;
        n += isKnown ? 0 : 1;
    }
    return n;
}

void removeLeftovers(const std::string& dir, std::initializer_list<std::string> known) {
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        bool isKnown = false;
        for (const auto& k : known) isKnown = isKnown || name == k;
        if (!isKnown) fs::remove_all(e.path());
    }
}

std::string outcomeOf(const std::function<void()>& fn) {
    try {
        fn();
        return "OK";
    } catch (const IoError& e) {
        return "IoError " + std::to_string(e.code()) + " " + e.what();
    } catch (const Failure& e) {
        return std::string(e.kind()) + " " + e.what();
    }
}

// The fault library's controls, when it is preloaded.
struct Shim {
    void (*arm)(long, const char*, int, int) = nullptr;
    void (*disarm)() = nullptr;
    long (*calls)() = nullptr;
    const char* (*failed)() = nullptr;

    static Shim find() {
        Shim s;
        s.arm = reinterpret_cast<void (*)(long, const char*, int, int)>(::dlsym(RTLD_DEFAULT, "vornakka_fault_arm"));
        s.disarm = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "vornakka_fault_disarm"));
        s.calls = reinterpret_cast<long (*)()>(::dlsym(RTLD_DEFAULT, "vornakka_fault_calls"));
        s.failed = reinterpret_cast<const char* (*)()>(::dlsym(RTLD_DEFAULT, "vornakka_fault_failed"));
        return s;
    }
    bool present() const { return arm && disarm && calls && failed; }
};

int errnoNamed(const std::string& name) {
    if (name == "EIO") return EIO;
    if (name == "ENOSPC") return ENOSPC;
    if (name == "EDQUOT") return EDQUOT;
    if (name == "EACCES") return EACCES;
    if (name == "EROFS") return EROFS;
    if (name == "EPERM") return EPERM;
    std::fprintf(stderr, "unknown errno %s\n", name.c_str());
    std::exit(2);
}

// A full table whose every row tells which save wrote it.
std::string listBytesFor(long i) {
    std::string bytes;
    for (int r = 1; r <= 10; ++r) {
        bytes += 'S';
        bytes += std::to_string(i) + "\r\n" + std::to_string(1998 + i * 10 + (10 - r)) + "\r\n";
    }
    return bytes;
}

HighScoreTable listFor(const std::string& path, long i) {
    HighScoreTable table(path);
    const std::string name = std::string("S").append(std::to_string(i));
    for (int r = 10; r >= 1; --r) table.insert(name, static_cast<std::int32_t>(i * 10 + (10 - r)));
    return table;
}

std::string jackpotBytesFor(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
            static_cast<char>((u >> 24) & 0xFF)};
}

int sweep(const std::string& dir) {
    const Shim shim = Shim::find();
    if (!shim.present()) {
        std::fprintf(stderr, "sweep needs the fault library preloaded\n");
        return 2;
    }
    struct Target {
        const char* name;
        std::string oldBytes;
        std::string newBytes;
        std::function<void(const std::string&)> save;
    };
    const std::vector<Target> targets = {
        {"VORNA.DAT", std::string("\x11\x22\x33\x44tail", 8), jackpotBytesFor(1234),
         [](const std::string& p) { JackpotFile(p).save(1234); }},
        {"LIST.VRK", "old\r\n2000\r\n", listBytesFor(7), [](const std::string& p) { listFor(p, 7).save(); }},
    };
    // Errors are tried on every file call; a short write and a write of
    // nothing only on the writes.
    struct Kind {
        const char* name;
        int err;
        int mode;
        const char* only;
    };
    const Kind kinds[] = {{"EIO", EIO, 0, nullptr},       {"ENOSPC", ENOSPC, 0, nullptr},
                          {"EDQUOT", EDQUOT, 0, nullptr}, {"EACCES", EACCES, 0, nullptr},
                          {"short", 0, 1, "write"},       {"zero", 0, 2, "write"}};
    for (const Target& t : targets) {
        const std::string path = dir + "/" + t.name;
        for (const Kind& kind : kinds) {
            // Count the calls of one clean save first.
            writeFile(path, t.oldBytes);
            shim.arm(0, kind.only, 0, 0);
            t.save(path);
            shim.disarm();
            const long count = shim.calls();
            for (long n = 1; n <= count; ++n) {
                removeLeftovers(dir, {t.name});
                writeFile(path, t.oldBytes);
                shim.arm(n, kind.only, kind.err, kind.mode);
                const std::string outcome = outcomeOf([&] { t.save(path); });
                shim.disarm();
                const std::string now = readFile(path);
                const char* state = now == t.oldBytes ? "old" : now == t.newBytes ? "new" : "TORN";
                std::printf("%s\t%s\t%ld\t%ld\t%s\t%s\t%s\t%d\n", t.name, kind.name, n, count,
                            *shim.failed() ? shim.failed() : "-", outcome.c_str(), state,
                            leftovers(dir, {t.name}));
            }
        }
        removeLeftovers(dir, {});
    }
    return 0;
}

struct Noon : Clock {
    TimeOfDay utcTimeOfDay() override { return {12, 0, 0, 0}; }
};

void shell(const std::string& command) {
    if (!command.empty() && std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "command failed: %s\n", command.c_str());
        std::exit(2);
    }
}

int machine(const std::string& dir, const std::string& faultArg, const std::string& then,
            const std::string& between) {
    const std::string jackpotPath = dir + "/VORNA.DAT";
    const std::string listPath = dir + "/LIST.VRK";
    const std::string oldJackpot = readFile(jackpotPath);
    // What the machine showed, as much as tells what the player would see.
    test::QuietView view;
    test::QuietSounds sounds;
    JackpotFile jackpot(jackpotPath);
    HighScoreTable scores(listPath);
    Noon clock;
    RandomSource random;
    SlotMachine m(view, view, sounds, jackpot, scores, clock, random);
    std::printf("start-up: %s\n", outcomeOf([&] { m.startUp(); }).c_str());

    shell(then);
    // Files the command made (a filler on a full disk) are not leftovers.
    std::vector<std::string> present;
    for (const auto& e : fs::directory_iterator(dir)) present.push_back(e.path().filename().string());
    auto strays = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            n += std::find(present.begin(), present.end(), name) == present.end() ? 1 : 0;
        }
        return n;
    };
    // The game goes on: 100 and 20 won and collected, and spins lost down to
    // 7 credits (nothing of it saves).
    test::ScriptedPlayer player(m, random, [&view] { return view.reelTimer; });
    player.winAndCollect(5, "AAA");
    player.winAndCollect(1, "AAA");
    player.loseDownTo(7);

    Shim shim = Shim::find();
    if (!faultArg.empty()) {
        const auto colon = faultArg.find(':');
        if (!shim.present() || colon == std::string::npos) {
            std::fprintf(stderr, "a fault needs the fault library preloaded and the form call:ERRNO\n");
            return 2;
        }
        const std::string call = faultArg.substr(0, colon);
        shim.arm(1, call.c_str(), errnoNamed(faultArg.substr(colon + 1)), 0);
    }
    // What the failure box of the button would show.
    std::printf("cash-out: %s\n", outcomeOf([&] { m.pressCollect(); }).c_str());
    if (shim.present()) shim.disarm();
    std::printf("after: winnings %d credits %d high-scores %d name-entries %zu jackpot-file %s leftovers %d\n",
                m.state().winnings, m.state().credits, view.highScoresOpened, view.nameEntries.size(),
                readFile(jackpotPath) == oldJackpot ? "old" : "new", strays());

    shell(between);
    std::printf("again: %s\n", outcomeOf([&] { m.pressCollect(); }).c_str());
    std::printf("after: winnings %d credits %d high-scores %d name-entries %zu jackpot-file %s leftovers %d\n",
                m.state().winnings, m.state().credits, view.highScoresOpened, view.nameEntries.size(),
                readFile(jackpotPath) == oldJackpot ? "old" : "new", strays());
    if (!view.nameEntries.empty()) {
        // The name dialog's OK: insert and save.
        scores.insert("Tester", view.nameEntries.back());
        std::printf("name saved: %s\n", outcomeOf([&] { scores.save(); }).c_str());
    }
    return 0;
}

long peakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int overlong(const std::string& dir, long megabytes, const std::string& kind) {
    const std::string path = dir + "/LIST.VRK";
    {
        // Written in pieces, so that writing it costs no memory.
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string chunk(64 * 1024, kind == "score" ? '7' : 'N');
        out << (kind == "score" ? "Pitka\r\n" : "");
        for (long written = 0; written < megabytes * 1024 * 1024; written += static_cast<long>(chunk.size())) {
            out << chunk;
        }
        out << "\r\n";
        if (kind == "name") out << "2118\r\n";
        for (int r = 2; r <= 10; ++r) out << "Row\r\n2000\r\n";
        if (!out.flush()) return 2;
    }
    const long before = peakKilobytes();
    const auto t0 = std::chrono::steady_clock::now();
    HighScoreTable table(path);
    std::string message;
    try {
        table.load();
        message = "OK";
    } catch (const Failure& e) {
        message = e.what();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long after = peakKilobytes();
    std::printf("seconds %.3f peak-growth-kb %ld message-length %zu row1 %zu:%d\n", seconds, after - before,
                message.size(), table.row(1).name.size(), table.row(1).score);
    std::printf("message %s\n", message.c_str());
    fs::remove(path);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "sweep") return sweep(args[1]);
    if (args.size() >= 2 && args[0] == "machine") {
        std::string fault, then, between;
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--then" && i + 1 < args.size()) {
                then = args[++i];
            } else if (args[i] == "--between" && i + 1 < args.size()) {
                between = args[++i];
            } else {
                fault = args[i];
            }
        }
        return machine(args[1], fault, then, between);
    }
    if (args.size() >= 4 && args[0] == "overlong") return overlong(args[1], std::strtol(args[2].c_str(), nullptr, 10), args[3]);
    std::fprintf(stderr, "usage: see the top of fault_driver.cpp\n");
    return 2;
}
