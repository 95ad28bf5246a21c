// Fault injection on the saves of the two data files: every file call of a
// save failed in turn, a thousand saves killed at random moments, a real full
// disk and a read-only folder under the running machine, and a score line of
// megabytes. Nothing may be lost or torn, and the message must name the cause.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vornakka/failure.h"
#include "vornakka/high_score_table.h"
#include "vornakka/jackpot_file.h"
#include "bytes_and_shell.h"
#include "private_mounts.h"
#include "scratch_folder.h"
#include "skip_outside_ci.h"

namespace vornakka {
namespace {

namespace fs = std::filesystem;

const std::string kDriver = FAULT_DRIVER;
const std::string kShim = FAULT_SHIM;

// Reachable for an unprivileged user too; in memory (/dev/shm) when asked
// and possible.
class TempDir : public test::ScratchFolder {
public:
    explicit TempDir(bool inMemory = false)
        : ScratchFolder("vornakka-faults", inMemory ? Where::Memory : Where::TempDir) {
        fs::permissions(path(), fs::perms::all);
    }
};

using test::readBytes;
using test::runShell;
using test::writeBytes;

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, sep)) out.push_back(item);
    return out;
}

// The environment that preloads the fault library. A sanitizer build wants
// its runtime first among the libraries; the fault library only passes the
// calls on, so that order does not matter here.
std::string preload() { return "ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + kShim; }


// The message a failure of the given kind must carry.
std::string messageFor(const std::string& kind) {
    if (kind == "ENOSPC" || kind == "EDQUOT" || kind == "zero") return "Disk full";
    if (kind == "EACCES") return "File access denied";
    return "";  // EIO: "I/O error <code>", checked apart
}

TEST(SaveFaults, EveryFailingFileCallLeavesTheOldFileOrTheNewOneNeverATornOne) {
    TempDir dir;
    const std::string out = runShell(preload() + " " + kDriver + " sweep " + dir.path() + " 2>&1");
    std::set<std::string> failedCalls;
    std::map<std::string, long> renameAt;  // per file and fault, the number of the rename call
    int cases = 0, failures = 0;
    for (const std::string& line : split(out, '\n')) {
        const auto f = split(line, '\t');
        ASSERT_EQ(f.size(), 8u) << line;
        const std::string &file = f[0], &kind = f[1], &call = f[4], &outcome = f[5], &state = f[6];
        const std::string what = file + " " + kind + " call " + f[2] + "/" + f[3] + " (" + call + "): " + outcome;
        ++cases;
        failedCalls.insert(call);
        const long n = std::stol(f[2]);
        if (call == "rename") renameAt[file + kind] = n;
        EXPECT_NE(state, "TORN") << what;
        EXPECT_EQ(f[7], "0") << what << ": temporary files left behind";
        if (outcome == "OK") {
            EXPECT_EQ(state, "new") << what;
            continue;
        }
        ++failures;
        // A failure after the rename (syncing and closing the folder) comes
        // with the new file already in place; every earlier one keeps the
        // old file.
        if (state == "new") {
            EXPECT_TRUE(renameAt.count(file + kind) && n > renameAt[file + kind]) << what;
        } else {
            EXPECT_EQ(state, "old") << what;
        }
        const std::string message = outcome.substr(outcome.find(' ', 8) + 1);
        ASSERT_EQ(outcome.rfind("IoError ", 0), 0u) << what;
        if (kind == "EIO") {
            EXPECT_EQ(message.rfind("I/O error ", 0), 0u) << what;
        } else if (kind != "short") {
            EXPECT_EQ(message, messageFor(kind)) << what;
        }
    }
    // Both files, six kinds of fault, every call of each save.
    EXPECT_GE(cases, 2 * 6 * 6) << out;
    EXPECT_GT(failures, cases / 2);
    for (const char* call : {"open", "mkostemp", "fchmod", "write", "fsync", "close", "rename"}) {
        EXPECT_TRUE(failedCalls.count(call)) << call << " was never failed:\n" << out;
    }
}

// The rows a complete LIST.VRK written by save number i holds.
bool isCompleteList(const std::string& bytes, long& which) {
    const auto firstLine = bytes.find("\r\n");
    if (bytes.size() < 3 || bytes[0] != 'S' || firstLine == std::string::npos) return false;
    which = std::strtol(bytes.substr(1, firstLine - 1).c_str(), nullptr, 10);
    std::string expected;
    for (int r = 1; r <= 10; ++r) {
        expected += "S" + std::to_string(which) + "\r\n" + std::to_string(1998 + which * 10 + (10 - r)) + "\r\n";
    }
    return bytes == expected;
}

// A full table whose every row tells which save wrote it.
HighScoreTable listFor(const std::string& path, long i) {
    HighScoreTable table(path);
    const std::string name = std::string("S").append(std::to_string(i));
    for (int r = 10; r >= 1; --r) table.insert(name, static_cast<std::int32_t>(i * 10 + (10 - r)));
    return table;
}

// The child of the kill test: saves both files over and over, the jackpot i
// and then the list of save i, and says "ready" after the first pair.
[[noreturn]] void saveForever(const TempDir& dir, long i, const int pipeFds[2]) {
    ::close(pipeFds[0]);
    try {
        JackpotFile jackpot(dir.file("VORNA.DAT"));
        jackpot.save(static_cast<std::int32_t>(i));
        listFor(dir.file("LIST.VRK"), i).save();
        if (::write(pipeFds[1], "ready", 5) != 5) ::_exit(3);
        for (;;) {
            ++i;
            jackpot.save(static_cast<std::int32_t>(i));
            listFor(dir.file("LIST.VRK"), i).save();
        }
    } catch (...) {
        ::_exit(4);
    }
}

TEST(SaveFaults, AThousandSavesKilledAtRandomMomentsNeverTearAFile) {
    // In memory, a save takes some microseconds, so a kill a random 0..2 ms
    // after the loop is ready lands anywhere among a hundred saves, not
    // mostly in the wait for the disk.
    TempDir dir(true);
    const std::string jackpot = dir.file("VORNA.DAT");
    const std::string list = dir.file("LIST.VRK");
    std::mt19937 dice(20240607);
    std::uniform_int_distribution<int> delayMicros(0, 2000);
    long start = 1;
    long lastJackpot = 0, lastList = 0;
    int killedWithLeftover = 0;
    std::size_t lastEntries = 2;
    std::set<long> savesBeforeKill;  // complete saves between "ready" and the kill
    constexpr int kKills = 1000;
    for (int k = 0; k < kKills; ++k) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveForever(dir, start, pipeFds);
        ::close(pipeFds[1]);
        char ready[6] = {};
        const ssize_t got = ::read(pipeFds[0], ready, 5);
        ::close(pipeFds[0]);
        ASSERT_EQ(got, 5) << "the save loop did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(dice)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "kill " << k;

        const std::string j = readBytes(jackpot);
        ASSERT_EQ(j.size(), 4u) << "kill " << k << ": VORNA.DAT torn";
        const long value = static_cast<unsigned char>(j[0]) | static_cast<unsigned char>(j[1]) << 8 |
                           static_cast<unsigned char>(j[2]) << 16 | static_cast<long>(static_cast<unsigned char>(j[3])) << 24;
        // The jackpot on disk is one that was saved, and never older than
        // the one saved before the loop said it was ready.
        ASSERT_GE(value, start) << "kill " << k;
        ASSERT_GE(value, lastJackpot) << "kill " << k;
        lastJackpot = value;
        savesBeforeKill.insert(value - start);
        long which = 0;
        ASSERT_TRUE(isCompleteList(readBytes(list), which)) << "kill " << k << ": LIST.VRK torn:\n" << readBytes(list);
        ASSERT_GE(which, start) << "kill " << k;
        ASSERT_GE(which, lastList);
        lastList = which;
        // The list of save i is written after the jackpot of save i.
        ASSERT_LE(which, value) << "kill " << k;

        const std::size_t entries = dir.entries().size();
        if (entries > lastEntries) ++killedWithLeftover;
        lastEntries = entries;
        start = value + 1;
    }
    // The kills did land at many moments: in the middle of saves (some
    // left their temporary file behind) and after varying numbers of them.
    EXPECT_GT(killedWithLeftover, 0);
    EXPECT_GT(savesBeforeKill.size(), 5u);

    // The leftovers do not disturb the next start: both files load as the
    // last complete save, and saving again works beside them.
    const auto leftovers = dir.entries().size() - 2;
    EXPECT_EQ(JackpotFile(jackpot).load(), lastJackpot);
    HighScoreTable table(list);
    ASSERT_NO_THROW(table.load());
    EXPECT_EQ(table.row(1).name, "S" + std::to_string(lastList));
    EXPECT_EQ(table.row(10).score, lastList * 10);
    JackpotFile(jackpot).save(77);
    table.save();
    EXPECT_EQ(JackpotFile(jackpot).load(), 77);
    EXPECT_EQ(dir.entries().size() - 2, leftovers);
    std::printf("%d saves killed after 0..%ld complete saves, %d kills left a temporary file, %zu left in all\n",
                kKills, *savesBeforeKill.rbegin(), killedWithLeftover, leftovers);
}

