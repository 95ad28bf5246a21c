// Saving replaces a data file only when the new one is complete on disk.
// Faults are injected with a preloaded library, a real full disk (a tiny
// tmpfs in a private mount namespace) and an unprivileged user.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "test_support.h"
#include "vornakka/high_score_table.h"
#include "vornakka/jackpot_file.h"
#include "private_mounts.h"
#include "skip_outside_ci.h"

namespace vornakka {
namespace {

using test::readBytes;
using test::runProbe;
using test::ScratchFolder;
using test::throwsIoError;
using test::writeBytes;

namespace fs = std::filesystem;

std::string withFault(const std::string& fault) {
    return "VORNAKKA_FAULT=" + fault + " LD_PRELOAD=" STORAGE_FAULT_SHIM;
}

struct Target {
    std::string file;
    std::string saveOp;
    std::string oldBytes;
};

const Target kTargets[] = {
    {"VORNA.DAT", "jackpot-save",
     std::string("\x11\x22\x33\x44"
                 "tail",
                 8)},
    {"LIST.VRK", "list-save", "old\r\n2000\r\n"},
};

TEST(SafeSave, InjectedFaultsLeaveTheOldFileByteIdentical) {
    const std::pair<const char*, const char*> faults[] = {
        {"write=ENOSPC", "IoError 101 Disk full"},         {"write=EDQUOT", "IoError 101 Disk full"},
        {"write=zero", "IoError 101 Disk full"},           {"write=EIO", "IoError 1005 I/O error 1005"},
        {"fsync=EIO", "IoError 1005 I/O error 1005"},      {"fsync=ENOSPC", "IoError 101 Disk full"},
        {"close=EIO", "IoError 1005 I/O error 1005"},      {"close=ENOSPC", "IoError 101 Disk full"},
        {"rename=EACCES", "IoError 5 File access denied"}, {"rename=EROFS", "IoError 5 File access denied"},
        {"rename=EIO", "IoError 1005 I/O error 1005"},
    };
    for (const auto& target : kTargets) {
        for (const auto& [fault, expected] : faults) {
            ScratchFolder dir;
            const std::string path = dir.file(target.file);
            writeBytes(path, target.oldBytes);
            EXPECT_EQ(runProbe(withFault(fault), target.saveOp + " " + path + " 99"), expected)
                << target.file << " " << fault;
            EXPECT_EQ(readBytes(path), target.oldBytes) << target.file << " " << fault;
            EXPECT_EQ(dir.entries(), std::vector<std::string>{target.file}) << target.file << " " << fault;
        }
    }
}

TEST(SafeSave, PartialWritesAreCompleted) {
    // Without a fault the preloaded probe saves normally; one byte per write
    // call still gives the whole file.
    ScratchFolder dir;
    const std::string jackpot = dir.file("VORNA.DAT");
    EXPECT_EQ(runProbe(withFault("none=x"), "jackpot-save " + jackpot + " 1234"), "OK 1234");
    EXPECT_EQ(readBytes(jackpot), std::string("\xD2\x04\x00\x00", 4));
    EXPECT_EQ(runProbe(withFault("write=trickle"), "jackpot-save " + jackpot + " -2"), "OK -2");
    EXPECT_EQ(readBytes(jackpot), std::string("\xFE\xFF\xFF\xFF", 4));

    const std::string list = dir.file("LIST.VRK");
    EXPECT_EQ(runProbe(withFault("write=trickle"), "list-save " + list + " 120"), "OK 120");
    std::string expected = "PROBE\r\n2118\r\n";
    for (int i = 0; i < 9; ++i) expected += "\r\n1998\r\n";
    EXPECT_EQ(readBytes(list), expected);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"LIST.VRK", "VORNA.DAT"}));
}

TEST(SafeSave, RealFullDiskKeepsBothFiles) {
    const std::string privateMounts = test::privateMountNamespace();
    if (privateMounts.empty()) VORNAKKA_SKIP_OUTSIDE_CI("mounting a tiny tmpfs needs root, or sudo without a password");
    ScratchFolder dir;
    const std::string d = dir.path();
    const std::string probe = STORAGE_PROBE;
    const std::string script = "mount -t tmpfs -o size=64k tmpfs " + d + " || exit 0; echo mounted; " +  //
                               probe + " jackpot-save " + d + "/VORNA.DAT 1234 >/dev/null; " +           //
                               probe + " list-save " + d + "/LIST.VRK 5 >/dev/null; " +                  //
                               "dd if=/dev/zero of=" + d + "/fill bs=4k 2>/dev/null; " +                 //
                               probe + " jackpot-save " + d + "/VORNA.DAT 99; " +                        //
                               probe + " list-save " + d + "/LIST.VRK 99; " +                            //
                               probe + " jackpot-load " + d + "/VORNA.DAT; " +                           //
                               probe + " list-load " + d + "/LIST.VRK; " +                               //
                               "ls " + d + " | tr '\\n' ' '";
    const std::string out = test::runShell(privateMounts + " sh -c \"" + script + "\" 2>/dev/null");
    if (out.rfind("mounted", 0) != 0)
        VORNAKKA_SKIP_OUTSIDE_CI("cannot mount a tmpfs in a private mount namespace here");
    EXPECT_EQ(out,
              "mounted\n"
              "IoError 101 Disk full\n"
              "IoError 101 Disk full\n"
              "OK 1234\n"
              "OK 5\n"
              "LIST.VRK VORNA.DAT fill ");
}

