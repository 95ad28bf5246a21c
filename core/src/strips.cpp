#include "vornakka/strips.h"

namespace vornakka {

Colour symbolColourOf(char symbol) {
    switch (symbol) {
        case '*':
            return colours::yellow;
        case 'C':
        case 'D':
            return colours::red;
        case 'E':
            return colours::purple;
        case 'F':
            return colours::green;
        case 'G':
            return colours::olive;
        case 'U':
            return colours::teal;
        default:  // '6', 'A', 'B'
            return colours::black;
    }
}

bool PaytableRow::matches(char r1, char r2, char r3) const {
    const char shown[3] = {r1, r2, r3};
    for (int i = 0; i < 3; ++i) {
        if (pattern[i] != '?' && pattern[i] != shown[i]) return false;
    }
    return true;
}

int firstMatchingRow(char r1, char r2, char r3) {
    for (int i = 0; i < kPaytableRows; ++i) {
        if (kPaytable[static_cast<std::size_t>(i)].matches(r1, r2, r3)) return i + 1;
    }
    return 0;
}

}  // namespace vornakka