// A fresh game folder: a jackpot of 500 and a list that 120 enters.
void seedGameFolder(const TempDir& dir) {
    writeBytes(dir.file("VORNA.DAT"), std::string("\xF4\x01\x00\x00", 4));
    std::string list;
    for (int r = 1; r <= 10; ++r) list += "Row" + std::to_string(r) + "\r\n" + std::to_string(1998 + 110 - 10 * r) + "\r\n";
    writeBytes(dir.file("LIST.VRK"), list);
}

// The cash-out of a machine with 120 won, failing, then done again.
void expectFailedThenDoneCashOut(const std::string& out, const std::string& message) {
    const auto lines = split(out, '\n');
    ASSERT_GE(lines.size(), 6u) << out;
    EXPECT_EQ(lines[0], "start-up: OK");
    EXPECT_EQ(lines[1], "cash-out: IoError " + message.substr(0, message.find('|')) + " " + message.substr(message.find('|') + 1));
    // The failed save stops the cash-out before the machine is reset: the
    // winnings are still there and no window opened; the old file is kept.
    EXPECT_EQ(lines[2], "after: winnings 120 credits 7 high-scores 0 name-entries 0 jackpot-file old leftovers 0");
    EXPECT_EQ(lines[3], "again: OK");
    EXPECT_EQ(lines[4], "after: winnings 0 credits 50 high-scores 0 name-entries 1 jackpot-file new leftovers 0");
    EXPECT_EQ(lines[5], "name saved: OK");
}

