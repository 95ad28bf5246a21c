// The fixed data of the machine: the three reel strips, the face strip of the
// double-up, the colour of every reel symbol and the paytable.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "vornakka/services.h"

namespace vornakka {

inline constexpr int kReelCount = 3;
inline constexpr int kStripLength = 30;
inline constexpr int kFaceStripLength = 11;

// A reel strip: 30 capital letters, position 1 first.
struct ReelStrip {
    std::string_view letters;
    char at(int position) const { return letters[static_cast<std::size_t>(position - 1)]; }
};

inline constexpr std::array<ReelStrip, kReelCount> kReelStrips = {{
    {"CBCEABE6UEUCAGFUGCUFCCAGUBGUBF"},
    {"CBCEABE6FEUCAGUFGUFCUCAGEBGFBU"},
    {"CBC*ABE6DEUDAG*DGDDFDCA*UBG*BF"},
}};

// The double-up column: 'J' smiling, 'K' neutral, 'L' frowning, position 1 first.
struct FaceStrip {
    std::string_view letters;
    char at(int position) const { return letters[static_cast<std::size_t>(position - 1)]; }
};

inline constexpr FaceStrip kFaceStrip = {"JLJKJJLLKLJ"};

inline constexpr char kSmile = 'J';
inline constexpr char kNeutral = 'K';
inline constexpr char kFrown = 'L';

// Named colours, blue-green-red.
namespace colours {
inline constexpr Colour black = 0x000000;
inline constexpr Colour red = 0x0000FF;
inline constexpr Colour green = 0x008000;
inline constexpr Colour olive = 0x008080;
inline constexpr Colour purple = 0x800080;
inline constexpr Colour teal = 0x808000;
inline constexpr Colour yellow = 0x00FFFF;
inline constexpr Colour white = 0xFFFFFF;
inline constexpr Colour navy = 0x800000;
inline constexpr Colour lime = 0x00FF00;
inline constexpr Colour blue = 0xFF0000;
}  // namespace colours

// Font colour of a reel symbol.
Colour symbolColourOf(char symbol);

// One paytable line: three pattern characters ('?' matches anything, every
// other character only itself) and the multiplier of the bet. The jackpot row
// has multiplier 0 here: it pays the jackpot divided by the bet.
struct PaytableRow {
    char pattern[3];
    std::int32_t multiplier;
    bool matches(char r1, char r2, char r3) const;
};

inline constexpr int kPaytableRows = 14;
inline constexpr int kJackpotRow = 14;

inline constexpr std::array<PaytableRow, kPaytableRows> kPaytable = {{
    {{'A', 'A', 'A'}, 20},
    {{'B', 'B', 'B'}, 10},
    {{'C', 'C', 'C'}, 8},
    {{'C', 'C', '?'}, 4},
    {{'C', '?', 'D'}, 4},
    {{'C', '?', '?'}, 2},
    {{'?', '?', 'D'}, 2},
    {{'E', 'E', 'E'}, 15},
    {{'E', 'E', '*'}, 15},
    {{'F', 'F', 'F'}, 6},
    {{'F', 'F', '*'}, 6},
    {{'G', 'G', 'G'}, 6},
    {{'G', 'G', '*'}, 6},
    {{'6', '6', '6'}, 0},
}};

// The paytable as the machine's face shows it, top line first. Each line is
// one amount box (1..8; Counters::amounts holds box 1 first) and the paytable
// rows it stands for: its first row and, where another pays the same, that
// one too (0 where none does).
struct PaytableLine {
    int box;
    int row;
    int alsoRow;
};

inline constexpr std::array<PaytableLine, 8> kPaytableLines = {{
    {1, 1, 0},
    {2, 2, 0},
    {6, 8, 9},
    {3, 3, 0},
    {7, 10, 11},
    {8, 12, 13},
    {4, 4, 5},
    {5, 6, 7},
}};

// Row number 1..14 of the first row matching the line, or 0 for none.
int firstMatchingRow(char r1, char r2, char r3);

}  // namespace vornakka
