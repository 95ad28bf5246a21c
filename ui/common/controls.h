// The controls the game's windows are made of, beside Qt's push buttons and
// edit box: the text label (the machine window's own face label and hold lamp
// are in Vorna/faces_and_lamps.h).
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <optional>
#include <vector>

#include "common/colours.h"
#include "common/fonts.h"

namespace vornakka {

// How a label looks. fill is the colour the label paints its box with; a
// label without one is transparent and the window shows through it.
struct LabelStyle {
    FontDesc font;
    Colour text = kWindowTextColour;
    std::optional<Colour> fill;
    Qt::Alignment alignment = Qt::AlignLeft;  // the text starts at the top unless a vertical flag says otherwise
    bool autoSize = false;
    // For an auto-size label: a text that would grow wider than this is drawn
    // in a smaller font instead, the largest that keeps it within (0: none).
    int maxWidth = 0;
};

// A one-line text label at a fixed place. Text that does not fit is clipped
// at the box's edges: no wrapping, no ellipsis. An auto-size label takes the
// size of its text whenever its caption changes; it keeps its top and, by its
// alignment, its left edge, its centre or its right edge.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, const char* name, const QRect& box, const QString& caption,
          const LabelStyle& style);

    void setCaption(const QString& caption);
    void setTextColour(Colour colour);

    Colour textColour() const { return style_.text; }
    std::optional<Colour> fillColour() const { return style_.fill; }
    bool isAutoSize() const { return style_.autoSize; }

    // For a filled label that shows few different captions in quick turn
    // (the reels): each caption and colour is drawn once and its picture
    // reused. Large glyphs are otherwise rasterised from their outlines, with
    // hinting, on every repaint.
    void keepLooks();

signals:
    // A left click released over the label.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Look {
        QString caption;
        QRgb text;
        QRgb fill;
        QPixmap picture;
    };

    void fitToText();
    Look shown() const;           // the caption and colours shown now, no picture
    const QPixmap* look() const;  // of the caption and colours shown, if kept
    void keepLook();

    LabelStyle style_;
    int anchorX_;  // left edge, doubled centre or right edge that auto-size keeps
    bool keepLooks_ = false;
    bool drawingLook_ = false;
    bool lookQueued_ = false;
    std::vector<Look> looks_;
};

// Gives a control the name a screen reader says for it, when that changes;
// the change reaches the screen reader as a name-changed event.
void setSpokenName(QWidget* control, const QString& name);

}  // namespace vornakka
