#pragma once

// Every window the program shows lies wholly within the available part of its screen (the
// screen less its panels), frame and all, whatever its size, wherever its table or Qt would
// put it, on a laptop's 1366 × 768 as on a 1024 × 600 netbook: one rule for the calculator
// windows, the book, the batch window, the dialogs and the message boxes alike.

#include <QMargins>
#include <QRect>

class QApplication;
class QWidget;

namespace lintavo {

// `frame` moved the least, and made smaller where it is larger, so that it lies within `area`;
// a frame larger than `area` keeps its top-left corner at the area's.
QRect withinArea(const QRect& frame, const QRect& area);

// Puts `window`'s frame at `frame`, given the `margins` of the frame around it (its client
// no smaller than its least size).
void placeFrame(QWidget& window, const QRect& frame, const QMargins& margins);

// The margins the window system puts around `window`: its own where it has been framed, else
// those of a window framed before (its parent first), which a window system gives alike.
QMargins frameMargins(const QWidget& window);

// The available area of the screen `frame` lies on, or mostly on (a window placed off every
// screen: that of `window`).
QRect availableArea(const QWidget& window, const QRect& frame);

// Watches every top-level window as it is shown: one Qt would place itself (centred on its
// parent, say) is placed as Qt would, then moved and where need be made smaller to lie within
// its screen; once the window system has framed it, its frame is fitted again.
void keepWindowsOnScreen(QApplication& app);

// Whether `window` has been shown and is yet to be framed and fitted: for a script that would
// read where it is.
bool arriving(const QWidget& window);

}  // namespace lintavo
