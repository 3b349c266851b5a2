#pragma once

// x^y with the same bits on every platform.
//
// The C libraries differ in their pow: glibc's is accurate to about half a unit in the last
// place, the MinGW runtime's is not, and the two give different last bits for the same
// operands. The calculators' results must have the same digits wherever they run, so their
// powers come from here: plain IEEE 754 double arithmetic (additions, multiplications and
// divisions, each rounded on its own, no fused multiply-add), no call into the C library.
//
// The result is the exact x^y rounded to nearest, ties to even, for every x and y whose
// power is a normal double. A quick path, like the C libraries', carries ln x and e^t in a
// double and a correction and bounds its own error (2^-64 of the result, more where y is
// large); it keeps its rounding only where no error within that bound could move it across
// a halfway point between two doubles. The calls it cannot settle, about 7 in 10 000 at
// every exponent the calculators use, are decided by a second path in double-double
// arithmetic (about 2^-102), whose final 1 + expm1 is summed exactly. Powers that lie exactly
// halfway between two doubles (x^3 with x = 208065 is 9007351116674625) are found by
// exact integer arithmetic and rounded to the even neighbour; they need y = p/2^k with p
// whole, 1 < y ≤ 34 and k ≤ 5. So the one place the rounding could still be wrong is a power
// within 2^-100 (relative) of a halfway point without lying on it; none is known, and
// 200 000 samples at each of the calculators' exponents against a 113-bit reference find
// none (tests/unit/test_portable_pow.cpp). Results below the normal range (below 2^-1022)
// are rounded twice and may be off by one unit of the subnormal; at the calculators'
// exponents (1/6 to 2.5) only bases below 2^-408 go there.
//
// Special operands follow C (C11 Annex F): x^±0 = 1 and 1^y = 1 for every x and y, NaN
// included; (−1)^±∞ = 1; a negative finite base to a finite non-whole power is NaN; ±0 and
// ±∞ keep their sign only to an odd whole power ((−0)^3 = −0, (−0)^1.5 = +0,
// (−∞)^1.5 = +∞, (−∞)^−3 = −0); 0 to a negative power is +∞ (−∞ for −0 to an odd one);
// x^±∞ is 0 or +∞ as |x| is below or above 1.

namespace lintavo {

double portablePow(double x, double y);

// √(1 + m²), correctly rounded, for every m: the length of a side wall per unit of depth at
// side slope m. Never overflows (it is |m| from 2^27 on); NaN for NaN.
//   rootOfOnePlusSquare(0.75) → 1.25, rootOfOnePlusSquare(1) → 1.4142135623730951
double rootOfOnePlusSquare(double m);

namespace detail {
// Whether portablePow(x, y) goes down its slow, double-double path, for the benchmark that
// counts how often it does.
bool powTakesSlowPath(double x, double y);
}  // namespace detail

}  // namespace lintavo