TEST(SafeSave, RefusesWhatAnInPlaceRewriteWouldRefuse) {
    ScratchFolder dir;
    // A missing folder, a file used as a folder, a folder in place of the file.
    EXPECT_TRUE(
        throwsIoError([&] { JackpotFile(dir.file("missing/VORNA.DAT")).save(1); }, 2, "File not found"));
    writeBytes(dir.file("plain"), "x");
    EXPECT_TRUE(
        throwsIoError([&] { HighScoreTable(dir.file("plain/LIST.VRK")).save(); }, 2, "File not found"));
    fs::create_directory(dir.file("VORNA.DAT"));
    EXPECT_TRUE(throwsIoError([&] { JackpotFile(dir.file("VORNA.DAT")).save(1); }, 5, "File access denied"));
    EXPECT_TRUE(fs::is_directory(dir.file("VORNA.DAT")));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"VORNA.DAT", "plain"}));
}

TEST(SafeSave, WriteProtectedFileOrFolderIsAccessDenied) {
    ScratchFolder dir;
    const std::string open = dir.file("open");      // anyone may create files here
    const std::string closed = dir.file("closed");  // only the owner may
    fs::create_directory(open);
    fs::create_directory(closed);
    const std::string jackpot = open + "/VORNA.DAT";
    const std::string list = closed + "/LIST.VRK";
    const std::string oldJackpot("\x01\x02\x03\x04", 4);
    const std::string oldList = "old\r\n2000\r\n";
    writeBytes(jackpot, oldJackpot);
    writeBytes(list, oldList);
    ASSERT_EQ(::chmod(jackpot.c_str(), 0444), 0);  // protected file in an open folder
    ASSERT_EQ(::chmod(list.c_str(), 0666), 0);     // writable file in a closed folder
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(closed.c_str(), 0755), 0);

    if (::geteuid() == 0) {
        const std::string answer = test::runProbeAsNobody("jackpot-save " + jackpot + " 9");
        if (answer.empty()) VORNAKKA_SKIP_OUTSIDE_CI("running as root and cannot switch to user nobody (setpriv)");
        EXPECT_EQ(answer, "IoError 5 File access denied");
        EXPECT_EQ(test::runProbeAsNobody("list-save " + list + " 9"), "IoError 5 File access denied");
        // Once the folder is writable, nobody may replace the writable list.
        ASSERT_EQ(::chmod(closed.c_str(), 0777), 0);
        EXPECT_EQ(test::runProbeAsNobody("list-save " + list + " 9"), "OK 9");
        EXPECT_EQ(readBytes(list).substr(0, 13), "PROBE\r\n2007\r\n");
        EXPECT_EQ(fs::directory_iterator(closed)->path().filename(), "LIST.VRK");
    } else {
        ASSERT_EQ(::chmod(closed.c_str(), 0555), 0);
        EXPECT_TRUE(throwsIoError([&] { JackpotFile(jackpot).save(9); }, 5, "File access denied"));
        EXPECT_TRUE(throwsIoError([&] { HighScoreTable(list).save(); }, 5, "File access denied"));
        EXPECT_EQ(readBytes(list), oldList);
    }
    EXPECT_EQ(readBytes(jackpot), oldJackpot);
    EXPECT_EQ(std::distance(fs::directory_iterator(open), fs::directory_iterator()), 1);
}

TEST(SafeSave, KeepsPermissionsLinksAndIgnoresLeftovers) {
    ScratchFolder dir;
    const std::string path = dir.file("VORNA.DAT");
    const mode_t previousMask = ::umask(022);
    JackpotFile(path).save(1);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    JackpotFile(path).save(2);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ::umask(077);
    HighScoreTable(dir.file("LIST.VRK")).save();
    ASSERT_EQ(::stat(dir.file("LIST.VRK").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ::umask(previousMask);

    // A data file reached through a link is replaced where it lives.
    fs::create_directory(dir.file("real"));
    JackpotFile(dir.file("real/VORNA.DAT")).save(5);
    fs::create_symlink("real/VORNA.DAT", dir.file("LINK.DAT"));
    JackpotFile(dir.file("LINK.DAT")).save(6);
    EXPECT_TRUE(fs::is_symlink(dir.file("LINK.DAT")));
    EXPECT_EQ(JackpotFile(dir.file("real/VORNA.DAT")).load(), 6);

    // What a killed save leaves behind is never read as data.
    writeBytes(dir.file("VORNA.DAT.tmp-AbC123"), std::string("\x63\x00\x00\x00", 4));
    EXPECT_EQ(JackpotFile(path).load(), 2);
    JackpotFile(path).save(3);
    EXPECT_EQ(JackpotFile(path).load(), 3);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"LINK.DAT", "LIST.VRK", "VORNA.DAT",
                                                       "VORNA.DAT.tmp-AbC123", "real"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace vornakka
