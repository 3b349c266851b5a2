#pragma once

// The calculation report's two drawings, each a function of the channel drawn with QPainter
// inside a given rectangle: the cross-section to scale and the rating curve. Sizes of lines,
// text and arrows follow the rectangle and the device's dots per inch, so that one function
// draws on the screen, into an image and onto a printed or PDF page alike.
//   QImage image(600, 300, QImage::Format_ARGB32);
//   image.fill(Qt::white);
//   QPainter painter(&image);
//   drawSection(painter, image.rect(), 2, 1, 1);  // b = 2 m, h = 1 m, 1:1 walls

#include <QRectF>
#include <QString>
#include <vector>

#include "hydraulics/channel.h"

class QPainter;

namespace lintavo {

// What a drawing writes for the channel's quantities: the texts its window shows, so that a
// label never rounds a third way. An empty text is written from the value at the book's six
// significant digits.
struct ShownTexts {
    QString b, h, m, Q;
};

// The section of bottom width b and side slope 1:m filled to depth h, equal scale across and
// down: bed, walls rising a fifth of h above the water, the water in light blue, b, h and the
// top width B dimensioned and the slope marked. Nothing but a note is drawn for a section
// that is not one (b < 0, m < 0, h ≤ 0, b + m·h ≤ 0, or not finite).
// With the design check's enlarged depth hb and bank height H (each > 0 where given), the
// enlarged water line is dashed across the section and the walls rise to the bank top at H.
// With the bank-top width of the canal's rank (> 0, and H given), the bank tops of that width
// are drawn at H beside the walls and dimensioned above.
void drawSection(QPainter& painter, const QRectF& area, double b, double h, double m,
                 double enlargedDepth = 0, double bankHeight = 0, const ShownTexts& shown = {},
                 double bankTopWidth = 0);

// The channel's section as drawSection draws it, a lined one (U, arc-toe trapezoid, circle)
// with its arcs to scale: a circle's whole outline with the water's chord at h, and neither
// bank nor bank top above its crown; the arcs' radius r, or the pipe's D, marked from the
// centre, and a U's walls by their angle α.
void drawChannelSection(QPainter& painter, const QRectF& area, const Channel& channel,
                        double enlargedDepth = 0, double bankHeight = 0, double bankTopWidth = 0,
                        const ShownTexts& shown = {});

// Q against h: axes with ticks and numbers, the curve, and the press's depth h and discharge
// Q marked with a dot and dashed guides to the axes. Nothing but a note for an empty curve.
void drawRatingCurve(QPainter& painter, const QRectF& area, const std::vector<RatingPoint>& curve,
                     double h, double Q, const ShownTexts& shown = {});

}  // namespace lintavo
