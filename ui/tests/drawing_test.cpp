// The machine window as drawn: the faces of the double-up column like the
// glyphs they stand for, and a disabled window that looks as it did.
#include <QPixmap>
#include <algorithm>
#include <cstdlib>

#include "Vorna/vorna.h"
#include "support.h"

namespace vornakka::test {
namespace {

const QColor white(255, 255, 255);

class DrawingTest : public GameTest {};

// Rows of the image that hold any of the face's red.
std::pair<int, int> redRows(const QImage& image) {
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                if (first < 0) first = y;
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

TEST_F(DrawingTest, FacesAreDrawnLikeGlyphsInReelWindows) {
    start();
    auto* top = control<FaceLabel>(machineWindow(), "Tupyla");
    auto* middle = control<FaceLabel>(machineWindow(), "Tupkesk");
    auto* bottom = control<FaceLabel>(machineWindow(), "Tupala");
    ASSERT_TRUE(top && middle && bottom);
    // A 96-pixel glyph: a face about 77 pixels across.
    EXPECT_NEAR(middle->faceCircle().width(), 77, 2);

    const QImage topImage = top->grab().toImage();
    const QImage middleImage = middle->grab().toImage();
    const QImage bottomImage = bottom->grab().toImage();
    // The top face is cut by the box's top edge and ends well above its
    // bottom: only its lower part shows. The bottom face is the other way
    // round. The middle face shows whole.
    const auto [t0, t1] = redRows(topImage);
    EXPECT_EQ(t0, 0);
    EXPECT_LT(t1, 50);
    const auto [b0, b1] = redRows(bottomImage);
    EXPECT_GT(b0, 5);
    EXPECT_EQ(b1, bottomImage.height() - 1);
    const auto [m0, m1] = redRows(middleImage);
    EXPECT_GE(m0, 0);
    EXPECT_LT(m1, middleImage.height() - 1);
    EXPECT_GT(m1 - m0, 70);
    EXPECT_EQ(middleImage.pixelColor(2, 2), white);

    // Smiling, neutral and frowning faces differ, and each letter draws its own.
    const auto drawn = [&](const char* letter) {
        middle->setCaption(QString::fromLatin1(letter));
        return middle->grab().toImage();
    };
    const QImage smile = drawn("J"), neutral = drawn("K"), frown = drawn("L");
    EXPECT_NE(smile, neutral);
    EXPECT_NE(smile, frown);
    EXPECT_NE(neutral, frown);
    EXPECT_EQ(drawn("J"), smile);
}

TEST_F(DrawingTest, ADisabledWindowLooksTheSame) {
    start();
    TForm1& w = machineWindow();
    if (QWidget* focus = w.focusWidget()) focus->clearFocus();
    const QImage enabled = w.grab().toImage();
    w.setWindowEnabled(false);
    EXPECT_FALSE(control(w, "Button2")->isEnabled());
    const QImage disabled = w.grab().toImage();
    // Labels, lamps and captions draw exactly as before; the style only
    // lightens the one-pixel outline of a disabled push button a shade.
    ASSERT_EQ(disabled.size(), enabled.size());
    int most = 0;
    for (int y = 0; y < enabled.height(); ++y) {
        for (int x = 0; x < enabled.width(); ++x) {
            const QColor a = enabled.pixelColor(x, y), b = disabled.pixelColor(x, y);
            most = std::max({most, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                             std::abs(a.blue() - b.blue())});
        }
    }
    EXPECT_LE(most, 16);
    const QRect counters(56, 136, 281, 25);
    EXPECT_EQ(disabled.copy(counters), enabled.copy(counters));
    const QRect caption(480 + 10, 440 + 15, 77, 19);
    EXPECT_EQ(disabled.copy(caption), enabled.copy(caption));
    w.setWindowEnabled(true);
}

}  // namespace
}  // namespace vornakka::test
