#include "vornakka/high_score_table.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "test_support.h"

namespace vornakka {
namespace {

using test::readBytes;
using test::ScratchFolder;
using test::throwsConvertError;
using test::throwsIoError;
using test::writeBytes;

std::string lines(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& p : parts) out += p + "\r\n";
    return out;
}

// Stored rows "N<first>".."N10" with scores 11 - i (row 1 would hold 10).
std::string rowsFrom(int first) {
    std::string out;
    for (int i = first; i <= 10; ++i) {
        out += 'N';
        out += std::to_string(i) + "\r\n" + std::to_string(kScoreOffset + 11 - i) + "\r\n";
    }
    return out;
}
std::string tenRows() {
    return rowsFrom(1);
}

std::vector<std::int32_t> scores(const HighScoreTable& t) {
    std::vector<std::int32_t> out;
    for (const auto& r : t.rows()) out.push_back(r.score);
    return out;
}

std::vector<std::string> names(const HighScoreTable& t) {
    std::vector<std::string> out;
    for (const auto& r : t.rows()) out.push_back(r.name);
    return out;
}

TEST(HighScoreSave, WritesTwentyCrlfLinesWithOffsetScores) {
    ScratchFolder dir;
    HighScoreTable table(dir.file("LIST.VRK"));
    table.save();
    std::string empty;
    for (int i = 0; i < 10; ++i) empty += "\r\n1998\r\n";
    EXPECT_EQ(readBytes(table.path()), empty);

    table.insert("Max", INT32_MAX);
    table.insert("\xC4ij\xE4", 120);  // "Äijä", one byte a letter
    table.insert("Zero", 0);          // no row holds less than 0: not entered
    table.save();
    std::string expected = lines({"Max", "2147483647", "\xC4ij\xE4", "2118"});
    for (int i = 0; i < 8; ++i) expected += "\r\n1998\r\n";
    EXPECT_EQ(readBytes(table.path()), expected);
    // The file cannot hold more than INT32_MAX - 1998, so the row holds that
    // from the start and reads back unchanged.
    EXPECT_EQ(table.row(1).score, kMaxStorableScore);
    HighScoreTable reread(table.path());
    reread.load();
    EXPECT_EQ(scores(reread), scores(table));
    // Once the list is full of the top score it takes no more, however large.
    for (int i = 0; i < 9; ++i) reread.insert("Top" + std::to_string(i), kMaxStorableScore + 1 + i);
    EXPECT_EQ(scores(reread), std::vector<std::int32_t>(10, kMaxStorableScore));
    EXPECT_FALSE(reread.qualifies(INT32_MAX));
    reread.insert("Late", INT32_MAX);
    EXPECT_EQ(reread.row(10).name, "Top8");

    // Negative scores take a "-"; scores saturate at the int32 limits.
    HighScoreTable low(dir.file("LOW.VRK"));
    std::string floor;
    for (int i = 0; i < 10; ++i) floor += "x\r\n-2147483648\r\n";
    writeBytes(low.path(), floor);
    low.load();
    ASSERT_EQ(low.row(10).score, INT32_MIN);
    low.insert("Minus", -5000);
    low.save();
    const std::string bytes = readBytes(low.path());
    EXPECT_EQ(bytes.substr(0, 14), "Minus\r\n-3002\r\n");
    EXPECT_EQ(bytes.substr(14, 16), "x\r\n-2147481650\r\n");
    EXPECT_EQ(bytes.size(), 14u + 9u * 16u);
}

TEST(HighScoreLoad, RoundTripsASavedList) {
    ScratchFolder dir;
    HighScoreTable table(dir.file("LIST.VRK"));
    table.insert("\xC4ij\xE4", 500);
    table.insert("Bob", -20);
    table.insert("", 7);
    table.save();
    HighScoreTable loaded(table.path());
    loaded.load();
    EXPECT_EQ(names(loaded), names(table));
    EXPECT_EQ(scores(loaded), scores(table));
    EXPECT_EQ(loaded.row(1).name, "\xC4ij\xE4");
    EXPECT_EQ(&loaded.row(10), &loaded.rows()[9]);
    EXPECT_THROW((void)loaded.row(0), std::out_of_range);
    EXPECT_THROW((void)loaded.row(11), std::out_of_range);
}

TEST(HighScoreLoad, FollowsTheClassicTextRules) {
    ScratchFolder dir;
    HighScoreTable table(dir.file("LIST.VRK"));
    writeBytes(table.path(),
               "AB\nC\r\n2118\r"              // lone LF inside a name; CR alone ends a line
               "Eve\r\n1999\r\n"              // one LF after the CR belongs to it...
               "\nZed\r\n$7CE\r\n"            // ...a second one starts the next line
               "ABCDEFGHIJKLMN\r\n+2118\r\n"  // a long name loads as its first 10
               "0123456789\r\n   2000\r\n"    // exactly 10, then the score line
               "Lo\r\n-$7ce\r\n"
               "Neg\r\n-2\r\n"
               "Zeros\r\n0000000000000000000000002003\r\n"
               "Max\r\n$7FFFFFFF\r\n"
               "End\r\n2000\x1Athis is not read");
    table.load();
    EXPECT_EQ(names(table), (std::vector<std::string>{"AB\nC", "Eve", "\nZed", "ABCDEFGHIJ", "0123456789",
                                                      "Lo", "Neg", "Zeros", "Max", "End"}));
    EXPECT_EQ(scores(table),
              (std::vector<std::int32_t>{120, 1, 0, 120, 2, -3996, -2000, 5, INT32_MAX - 1998, 2}));

    // The last line needs no line end; INT32_MIN converts and saturates.
    std::string body = tenRows();
    body.resize(body.size() - 6);  // drop "1999\r\n"
    writeBytes(table.path(), body + "-2147483648");
    table.load();
    EXPECT_EQ(table.row(10).name, "N10");
    EXPECT_EQ(table.row(10).score, INT32_MIN);
}

TEST(HighScoreLoad, RejectsInvalidScoreLinesWithTheirText) {
    ScratchFolder dir;
    const std::string path = dir.file("LIST.VRK");
    for (const std::string bad :
         {"2000 ", "", " ", "\t2000", "2147483648", "-2147483649", "99999999999999999999", "$", "+", "-",
          "- 5", "+-5", "0x7CE", "$80000000", "$7G", "12a", "1 2", "2000\n", "\xC4"}) {
        writeBytes(path, lines({"Bad", bad}) + rowsFrom(2));
        HighScoreTable table(path);
        EXPECT_TRUE(throwsConvertError([&] { table.load(); }, "'" + bad + "' is not a valid integer value"))
            << "line: " << bad;
        EXPECT_EQ(table.row(1).name, "");
        EXPECT_EQ(table.row(1).score, 0);
    }
    // A NUL would end the message early; it is quoted as '?'.
    writeBytes(path, lines({"Bad", std::string("19\0\0" "8", 5)}) + rowsFrom(2));
    HighScoreTable table(path);
    EXPECT_TRUE(throwsConvertError([&] { table.load(); }, "'19??8' is not a valid integer value"));
}

TEST(HighScoreLoad, FailureKeepsTheRowsReadBeforeIt) {
    ScratchFolder dir;
    const std::string path = dir.file("LIST.VRK");
    HighScoreTable table(path);
    for (int i = 1; i <= 10; ++i) table.insert("old" + std::to_string(i), 100 - i);
    const auto before = table.rows();

    EXPECT_TRUE(throwsIoError([&] { table.load(); }, 2, "File not found"));
    EXPECT_EQ(names(table)[0], "old1");

    // Three rows and then the end of the file: the fourth score line is empty.
    writeBytes(path, lines({"A", "2000", "B", "1999", "C", "1998", "D"}));
    EXPECT_TRUE(throwsConvertError([&] { table.load(); }, "'' is not a valid integer value"));
    EXPECT_EQ(table.row(1).name, "A");
    EXPECT_EQ(table.row(3).score, 0);
    for (int i = 4; i <= 10; ++i) {
        EXPECT_EQ(table.row(i).name, before[static_cast<std::size_t>(i - 1)].name);
        EXPECT_EQ(table.row(i).score, before[static_cast<std::size_t>(i - 1)].score);
    }

    // 0x1A in the middle ends the file there: every later read is empty.
    writeBytes(path, lines({"P", "2005", "Q", "2004"}) + "R\x1A" + tenRows());
    HighScoreTable fresh(path);
    EXPECT_TRUE(throwsConvertError([&] { fresh.load(); }, "'' is not a valid integer value"));
    EXPECT_EQ(names(fresh), (std::vector<std::string>{"P", "Q", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(scores(fresh), (std::vector<std::int32_t>{7, 6, 0, 0, 0, 0, 0, 0, 0, 0}));

    EXPECT_TRUE(throwsIoError([&] { HighScoreTable(dir.path()).load(); }, 5, "File access denied"));
}

long peakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Writes name, then `count` copies of `fill`, then `tail` as row 1's score
// line, and nine ordinary rows, without holding the big line in memory.
void writeHugeScoreLine(const std::string& path, char fill, std::size_t count, const std::string& tail) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("Huge\r\n", f);
    const std::string chunk(1 << 16, fill);
    for (std::size_t left = count; left > 0;) {
        const std::size_t n = std::min(left, chunk.size());
        std::fwrite(chunk.data(), 1, n, f);
        left -= n;
    }
    std::fputs((tail + "\r\n").c_str(), f);
    std::fputs(rowsFrom(2).c_str(), f);
    ASSERT_EQ(std::fclose(f), 0);
}

TEST(HighScoreLoad, HandlesAHugeScoreLineInBoundedMemory) {
    ScratchFolder dir;
    const std::string path = dir.file("LIST.VRK");
    constexpr std::size_t kHuge = 24u << 20;  // 24 MiB on one line

    // Megabytes of leading blanks before the digits still make a number.
    writeHugeScoreLine(path, ' ', kHuge, "2118");
    const long peakBefore = peakResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    HighScoreTable table(path);
    table.load();
    EXPECT_EQ(table.row(1).score, 120);
    EXPECT_EQ(table.row(2).name, "N2");

    // Megabytes of digits are out of range; the message quotes the start.
    writeHugeScoreLine(path, '7', kHuge, "");
    HighScoreTable bad(path);
    EXPECT_TRUE(throwsConvertError([&] { bad.load(); },
                                   "'" + std::string(200, '7') + "...' is not a valid integer value"));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
    EXPECT_LT(peakResidentKiB() - peakBefore, 8 * 1024) << "the score line was held in memory";

    // The cut starts only past 200 characters.
    writeBytes(path, lines({"x", std::string(200, 'y')}) + rowsFrom(2));
    EXPECT_TRUE(throwsConvertError([&] { bad.load(); },
                                   "'" + std::string(200, 'y') + "' is not a valid integer value"));
    writeBytes(path, lines({"x", std::string(201, 'y')}) + rowsFrom(2));
    EXPECT_TRUE(throwsConvertError([&] { bad.load(); },
                                   "'" + std::string(200, 'y') + "...' is not a valid integer value"));
}

TEST(HighScoreTable, InsertRanksBelowEqualScoresAndDropsRowTen) {
    HighScoreTable table;
    EXPECT_EQ(table.path(), "LIST.VRK");
    // Empty table: every row holds 0, so 1 goes to row 1 and 0 nowhere.
    EXPECT_FALSE(table.qualifies(0));
    EXPECT_TRUE(table.qualifies(1));
    table.insert("zero", 0);
    EXPECT_EQ(table.row(1).name, "");
    table.insert("one", 1);
    EXPECT_EQ(table.row(1).name, "one");
    EXPECT_EQ(table.row(2).score, 0);

    HighScoreTable t;
    const std::int32_t start[] = {100, 80, 50, 40, 30, 20, 10, 5, 2, 1};
    for (int i = 9; i >= 0; --i) t.insert(std::string("s").append(std::to_string(start[i])), start[i]);
    ASSERT_EQ(scores(t), (std::vector<std::int32_t>{100, 80, 50, 40, 30, 20, 10, 5, 2, 1}));
    EXPECT_FALSE(t.qualifies(1));
    EXPECT_TRUE(t.qualifies(2));
    t.insert("new", 50);
    EXPECT_EQ(scores(t), (std::vector<std::int32_t>{100, 80, 50, 50, 40, 30, 20, 10, 5, 2}));
    EXPECT_EQ(t.row(3).name, "s50");
    EXPECT_EQ(t.row(4).name, "new");
    EXPECT_EQ(t.row(5).name, "s40");
    t.insert("low", 2);  // equal to row 10: no place
    EXPECT_EQ(t.row(10).name, "s2");
    t.insert("top", 1000);
    EXPECT_EQ(t.row(1).name, "top");
    EXPECT_EQ(t.row(10).name, "s5");
}

TEST(HighScoreTable, InsertedNamesCannotBreakTheFile) {
    ScratchFolder dir;
    HighScoreTable table(dir.file("LIST.VRK"));
    table.insert("ABCDEFGHIJKLMN", 30);
    table.insert(
        "A\rB\nC\x1A"
        "D\x7F\x01\t",
        20);
    table.insert("\xC4\x80\xFFnines+!\r", 10);  // high bytes are letters; the 11th byte is cut
    EXPECT_EQ(table.row(1).name, "ABCDEFGHIJ");
    EXPECT_EQ(table.row(2).name, "A B C D   ");
    EXPECT_EQ(table.row(3).name, "\xC4\x80\xFFnines+!");
    table.save();
    HighScoreTable loaded(table.path());
    loaded.load();
    EXPECT_EQ(names(loaded), names(table));
    EXPECT_EQ(scores(loaded), scores(table));
}

}  // namespace
}  // namespace vornakka
