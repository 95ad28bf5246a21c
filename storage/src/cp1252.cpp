#include "vornakka/cp1252.h"

#include <iconv.h>

#include <cstddef>

#include "vornakka/failure.h"

namespace vornakka {

namespace {

// glibc's converter stops with EILSEQ at a character the target lacks (and
// at the five undefined Windows-1252 bytes); //TRANSLIT would substitute
// look-alikes chosen by the locale ("ő" -> "o"). To get the same answer
// everywhere the fallback is done here: the input is cut into runs iconv can
// take, and each character outside them becomes one '?'.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw Failure(std::string("Character conversion from ") + from + " to " + to +
                          " is not available");
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { ::iconv_close(cd_); }

    // Converts run, appending to out. Returns the number of input bytes used;
    // fewer than run.size() means iconv refused the character there.
    std::size_t convert(std::string_view run, std::string& out, std::size_t maxGrowth) {
        const std::size_t base = out.size();
        out.resize(base + run.size() * maxGrowth);
        char* in = const_cast<char*>(run.data());
        std::size_t inLeft = run.size();
        char* to = out.data() + base;
        std::size_t toLeft = run.size() * maxGrowth;
        // maxGrowth bounds the output, so iconv stops only at a character it
        // refuses (EILSEQ) or, never expected, at an unfinished one (EINVAL).
        ::iconv(cd_, &in, &inLeft, &to, &toLeft);
        out.resize(out.size() - toLeft);
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return run.size() - inLeft;
    }

private:
    iconv_t cd_;
};

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at the start of s (overlong forms,
// surrogates and values past U+10FFFF are not), or 0 when there is none.
std::size_t sequenceLength(std::string_view s) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = at(0);
    if (b0 < 0x80) return 1;
    std::size_t length;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    if (at(1) < lo || at(1) > hi) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(at(i))) return 0;
    }
    return length;
}

bool undefinedInCp1252(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

}  // namespace

std::string utf8ToCp1252(std::string_view utf8) {
    Converter converter("WINDOWS-1252", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        // The longest run of well-formed characters from here.
        std::size_t end = pos;
        while (end < utf8.size()) {
            const std::size_t n = sequenceLength(utf8.substr(end));
            if (n == 0) break;
            end += n;
        }
        while (pos < end) {
            pos += converter.convert(utf8.substr(pos, end - pos), out, 1);
            if (pos < end) {
                out.push_back('?');  // a character Windows-1252 lacks
                pos += sequenceLength(utf8.substr(pos));
            }
        }
        if (pos < utf8.size()) {
            out.push_back('?');  // a byte that starts no well-formed character
            ++pos;
        }
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view cp1252) {
    Converter converter("UTF-8", "WINDOWS-1252");
    std::string out;
    out.reserve(cp1252.size());
    std::size_t pos = 0;
    while (pos < cp1252.size()) {
        std::size_t end = pos;
        while (end < cp1252.size() && !undefinedInCp1252(static_cast<unsigned char>(cp1252[end]))) ++end;
        while (pos < end) {
            pos += converter.convert(cp1252.substr(pos, end - pos), out, 3);
            if (pos < end) {
                out.push_back('?');
                ++pos;
            }
        }
        if (pos < cp1252.size()) {
            out.push_back('?');
            ++pos;
        }
    }
    return out;
}

}  // namespace vornakka
