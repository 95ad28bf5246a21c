#include "vornakka/cp1252.h"

#include <gtest/gtest.h>

namespace vornakka {
namespace {

bool undefinedByte(int b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

TEST(Cp1252, ConvertsEveryDefinedCharacterBothWays) {
    EXPECT_EQ(utf8ToCp1252("Äijä"), "\xC4ij\xE4");
    EXPECT_EQ(cp1252ToUtf8("\xC4ij\xE4"), "Äijä");
    EXPECT_EQ(utf8ToCp1252("€Šœ Ÿ"), "\x80\x8A\x9C \x9F");
    EXPECT_EQ(cp1252ToUtf8("\x80\x8A\x9C \x9F"), "€Šœ Ÿ");
    EXPECT_EQ(utf8ToCp1252(""), "");
    EXPECT_EQ(utf8ToCp1252(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    for (int b = 0; b < 256; ++b) {
        if (undefinedByte(b)) continue;
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = cp1252ToUtf8(one);
        if (b != '?') {
            EXPECT_NE(utf8, "?") << "byte " << b;
        }
        EXPECT_EQ(utf8ToCp1252(utf8), one) << "byte " << b;
    }
}

TEST(Cp1252, EachCharacterWithoutAPlaceBecomesOneQuestionMark) {
    EXPECT_EQ(utf8ToCp1252("Ω"), "?");
    EXPECT_EQ(utf8ToCp1252("aΩbő😀c"), "a?b??c");  // no look-alike substitution
    EXPECT_EQ(utf8ToCp1252("Ωä"), "?\xE4");
    // Bytes that are not well-formed UTF-8: one '?' each.
    EXPECT_EQ(utf8ToCp1252("\xFF"), "?");
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");  // overlong '/'
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"
                           "x"),
              "???x");  // surrogate
    EXPECT_EQ(utf8ToCp1252("\xE2\x82"
                           "x\xE2\x82\xAC"),
              "??x\x80");
    EXPECT_EQ(utf8ToCp1252("\xF4\x90\x80\x80"), "????");  // past U+10FFFF
    EXPECT_EQ(cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "?????");
    EXPECT_EQ(cp1252ToUtf8("a\x81"
                           "b\xC4"),
              "a?bÄ");
}

}  // namespace
}  // namespace vornakka