TEST(SaveFaults, FullDiskUnderTheRunningMachine) {
    const std::string privateMounts = test::privateMountNamespace();
    if (privateMounts.empty())
        VORNAKKA_SKIP_OUTSIDE_CI("a tmpfs in a private mount namespace needs root, or sudo without a password");
    // The game folder becomes a 64 KiB tmpfs holding the two files; once the
    // machine has started, the disk is filled to the last byte, and emptied
    // again before the second cash-out.
    TempDir stash, dir;
    seedGameFolder(stash);
    const std::string d = dir.path();
    const std::string inner = "mount -t tmpfs -o size=64k tmpfs " + d + " && cp " + stash.path() + "/* " + d + " && " +
                              kDriver + " machine " + d + " --then \"dd if=/dev/zero of=" + d +
                              "/fill bs=1k 2>/dev/null; true\" --between \"rm " + d + "/fill\"";
    // The driver's errors are part of what it says; sudo's own notes are not.
    const std::string out = runShell(privateMounts + " sh -c 'exec 2>&1; " + inner + "'");
    expectFailedThenDoneCashOut(out, "101|Disk full");
}

TEST(SaveFaults, ReadOnlyFolderUnderTheRunningMachine) {
    TempDir dir;
    seedGameFolder(dir);
    const std::string d = dir.path();
    std::string out;
    if (const std::string privateMounts = test::privateMountNamespace(); !privateMounts.empty()) {
        // The folder is bind-mounted on itself and made read-only once the
        // machine has started (start-up itself opens VORNA.DAT for writing),
        // and writable again before the second cash-out.
        out = runShell(privateMounts + " sh -c 'exec 2>&1; mount --bind " + d + " " + d + " && " + kDriver + " machine " + d +
                  " --then \"mount -o remount,bind,ro " + d + " " + d + "\" --between \"mount -o remount,bind,rw " + d +
                  " " + d + "\"'");
    } else if (::geteuid() != 0) {
        out = runShell(kDriver + " machine " + d + " --then 'chmod 555 " + d + "' --between 'chmod 755 " + d + "' 2>&1");
    } else {
        VORNAKKA_SKIP_OUTSIDE_CI("root without mount namespaces: permission bits do not stop root");
    }
    expectFailedThenDoneCashOut(out, "5|File access denied");
}

TEST(SaveFaults, InjectedFaultsUnderTheRunningMachine) {
    const std::pair<const char*, const char*> faults[] = {
        {"fsync:EIO", "1005|I/O error 1005"},
        {"write:ENOSPC", "101|Disk full"},
        {"rename:EIO", "1005|I/O error 1005"},
        {"mkostemp:EACCES", "5|File access denied"},
    };
    for (const auto& [fault, message] : faults) {
        SCOPED_TRACE(fault);
        TempDir dir;
        seedGameFolder(dir);
        const std::string out = runShell(preload() + " " + kDriver + " machine " + dir.path() + " " + fault + " 2>&1");
        expectFailedThenDoneCashOut(out, message);
    }
}

TEST(OverlongInput, AScoreLineOfMegabytesIsRejectedPromptlyWithBoundedMemory) {
    TempDir dir;
    for (const char* kind : {"score", "name"}) {
        SCOPED_TRACE(kind);
        const std::string out = runShell(kDriver + " overlong " + dir.path() + " 16 " + std::string(kind) + " 2>&1");
        double seconds = -1;
        long growth = -1, length = -1, nameLength = -1, score = -1;
        ASSERT_EQ(std::sscanf(out.c_str(), "seconds %lf peak-growth-kb %ld message-length %ld row1 %ld:%ld", &seconds,
                              &growth, &length, &nameLength, &score),
                  5)
            << out;
        // 16 MB read in well under a few seconds, with memory for the
        // reading buffer and the quote, not for the line.
        EXPECT_LT(seconds, 5.0) << out;
        EXPECT_LT(growth, 4 * 1024) << out;
        const std::string message = out.substr(out.find("message ") + 8);
        if (std::string(kind) == "score") {
            EXPECT_EQ(message, "'" + std::string(200, '7') + "...' is not a valid integer value");
            // The row whose score failed keeps its old, empty values.
            EXPECT_EQ(nameLength, 0);
        } else {
            // A name line of megabytes is cut to its first 10 characters.
            EXPECT_EQ(message, "OK");
            EXPECT_EQ(nameLength, 10);
            EXPECT_EQ(score, 120);
        }
    }
}

}  // namespace
}  // namespace vornakka
