#pragma once

// Uniform flow in any section shape (hydraulics/shape.h), in plain double: Manning's
// discharge and velocity at a depth, and the normal depth that carries a discharge.
//
// The normal depth is found by bisection down to adjacent doubles, from a bracket that grows
// by doubling until it holds the answer: no depth is too deep for an open channel. A circle
// is different. Its discharge grows with the depth up to about 0.938 D and falls from there
// to the full pipe's, so a discharge between the full pipe's and that peak is carried at two
// depths, and one above the peak at none: the conduit then flows under pressure (压力流),
// and no free-surface depth is made up for it.
//   manningFlow(Trapezoid{2, 1}, 1, 0.001, 0.025) → Q 2.76306842…, v 0.92102…
//   normalDepth(Trapezoid{2, 1}, 2.76306842, 0.001, 0.025) → h 1.0000000…

#include <optional>

#include "hydraulics/channel.h"
#include "hydraulics/shape.h"

namespace lintavo {

struct ShapeFlow {
    double Q = 0.0;  // m³/s
    double v = 0.0;  // m/s
};

// Q = A·R^(2/3)·√i / n and v = Q/A at depth h. Absent, with the reason, where the shape has
// a problem, h ≤ 0 (no water, no velocity), h > D in a circle, i < 0 or n ≤ 0.
Computed<ShapeFlow> manningFlow(const SectionShape& shape, double h, double i, double n);

struct NormalDepth {
    double h = 0.0;               // the depth that carries Q; the shallower of two in a circle
    std::optional<double> other;  // a circle's deeper depth carrying the same Q, if any
};

// The depth at which Q flows uniformly. Absent, with the reason, where the shape has a
// problem, Q ≤ 0, i ≤ 0, n ≤ 0, where Q exceeds a circle's greatest free-surface discharge
// (压力流), or where the depth would lie beyond the double range.
Computed<NormalDepth> normalDepth(const SectionShape& shape, double Q, double i, double n);

// A circle's greatest free-surface discharge at slope i and roughness n, and its depth.
struct PeakFlow {
    double h = 0.0;
    double Q = 0.0;
};
PeakFlow peakFlow(const Circle& circle, double i, double n);

// The critical depth, where Q²·T = g·A³ (g = 9.81 m/s², α = 1), by bisection down to adjacent
// doubles. A circle always has one below its crown, where T vanishes; absent, with the
// reason, for Q ≤ 0 or a shape with a problem.
//   criticalDepthOf(Trapezoid{4, 0}, 8) → 0.74148… ((q²/g)^(1/3) with q = Q/b = 2)
Computed<double> criticalDepthOf(const SectionShape& shape, double Q);

// What a result field shows of x: three decimals, cut toward minus infinity, as every
// calculation cuts its results.
//   cutToThousandths(2.7630684) → 2.763, cutToThousandths(-0.0004) → -0.001
double cutToThousandths(double x);

}  // namespace lintavo
