#pragma once

// How the book and the driver write a number that no field shows. Both go through
// std::to_chars, never printf, so the digits are the same whatever the platform's C library.

#include <string>

namespace lintavo {

// A number as C's printf("%.9g") writes it: 0.00100000005, 36.9498421, 3, 1.5e+20. Enough
// digits to tell every single apart, for the results table and the driver's values.
std::string recordNumber(double x);

// A number as an engineer reads it in a formula, as printf("%.6g") writes it: 1.8 for the
// single nearest 1.8, 11.16, 0.000299981.
std::string readableNumber(double x);

// A number with a fixed count of decimals, rounded to nearest: fixedNumber(4.44165, 3) →
// "4.442", fixedNumber(0.0123, 2) → "0.01".
std::string fixedNumber(double x, int decimals);

}  // namespace lintavo
