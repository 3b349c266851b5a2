#pragma once

// The trapezoidal section in plain double, for what explains a result rather than makes
// it: the channel's hydraulics in the report, the solvers' explanations of a failure, the
// benchmarks' floors. The calculations themselves use hydraulics/section.h, in the number
// model. The one root and the one power go through our own functions, so that these
// figures too have the same bits on every platform.
//   PlainSection{2, 1}.area(1) → 3, .wettedPerimeter(1) → 4.82842712474619 (2 + 2√2)

#include <cmath>

#include "hydraulics/portable_pow.h"

namespace lintavo {

struct PlainSection {
    double b;  // bottom width, m
    double m;  // side-slope coefficient (0: rectangle)

    // A = (b + m·h)·h, m²
    double area(double h) const { return (b + m * h) * h; }
    // B = b + 2·m·h, m
    double topWidth(double h) const { return b + 2.0 * m * h; }
    // P = b + 2·h·√(1 + m²), m
    double wettedPerimeter(double h) const { return b + 2.0 * h * rootOfOnePlusSquare(m); }
    // R = A/P, m
    double hydraulicRadius(double h) const { return area(h) / wettedPerimeter(h); }
    // Q = (1/n)·A·R^(2/3)·√i, m³/s
    double manningDischarge(double h, double i, double n) const {
        return area(h) / n * portablePow(hydraulicRadius(h), 2.0 / 3.0) * std::sqrt(i);
    }
};

}  // namespace lintavo
