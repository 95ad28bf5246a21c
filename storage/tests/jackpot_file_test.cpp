#include "vornakka/jackpot_file.h"
#include "skip_outside_ci.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "test_support.h"

namespace vornakka {
namespace {

using test::readBytes;
using test::ScratchFolder;
using test::throwsIoError;
using test::writeBytes;

TEST(JackpotFile, SavesExactlyOneLittleEndianRecord) {
    ScratchFolder dir;
    JackpotFile file(dir.file("VORNA.DAT"));
    file.save(1234);
    EXPECT_EQ(readBytes(file.path()), std::string("\xD2\x04\x00\x00", 4));

    // A longer old file is replaced, not overwritten in its first bytes.
    writeBytes(file.path(), std::string(16, '\x55'));
    file.save(0x01020304);
    EXPECT_EQ(readBytes(file.path()), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"VORNA.DAT"});
}

TEST(JackpotFile, RoundTripsNegativeAndExtremeValues) {
    ScratchFolder dir;
    JackpotFile file(dir.file("VORNA.DAT"));
    for (std::int32_t value : {0, 1, -1, -1998, 0x7F, 0x80, 0x8000, INT32_MAX, INT32_MIN}) {
        file.save(value);
        EXPECT_EQ(JackpotFile(file.path()).load(), value);
    }
    file.save(-2);
    EXPECT_EQ(readBytes(file.path()), std::string("\xFE\xFF\xFF\xFF", 4));
}

TEST(JackpotFile, LoadReadsTheFirstRecordAndIgnoresTheRest) {
    ScratchFolder dir;
    JackpotFile file(dir.file("VORNA.DAT"));
    writeBytes(file.path(), std::string("\x10\x27\x00\x00"
                                        "garbage",
                                        11));
    EXPECT_EQ(file.load(), 10000);
    // Loading does not change the file.
    EXPECT_EQ(readBytes(file.path()).size(), 11u);
}

TEST(JackpotFile, LoadFailuresCarryTheClassicMessages) {
    ScratchFolder dir;
    const std::string path = dir.file("VORNA.DAT");
    EXPECT_TRUE(throwsIoError([&] { JackpotFile(path).load(); }, 2, "File not found"));

    writeBytes(path, "");
    EXPECT_TRUE(throwsIoError([&] { JackpotFile(path).load(); }, 100, "Read beyond end of file"));
    writeBytes(path, std::string("\x01\x02\x03", 3));
    EXPECT_TRUE(throwsIoError([&] { JackpotFile(path).load(); }, 100, "Read beyond end of file"));

    // A file used as a folder, and a folder in place of the file.
    EXPECT_TRUE(throwsIoError([&] { JackpotFile(path + "/x").load(); }, 2, "File not found"));
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_TRUE(throwsIoError([&] { JackpotFile(path).load(); }, 5, "File access denied"));
    EXPECT_TRUE(
        throwsIoError([&] { JackpotFile(dir.file(std::string(300, 'n'))).load(); }, 3, "Invalid filename"));
}

TEST(JackpotFile, ReadOnlyFileIsAccessDenied) {
    // Loading opens the file for writing too, so a write-protected jackpot
    // file is refused. Root ignores permission bits: run as nobody then.
    ScratchFolder dir;
    const std::string path = dir.file("VORNA.DAT");
    writeBytes(path, std::string("\x05\x00\x00\x00", 4));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::geteuid() != 0) {
        EXPECT_TRUE(throwsIoError([&] { JackpotFile(path).load(); }, 5, "File access denied"));
        return;
    }
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string readable = test::runProbeAsNobody("jackpot-load " + path);
    if (readable.empty()) VORNAKKA_SKIP_OUTSIDE_CI("running as root and cannot switch to user nobody (setpriv)");
    EXPECT_EQ(readable, "IoError 5 File access denied");
    // The same file with write permission loads: the refusal is about access.
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    EXPECT_EQ(test::runProbeAsNobody("jackpot-load " + path), "OK 5");
}

TEST(JackpotFile, UsesTheWorkingDirectoryByDefault) {
    ScratchFolder dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    JackpotFile file;
    EXPECT_EQ(file.path(), "VORNA.DAT");
    file.save(77);
    EXPECT_EQ(file.load(), 77);
    std::filesystem::current_path(previous);
    EXPECT_EQ(readBytes(dir.file("VORNA.DAT")), std::string("\x4D\x00\x00\x00", 4));
}

}  // namespace
}  // namespace vornakka
