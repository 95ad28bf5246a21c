// The machine window's controls, one row each. (The ten sound players it
// opens are kMachineCues in services.h.)
#pragma once

#include <optional>

#include "common/colours.h"
#include "common/fonts.h"
#include "vornakka/services.h"
#include "vornakka/strips.h"

namespace vornakka::machine_window {

using namespace colours;

enum class Kind { Label, Face, Button, Panel };

// One control of the window, in creation order. Creation order is painting
// order: where labels overlap, the later one is drawn on top.
struct Control {
    const char* name;
    Kind kind;
    int left, top, width, height;
    const char* caption;  // UTF-8
    FontDesc font;
    Colour text;
    std::optional<Colour> fill;  // none: transparent
    Qt::Alignment alignment;
    bool autoSize;
    int maxWidth = 0;
};

// The counters, each with the caption it stands under, which is also the
// name it is read with.
struct CounterControl {
    const char* name;
    const char* caption;  // UTF-8
    std::int32_t Counters::*value;
};
inline constexpr CounterControl kCounterControls[] = {
    {"Pano", "PANOS", &Counters::bet},
    {"Rahat", "PELIT", &Counters::credits},
    {"Voitto", "VOITOT", &Counters::winnings},
    {"ViimVoit", "VIIM. VOITTO", &Counters::lastWin},
    {"JackPot", "MORVAKKA", &Counters::jackpot},
};

constexpr FontDesc kReelFont{"Verdana", 96, true};
constexpr FontDesc kCounterFont{"Courier", 20, true};
constexpr FontDesc kSmallFont{"Comic Sans MS", 13, true};
constexpr FontDesc kCaptionFont{"Comic Sans MS", 21, true};
constexpr FontDesc kJackpotFont{"Arial", 24, true};
constexpr FontDesc kTitleFont{"Arial", 64, true, true, true};
constexpr FontDesc kPointerFont{"Arial", 64, true};
constexpr FontDesc kFaceFont{"Wingdings", 96, true};
constexpr FontDesc kCreditFont{"Arial", 16, true};
constexpr FontDesc kButtonFont{"MS Sans Serif", 11, true};
constexpr FontDesc kWindowFont{"MS Sans Serif", 11};

constexpr Colour kText = kWindowTextColour;
constexpr std::optional<Colour> kClear = std::nullopt;
constexpr Qt::Alignment L = Qt::AlignLeft;
constexpr Qt::Alignment C = Qt::AlignHCenter;
constexpr Qt::Alignment R = Qt::AlignRight;

// The title reaches no further right than this, where the paytable begins;
// at 64 pixels "VORNAKKA" would be 370 pixels wide and hide the paytable's
// left column, so it is drawn as large as fits instead.
constexpr int kTitleWidth = 314;

constexpr const char* kCreditLine = "Vornakka-tiimi 2026";

// clang-format off
const Control kControls[] = {
    {"Kirj1",    Kind::Label, 32, 232, 97, 111, "A", kReelFont, blue, white, C, false},
    {"Kirj2",    Kind::Label, 144, 232, 97, 111, "A", kReelFont, blue, white, C, false},
    {"Kirj3",    Kind::Label, 256, 232, 97, 111, "A", kReelFont, blue, white, C, false},
    {"Pano",     Kind::Label, 224, 136, 57, 25, "1", kCounterFont, red, black, R, false},
    {"Label5",   Kind::Label, 232, 112, 47, 19, "PANOS", kSmallFont, lime, navy, L, true},
    {"Voitto",   Kind::Label, 152, 136, 73, 25, "1", kCounterFont, red, black, R, false},
    {"Rahat",    Kind::Label, 280, 136, 57, 25, "30", kCounterFont, red, black, R, false},
    {"Label8",   Kind::Label, 168, 112, 54, 19, "VOITOT", kSmallFont, lime, navy, L, true},
    {"Label9",   Kind::Label, 296, 112, 38, 19, "PELIT", kSmallFont, lime, navy, L, true},
    {"Label1",   Kind::Label, 368, 120, 17, 17, "CC", kSmallFont, red, kClear, L, false},
    {"Label2",   Kind::Label, 368, 40, 33, 19, "BBB", kSmallFont, kText, kClear, L, false},
    {"Label3",   Kind::Label, 368, 24, 33, 19, "AAA", kSmallFont, kText, kClear, L, false},
    {"Voit3",    Kind::Label, 400, 72, 57, 17, "8", kCounterFont, red, black, C, false},
    {"Voit2",    Kind::Label, 400, 40, 57, 17, "10", kCounterFont, red, black, C, false},
    {"Voit1",    Kind::Label, 400, 24, 57, 17, "20", kCounterFont, red, black, C, false},
    {"Label4",   Kind::Label, 456, 120, 17, 17, "C", kSmallFont, red, kClear, R, false},
    {"Voit4",    Kind::Label, 400, 120, 57, 17, "4", kCounterFont, red, black, C, false},
    {"Label7",   Kind::Label, 368, 72, 33, 19, "CCC", kSmallFont, red, kClear, L, false},
    {"Label10",  Kind::Label, 456, 72, 33, 19, "CCC", kSmallFont, red, kClear, R, false},
    {"Label11",  Kind::Label, 456, 40, 33, 19, "BBB", kSmallFont, kText, kClear, R, false},
    {"Label12",  Kind::Label, 456, 24, 33, 19, "AAA", kSmallFont, kText, kClear, R, false},
    {"ViimVoit", Kind::Label, 56, 136, 97, 25, "1", kCounterFont, red, black, R, false},
    {"Label13",  Kind::Label, 56, 112, 100, 19, "VIIM. VOITTO", kSmallFont, lime, navy, L, true},
    {"Voit5",    Kind::Label, 400, 136, 57, 17, "2", kCounterFont, red, black, C, false},
    {"Label14",  Kind::Label, 480, 136, 9, 17, "D", kSmallFont, red, kClear, C, false},
    {"Label15",  Kind::Label, 368, 136, 8, 17, "C", kSmallFont, red, kClear, C, false},
    {"Label16",  Kind::Label, 368, 88, 33, 19, "FFF", kSmallFont, green, kClear, L, false},
    {"Label17",  Kind::Label, 368, 56, 33, 19, "EEE", kSmallFont, purple, kClear, L, false},
    {"Voit8",    Kind::Label, 400, 104, 57, 17, "6", kCounterFont, red, black, C, false},
    {"Voit7",    Kind::Label, 400, 88, 57, 17, "6", kCounterFont, red, black, C, false},
    {"Voit6",    Kind::Label, 400, 56, 57, 17, "15", kCounterFont, red, black, C, false},
    {"Label23",  Kind::Label, 368, 104, 33, 19, "GGG", kSmallFont, olive, kClear, L, false},
    {"Label24",  Kind::Label, 456, 104, 25, 19, "GG", kSmallFont, olive, kClear, C, false},
    {"Label25",  Kind::Label, 456, 88, 25, 19, "FF", kSmallFont, green, kClear, C, false},
    {"Label26",  Kind::Label, 456, 56, 25, 19, "EE", kSmallFont, purple, kClear, C, false},
    {"JackPot",  Kind::Label, 528, 88, 169, 33, "0", kJackpotFont, lime, black, C, false},
    {"Label19",  Kind::Label, 512, 56, 209, 30, "MORVAKKA", kCaptionFont, yellow, kClear, C, true},
    {"Label18",  Kind::Label, 24, 16, 314, 74, "VORNAKKA", kTitleFont, purple, navy, L, true, kTitleWidth},
    {"Label20",  Kind::Label, 456, 136, 25, 17, "--", kSmallFont, kText, kClear, R, false},
    {"Label22",  Kind::Label, 480, 120, 9, 17, "D", kSmallFont, red, kClear, C, false},
    {"Label27",  Kind::Label, 472, 120, 8, 17, "-", kSmallFont, kText, kClear, C, false},
    {"Label28",  Kind::Label, 384, 120, 17, 17, "-", kSmallFont, kText, kClear, L, false},
    {"Label29",  Kind::Label, 376, 136, 25, 17, "--", kSmallFont, kText, kClear, L, false},
    {"Label6",   Kind::Label, 480, 56, 7, 19, "*", kSmallFont, yellow, kClear, C, false},
    {"Label21",  Kind::Label, 480, 88, 7, 19, "*", kSmallFont, yellow, kClear, C, false},
    {"Label30",  Kind::Label, 480, 104, 7, 19, "*", kSmallFont, yellow, kClear, C, false},
    {"Tupkesk",  Kind::Face, 576, 248, 83, 81, "K", kFaceFont, red, white, C | Qt::AlignVCenter, false},
    {"Tupala",   Kind::Face, 576, 328, 83, 57, "L", kFaceFont, red, white, C | Qt::AlignTop, false},
    {"Tupyla",   Kind::Face, 576, 192, 83, 57, "J", kFaceFont, red, white, C | Qt::AlignBottom, false},
    {"Label34",  Kind::Label, 528, 248, 37, 75, ">", kPointerFont, lime, navy, L, true},
    {"Label35",  Kind::Label, 664, 248, 37, 75, "<", kPointerFont, lime, navy, L, true},
    {"Teksrutu", Kind::Label, 32, 192, 433, 25, "", kCounterFont, red, black, C, false},
    {"Label31",  Kind::Label, 584, 488, 159, 19, kCreditLine, kCreditFont, lime, navy, L, true},
    {"Button1",  Kind::Button, 368, 368, 97, 49, "PANOS", kButtonFont, kText, kClear, L, false},
    {"Button2",  Kind::Button, 480, 440, 97, 49, "KÄYNNISTÄ", kButtonFont, green, kClear, L, false},
    {"Button3",  Kind::Button, 32, 368, 97, 49, "LUKITSE", kButtonFont, black, kClear, L, false},
    {"Button4",  Kind::Button, 144, 368, 97, 49, "LUKITSE", kButtonFont, kText, kClear, L, false},
    {"Button5",  Kind::Button, 256, 368, 97, 49, "LUKITSE", kButtonFont, kText, kClear, L, false},
    {"Panel1",   Kind::Panel, 32, 344, 97, 9, "", kWindowFont, kText, black, L, false},
    {"Panel2",   Kind::Panel, 144, 344, 97, 9, "", kWindowFont, kText, black, L, false},
    {"Panel3",   Kind::Panel, 256, 344, 97, 9, "", kWindowFont, kText, black, L, false},
    {"Button6",  Kind::Button, 32, 440, 97, 49, "VOITONMAKSU", kButtonFont, kText, kClear, L, false},
    {"Button7",  Kind::Button, 256, 440, 97, 49, "HYMY", kButtonFont, kText, kClear, L, false},
    {"Button8",  Kind::Button, 144, 440, 97, 49, "DEPRESSIO", kButtonFont, kText, kClear, L, false},
    {"Button9",  Kind::Button, 368, 440, 97, 49, "TUPLAUS", kButtonFont, kText, kClear, L, false},
};
// clang-format on

}  // namespace vornakka::machine_window
