// The four windows know one another by these, the way the game's windows
// reach each other: the machine window opens the name dialog or the
// high-score window, the name dialog passes on to the high-score window, and
// so on. The pointers are set while the windows are built, in that order.
#pragma once

namespace vornakka {

class TForm1;
class TForm2;
class TForm3;
class TForm4;

struct Forms {
    TForm1* form1 = nullptr;  // the machine window
    TForm2* form2 = nullptr;  // the high-score window
    TForm3* form3 = nullptr;  // the name dialog
    TForm4* form4 = nullptr;  // the about box
};

}  // namespace vornakka
