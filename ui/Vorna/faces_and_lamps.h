// The machine window's own controls beside its text labels: the faces of the
// double-up column and the reels' hold lamps.
#pragma once

#include <QRectF>
#include <QWidget>

#include "common/colours.h"
#include "common/controls.h"

namespace vornakka {

// One face of the double-up column. Its caption is the face letter, 'J'
// smiling, 'K' neutral, 'L' frowning, and it draws that face in its text
// colour, as large as a glyph of its font's em height would be. Like a letter
// in a label of that size, the face sits at the top, centre or bottom of the
// box by the label's vertical alignment, so a 57-pixel box shows only the
// lower or the upper part of it, like a reel window.
class FaceLabel : public Label {
    Q_OBJECT
public:
    using Label::Label;

    // Where the face's circle lies within the box, in pixels.
    QRectF faceCircle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A hold lamp: a plain panel with a one-pixel raised bevel whose fill is the
// only thing that changes. Screen readers meet it as a label that says
// whether its reel is held.
class Lamp : public QWidget {
    Q_OBJECT
public:
    Lamp(QWidget* parent, const char* name, const QRect& box, Colour fill);

    void setFill(Colour fill);
    Colour fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colour fill_;
};

}  // namespace vornakka
