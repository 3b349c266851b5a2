#pragma once

// The power the independent evaluations in the tests use: x^y carried to 113 bits by
// libquadmath and rounded once to double, so the nearest double to the exact power. The C
// libraries' pow is not that everywhere (glibc misrounds a few in a thousand at the
// calculators' exponents, the MinGW runtime more), and a reference that misrounds would fail
// a bit-for-bit comparison with the calculators, which round correctly.

#include <quadmath.h>

namespace lintavo::testing {

inline double referencePow(double x, double y) {
    return static_cast<double>(powq(static_cast<__float128>(x), static_cast<__float128>(y)));
}

}  // namespace lintavo::testing
