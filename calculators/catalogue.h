#pragma once

// The calculations, in the order of the main window's menu. Each is defined in its
// *_window.cpp as one table; its calculation lives beside it as a pure function. Everything
// that serves every calculation — the menu, the book, the driver, lintavo-calc, the batch, the
// benchmarks and the fuzzers — walks this list and asks the tables, never a name.

#include <span>

#include "calculators/table.h"

namespace lintavo {

extern const CalculatorTable dischargeWindow;    // calculators/discharge.h
extern const CalculatorTable normalDepthWindow;  // calculators/normal_depth.h
extern const CalculatorTable bottomWidthWindow;  // calculators/bottom_width.h
extern const CalculatorTable bottomSlopeWindow;  // calculators/bottom_slope.h
extern const CalculatorTable sectionWindow;      // calculators/section_dimensions.h
// The section shapes, calculators/shape_calculations.h.
extern const CalculatorTable uDischargeWindow;
extern const CalculatorTable uNormalDepthWindow;
extern const CalculatorTable arcToeDischargeWindow;
extern const CalculatorTable arcToeNormalDepthWindow;
extern const CalculatorTable circleDischargeWindow;
extern const CalculatorTable circleNormalDepthWindow;

std::span<const CalculatorTable> calculations();

// Adds a calculation after the others, for a calculation that lives outside this folder (a
// test's). Only before anything has taken the list: a span taken earlier does not see it.
// False, and nothing added, when the list is full or a title or alias is taken already.
bool addCalculation(const CalculatorTable& table);

}  // namespace lintavo
