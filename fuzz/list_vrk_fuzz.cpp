// Fuzzes the LIST.VRK loader: any bytes at all must either load or fail with
// the game's own failure, never crash, and must give exactly the rows and the
// message that the file's reading rules give. The rules are modelled here a
// second time, straight from the file format, on the bytes in memory:
//   - a line ends at CR, and one LF right after it belongs to the line end;
//     a lone LF is an ordinary character;
//   - 0x1A or the real end ends the file, and reads past it find nothing;
//   - a name is at most its line's first 10 characters;
//   - a score line is spaces, an optional sign, then decimal digits or "$"
//     and hexadecimal digits, nothing else, and fits a signed 32-bit
//     integer; the row's score is that value less 1998;
//   - a bad score line fails with "'<text>' is not a valid integer value",
//     quoting at most 200 characters of the line followed by "...", and the
//     rows before it keep what they read while the rest stay as they were.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "vornakka/failure.h"
#include "vornakka/high_score_table.h"

namespace {

using namespace vornakka;

struct Model {
    std::string bytes;
    std::size_t pos = 0;

    explicit Model(std::string b) : bytes(std::move(b)) {
        const auto mark = bytes.find('\x1A');
        if (mark != std::string::npos) bytes.resize(mark);
    }
    bool atEnd() const { return pos >= bytes.size(); }
    void skipLine() {
        while (!atEnd()) {
            const char c = bytes[pos++];
            if (c == '\r') {
                if (!atEnd() && bytes[pos] == '\n') ++pos;
                return;
            }
        }
    }
    std::string name() {
        std::string n;
        while (n.size() < 10 && !atEnd() && bytes[pos] != '\r') n += bytes[pos++];
        skipLine();
        return n;
    }
    std::string line() {
        std::string l;
        while (!atEnd() && bytes[pos] != '\r') l += bytes[pos++];
        skipLine();
        return l;
    }
};

std::optional<std::int64_t> convert(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        v = v * base + d;
        if (v > (std::int64_t{1} << 32)) v = std::int64_t{1} << 32;  // out of range anyway
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return v;
}

std::int32_t lessOffset(std::int64_t stored) {
    const std::int64_t s = stored - kScoreOffset;
    return static_cast<std::int32_t>(s < INT32_MIN ? INT32_MIN : s);
}

std::string show(const std::string& s) {
    std::string out;
    for (const char ch : s.substr(0, 60)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + (s.size() > 60 ? "..." : "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = vornakka::fuzz::Scratch::get().file("LIST.VRK");
    vornakka::fuzz::writeInput(path, data, size);

    // What the rules say.
    Model model(std::string(reinterpret_cast<const char*>(data), size));
    HighScoreEntry expected[kHighScoreRows];
    std::optional<std::string> expectedFailure;
    for (int r = 0; r < kHighScoreRows && !expectedFailure; ++r) {
        std::string name = model.name();
        const std::string line = model.line();
        if (const auto v = convert(line)) {
            expected[r] = {name, lessOffset(*v)};
        } else {
            std::string quoted = line.size() > 200 ? line.substr(0, 200) + "..." : line;
            // The message travels as a C string, so a NUL is quoted as '?'.
            std::replace(quoted.begin(), quoted.end(), '\0', '?');
            expectedFailure = "'" + quoted + "' is not a valid integer value";
        }
    }

    // What the loader does.
    HighScoreTable table(path);
    std::optional<std::string> failure;
    try {
        table.load();
    } catch (const ConvertError& e) {
        failure = e.what();
    } catch (const Failure& e) {
        vornakka::fuzz::fail(std::string("unexpected ") + e.kind() + ": " + e.what());
    }
    // Anything else thrown escapes and aborts the run: that is a finding too.

    if (failure && !expectedFailure) vornakka::fuzz::fail("the loader refused a valid file: " + show(*failure));
    if (!failure && expectedFailure) vornakka::fuzz::fail("the loader accepted a bad file: " + show(*expectedFailure));
    if (failure && *failure != *expectedFailure) {
        vornakka::fuzz::fail("message " + show(*failure) + " instead of " + show(*expectedFailure));
    }
    for (int r = 1; r <= kHighScoreRows; ++r) {
        const HighScoreEntry& got = table.row(r);
        const HighScoreEntry& want = expected[r - 1];
        FUZZ_CHECK(got.name == want.name, "row " + std::to_string(r) + " name " + show(got.name) + " instead of " + show(want.name));
        FUZZ_CHECK(got.score == want.score, "row " + std::to_string(r) + " score " + std::to_string(got.score) + " instead of " +
                                           std::to_string(want.score));
        FUZZ_CHECK(got.name.size() <= kMaxNameLength, "name longer than 10");
    }
    return 0;
}
