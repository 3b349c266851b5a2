#pragma once

// The drawing beside the book's table of schemes: the five practical economic sections side by
// side on one bed line and to one scale, so that the eye sees the best section's depth give
// way to width as α grows. Drawn with QPainter inside a given rectangle, its lines and text
// sized by the device's dots per inch like the book's other drawings.
//   drawSchemes(painter, image.rect(), schemesOf(channel).value());

#include <QRectF>

#include "standard/schemes.h"

class QPainter;

namespace lintavo {

// Each section filled to its depth, its walls rising to 1.2·h0 (the deepest one's fifth above
// its water), α and β = b/h beneath it, a row that fails the velocity limits labelled in red,
// and a scale bar. A note instead where the area is too small to draw in.
void drawSchemes(QPainter& painter, const QRectF& area, const Schemes& schemes);

}  // namespace lintavo
