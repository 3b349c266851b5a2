#pragma once

// x^y with the same bits on every platform.
//
// The C libraries differ in their pow: glibc's is accurate to about half a unit in the last
// place, the MinGW runtime's is not, and the two give different last bits for the same
// operands. The calculators' results must have the same digits wherever they run, so their
// powers come from here: plain IEEE 754 double arithmetic (additions, multiplications and
// divisions, each rounded on its own, no fused multiply-add), no call into the C library.
//
// The result is the exact x^y rounded to nearest. A quick path, like the C libraries', carries
// ln x and e^t to about 2^-68 and keeps its result only where no error that size could move
// the rounding across a halfway point between two doubles; the few calls in a thousand that
// fail that test are decided by a second path in double-double arithmetic (about 2^-102),
// whose final 1 + expm1 is summed exactly. So the rounding is the correct one unless the
// exact power lies within about 2^-95 (relative) of a halfway point away from 1. Exact
// halfway cases only arise for whole and half-whole exponents of special bases: x^2 is the
// IEEE product x·x and x^0.5 the IEEE square root, which round them correctly. Results
// below the normal range (below 2^-1022) may be off by one unit.
//
// Special operands follow C's pow: x^0 = 1 and 1^y = 1 for every y, a negative base needs a
// whole exponent (otherwise NaN), 0 to a negative power is an infinity, infinities and NaNs
// as C says.

namespace lintavo {

double portablePow(double x, double y);

}  // namespace lintavo
