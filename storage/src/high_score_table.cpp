#include "vornakka/high_score_table.h"

#include <fcntl.h>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "file_io.h"
#include "io_error.h"
#include "vornakka/failure.h"
#include "vornakka/money.h"

namespace vornakka {

namespace {

constexpr int kCarriageReturn = 0x0D;
constexpr int kLineFeed = 0x0A;
constexpr int kEndOfFileMark = 0x1A;
constexpr int kEnd = -1;

// The list is read as classic text: a line ends at CR (a line feed right
// after it belongs to the line end, a lone line feed is an ordinary
// character), and the byte 0x1A or the real end ends the file. Past the end
// every read finds nothing, quietly.
class TextReader {
public:
    explicit TextReader(int fd) : fd_(fd), buffer_(64 * 1024) {}

    int peek() {
        if (pos_ == len_) {
            if (atEnd_) return kEnd;
            len_ = storage::readUpTo(fd_, buffer_.data(), buffer_.size());
            pos_ = 0;
            if (len_ == 0) {
                atEnd_ = true;
                return kEnd;
            }
        }
        const int c = static_cast<unsigned char>(buffer_[pos_]);
        if (c == kEndOfFileMark) {
            atEnd_ = true;
            pos_ = len_ = 0;
            return kEnd;
        }
        return c;
    }

    // Only after peek() returned a character.
    char take() { return buffer_[pos_++]; }

    void skipLine() {
        for (int c = peek(); c != kEnd; c = peek()) {
            take();
            if (c == kCarriageReturn) {
                if (peek() == kLineFeed) take();
                return;
            }
        }
    }

private:
    int fd_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool atEnd_ = false;
};

// Converts a score line as it streams past, so a line of any length needs no
// more memory than its first few characters, which are kept for the message.
// Accepted: spaces, an optional '-' or '+', then decimal digits or '$' and
// hexadecimal digits, and nothing after them. Only the space counts as a
// leading blank (a tab does not), and the value must fit in a signed 32-bit
// integer.
class ScoreText {
public:
    static constexpr std::size_t kQuoteLimit = 200;

    void feed(char ch) {
        ++length_;
        // The message travels as a C string: a NUL would end it mid-quote,
        // so it is shown as '?', as any other byte the box cannot show.
        if (quoted_.size() < kQuoteLimit) quoted_.push_back(ch == '\0' ? '?' : ch);
        switch (state_) {
            case State::Leading:
                if (ch == ' ') return;
                if (ch == '-' || ch == '+') {
                    negative_ = ch == '-';
                    state_ = State::Sign;
                    return;
                }
                [[fallthrough]];
            case State::Sign:
                if (ch == '$') {
                    state_ = State::Dollar;
                } else if (digitValue(ch, 10) >= 0) {
                    state_ = State::Decimal;
                    accumulate(digitValue(ch, 10), 10);
                } else {
                    state_ = State::Invalid;
                }
                return;
            case State::Dollar:
            case State::Hex:
                if (digitValue(ch, 16) >= 0) {
                    state_ = State::Hex;
                    accumulate(digitValue(ch, 16), 16);
                } else {
                    state_ = State::Invalid;
                }
                return;
            case State::Decimal:
                if (digitValue(ch, 10) >= 0) {
                    accumulate(digitValue(ch, 10), 10);
                } else {
                    state_ = State::Invalid;
                }
                return;
            case State::Invalid:
                return;
        }
    }

    std::int32_t value() const {
        constexpr std::uint64_t kMaxMagnitude = std::uint64_t{1} << 31;  // |INT32_MIN|
        const bool digits = state_ == State::Decimal || state_ == State::Hex;
        const std::uint64_t limit = negative_ ? kMaxMagnitude : kMaxMagnitude - 1;
        if (!digits || magnitude_ > limit) {
            std::string text = quoted_;
            if (length_ > kQuoteLimit) text += "...";
            throw ConvertError("'" + text + "' is not a valid integer value");
        }
        const auto signedMagnitude = static_cast<std::int64_t>(magnitude_);
        return static_cast<std::int32_t>(negative_ ? -signedMagnitude : signedMagnitude);
    }

private:
    enum class State { Leading, Sign, Dollar, Decimal, Hex, Invalid };

