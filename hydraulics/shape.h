#pragma once

// The cross-sections a canal or a conduit takes, in plain double: the trapezoid (a rectangle
// where m = 0), the trapezoid whose walls meet the bed in two arcs (弧形坡脚梯形), its b = 0
// case the arc-bottom or U-shaped channel (弧底梯形, U形渠道), entered as U-channel tables
// give it, by the arc's radius and the walls' outward angle from the vertical, and the
// circular conduit flowing partly full (无压圆管).
//
// A shape answers, at a depth h above its lowest point, the flow area A, the wetted
// perimeter P and the top width T, and the depth at which its arcs end. The arcs' angles
// come from our own trigonometric functions (hydraulics/portable_trig.h), so every figure has
// the same bits on every platform.
//
// Geometry of the arcs. A toe arc of radius r is tangent to the bed and to a wall of side
// slope m, whose angle with the horizontal is β = atan(1/m): the arc turns through β and
// rises r(1 − cos β). At a depth h within it the half-angle from the lowest point is
// φ = atan2(√(h(2r − h)), r − h), and A = b·h + r²φ − √(h(2r − h))·(r − h), P = b + 2rφ,
// T = b + 2√(h(2r − h)). Above the arcs the walls are straight. A circle of diameter D is the
// same arc with b = 0 turning through π.
//   areaAt(Circle{2}, 1) → π/2, topWidthAt(Circle{2}, 1) → 2
//   areaAt(ArcBottom{1, 0}, 1) → π/2 (a semicircle), then the walls rise vertically

#include <variant>

#include "hydraulics/static_text.h"

namespace lintavo {

// b bottom width and m side slope; today's section.
struct Trapezoid {
    double b;
    double m;
};

// A flat bed b, two toe arcs of radius r tangent to it and to walls of side slope m.
struct ArcToeTrapezoid {
    double b;
    double r;
    double m;
};

// A bottom arc of radius r with straight walls tangent to it, leaning out by α degrees from
// the vertical (m = tan α); α = 0 is a semicircle with vertical walls.
struct ArcBottom {
    double r;
    double alphaDegrees;
};

// A circular conduit of diameter D, flowing with a free surface.
struct Circle {
    double D;
};

using SectionShape = std::variant<Trapezoid, ArcToeTrapezoid, ArcBottom, Circle>;

// The section at one depth.
struct SectionAtDepth {
    double A;  // flow area, m²
    double P;  // wetted perimeter, m
    double T;  // top width, m
};

// Why the shape's dimensions describe no section, or empty where they do:
//   shapeProblem(Circle{0}) → "管径 D ≤ 0"; shapeProblem(ArcBottom{1, 90}) → "外倾角 α 须在 0° 至
//   90° 之间"
StaticText shapeProblem(const SectionShape& shape);

// The section at depth h, 0 ≤ h (≤ D for a circle); the shape must have no problem.
SectionAtDepth sectionAt(const SectionShape& shape, double h);
double areaAt(const SectionShape& shape, double h);

// The section at depth h with the figures it is worked out from, each as sectionAt computes
// it, for a book that shows the arithmetic. Within the arcs, θ is the half-angle the water
// spans from the lowest point (a circle's whole central angle is 2θ); above them, θ is the
// angle each arc turns through, h1 the depth where they end, b1 the top width there and A1
// the area below it, m the walls' side slope. A trapezoid has no arcs: only `at`.
//   sectionWorking(Circle{2}, 1) → withinArcs, θ = π/2, A = π/2
struct SectionWorking {
    SectionAtDepth at{};
    bool withinArcs = true;
    double theta = 0.0;
    double h1 = 0.0;
    double b1 = 0.0;
    double A1 = 0.0;
    double m = 0.0;
};
SectionWorking sectionWorking(const SectionShape& shape, double h);
double wettedPerimeterAt(const SectionShape& shape, double h);
double topWidthAt(const SectionShape& shape, double h);
// R = A/P, m; 0 at h = 0.
double hydraulicRadiusAt(const SectionShape& shape, double h);

// The depth at which the arcs end and the straight walls begin: 0 for the trapezoid,
// r(1 − cos β) for the toe arcs, r(1 − sin α) for the U, D for the circle.
//   arcDepth(ArcBottom{1, 30}) → 0.5
double arcDepth(const SectionShape& shape);

// Whether the section is closed above (a circle): its depths end at fullDepth.
bool isClosed(const SectionShape& shape);
// D for a circle; infinity for an open section.
double fullDepth(const SectionShape& shape);

// The side slope of the straight walls: m, or tan α for the U; 0 for a circle.
double sideSlopeOf(const SectionShape& shape);

}  // namespace lintavo
