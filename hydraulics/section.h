#pragma once

// The trapezoidal section and the Chézy coefficient, written as the formulas are:
// operands in the order they appear, kinds chosen by `Value` itself. With b, m and h read
// from fields (singles), A is a single, P and everything after it a double.

#include "hydraulics/value.h"

namespace lintavo {

// A = (b + m·h)·h
Value flowArea(Value b, Value m, Value h);
// P = b + (2·h)·√(1 + m^2)
Value wettedPerimeter(Value b, Value m, Value h);
// R = A / P; P = 0 is a division by zero.
Value hydraulicRadius(Value A, Value P);
// C = (1/n)·R^(1/6); n = 0 fails before R < 0 is looked at.
Value chezyCoefficient(Value R, Value n);

// The discharge of the section in Manning's form, ((A/n) · R^(1/6 + 1/2)) · √i, evaluated
// as the bisections evaluate it: √i before A/n (so i < 0 fails before n = 0), then A and P
// afresh, R, the power and the two products.
//   manningDischarge(10, 0, 1.25, 0.25, 0.5) → 12.5 (R is exactly 1)
Value manningDischarge(Value b, Value m, Value h, Value i, Value n);

}  // namespace lintavo
