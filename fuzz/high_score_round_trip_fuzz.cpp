// Fuzzes the high-score list's round trip: whatever a file held, the rows the
// table ends up with (after a full or a cut-short load and one insertion of a
// fuzzed name and score) are saved as the 20 CRLF lines of the format, with no
// temporary file left behind, and load back as exactly the same rows. A
// score above 2 147 481 649 cannot be stored, so it enters the list as that.
//
// The input's tail chooses the insertion: the last byte is the name's length
// (0..15), the name bytes come before it and four bytes of score before
// those; everything in front is the file.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "vornakka/failure.h"
#include "vornakka/high_score_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornakka;
    fuzz::Scratch& scratch = fuzz::Scratch::get();
    const std::string path = scratch.file("LIST.VRK");

    std::size_t fileSize = size;
    bool insert = false;
    std::string name;
    std::int32_t score = 0;
    if (size >= 5) {
        const std::size_t nameLength = data[size - 1] % 16u;
        if (size >= 5 + nameLength) {
            insert = true;
            name.assign(reinterpret_cast<const char*>(data + size - 1 - nameLength), nameLength);
            std::uint32_t bits = 0;
            std::memcpy(&bits, data + size - 5 - nameLength, 4);
            score = static_cast<std::int32_t>(bits);
            fileSize = size - 5 - nameLength;
        }
    }
    fuzz::writeInput(path, data, fileSize);

    HighScoreTable table(path);
    try {
        table.load();
    } catch (const Failure&) {
        // A bad file still leaves a table to save: the rows read before the
        // bad line and empty ones after it.
    }
    if (insert) {
        const auto before = table.rows();
        const bool qualified = table.qualifies(score);
        table.insert(name, score);
        bool changed = false;
        for (std::size_t i = 0; i < before.size(); ++i) {
            changed = changed || before[i].name != table.rows()[i].name || before[i].score != table.rows()[i].score;
        }
        // The file is taken as read, without any ordering test, so only a
        // list in descending order promises that an insertion happens
        // exactly when the score qualifies.
        bool ordered = true;
        for (std::size_t i = 1; i < before.size(); ++i) ordered = ordered && before[i - 1].score >= before[i].score;
        FUZZ_CHECK(!qualified || changed, "a qualifying score changed nothing");
        FUZZ_CHECK(!ordered || qualified || !changed, "a score that does not qualify was inserted");
        bool found = !qualified;
        const std::int32_t entered = std::min(score, kMaxStorableScore);
        for (const auto& row : table.rows()) found = found || row.score == entered;
        FUZZ_CHECK(found, "a qualifying score was not inserted");
    }
    for (const auto& row : table.rows()) {
        FUZZ_CHECK(row.name.size() <= kMaxNameLength, "a name of more than 10 characters");
        FUZZ_CHECK(row.name.find_first_of("\r\x1A") == std::string::npos, "a name that would break the file's lines");
    }

    table.save();
    std::string expected;
    for (const auto& row : table.rows()) {
        const std::int64_t stored = std::int64_t{row.score} + kScoreOffset;
        FUZZ_CHECK(stored <= INT32_MAX, "a row holds a score the file cannot");
        expected += row.name + "\r\n" + std::to_string(stored) + "\r\n";
    }
    FUZZ_CHECK(fuzz::readAll(path) == expected, "the saved file is not the 20 lines of the rows");
    FUZZ_CHECK(fuzz::strayFiles(scratch.folder(), {"LIST.VRK"}).empty(), "the save left a file behind");

    HighScoreTable again(path);
    again.load();  // must not fail: it is our own file
    for (int r = 1; r <= kHighScoreRows; ++r) {
        FUZZ_CHECK(again.row(r).name == table.row(r).name, "row " + std::to_string(r) + " name changed in the round trip");
        FUZZ_CHECK(again.row(r).score == table.row(r).score, "row " + std::to_string(r) + " score " +
                                                  std::to_string(table.row(r).score) + " came back as " +
                                                  std::to_string(again.row(r).score));
    }
    return 0;
}