    static int digitValue(char ch, int base) {
        if (ch >= '0' && ch <= '9') return ch - '0';
        if (base == 16 && ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
        if (base == 16 && ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
        return -1;
    }

    void accumulate(int digit, int base) {
        // Anything past 2^31 is out of range whatever follows; stop growing
        // there so that megabytes of digits cannot overflow the counter.
        constexpr std::uint64_t kCap = (std::uint64_t{1} << 31) + 1;
        magnitude_ = magnitude_ * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude_ > kCap) magnitude_ = kCap;
    }

    State state_ = State::Leading;
    bool negative_ = false;
    std::uint64_t magnitude_ = 0;
    std::uint64_t length_ = 0;
    std::string quoted_;
};

Text readName(TextReader& in) {
    Text name;
    while (name.size() < kMaxNameLength) {
        const int c = in.peek();
        if (c == kEnd || c == kCarriageReturn) break;
        name.push_back(in.take());
    }
    in.skipLine();
    return name;
}

std::int32_t readScoreLine(TextReader& in) {
    ScoreText text;
    for (int c = in.peek(); c != kEnd && c != kCarriageReturn; c = in.peek()) text.feed(in.take());
    in.skipLine();
    return text.value();
}

// A name must not carry anything that would break the file's lines: a CR
// would end the name line early, 0x1A would end the whole file.
Text cleanName(const Text& name) {
    Text clean = name.substr(0, kMaxNameLength);
    for (char& ch : clean) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) ch = ' ';
    }
    return clean;
}

}  // namespace

HighScoreTable::HighScoreTable(std::string path) : path_(std::move(path)) {}

void HighScoreTable::load() {
    storage::FileDescriptor file = storage::openExisting(path_, O_RDONLY);
    TextReader in(file.get());
    for (auto& entry : rows_) {
        // A row changes only once both of its lines have been read, so a bad
        // score line leaves that row and the ones below it as they were.
        Text name = readName(in);
        const std::int32_t stored = readScoreLine(in);
        entry.name = std::move(name);
        entry.score = subMoney(stored, kScoreOffset);
    }
    file.close();
}

void HighScoreTable::save() const {
    std::string bytes;
    for (const auto& entry : rows_) {
        bytes += entry.name;
        bytes += "\r\n";
        bytes += std::to_string(addMoney(entry.score, kScoreOffset));
        bytes += "\r\n";
    }
    storage::replaceFileSafely(path_, bytes);
}

// The file holds score + 1998 as a signed 32-bit number, so the top 1998
// scores cannot be stored. They enter the list as the largest that can, so a
// row shows the same score before and after the list is saved and read back.
std::int32_t HighScoreTable::storable(std::int32_t score) {
    return std::min(score, kMaxStorableScore);
}

bool HighScoreTable::qualifies(std::int32_t score) const {
    return storable(score) > rows_.back().score;
}

const HighScoreEntry& HighScoreTable::row(int index) const {
    if (index < 1 || index > kHighScoreRows) {
        throw std::out_of_range("high-score row " + std::to_string(index) + " does not exist");
    }
    return rows_[static_cast<std::size_t>(index - 1)];
}

void HighScoreTable::insert(const Text& name, std::int32_t wanted) {
    const std::int32_t score = storable(wanted);
    std::size_t r = 0;
    while (r < rows_.size() && rows_[r].score >= score) ++r;
    if (r == rows_.size()) return;
    for (std::size_t i = rows_.size() - 1; i > r; --i) rows_[i] = std::move(rows_[i - 1]);
    rows_[r] = HighScoreEntry{cleanName(name), score};
}

}  // namespace vornakka
