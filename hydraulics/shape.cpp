#include "hydraulics/shape.h"

#include <cmath>
#include <limits>

#include "hydraulics/portable_pow.h"
#include "hydraulics/portable_trig.h"

namespace lintavo {

namespace {

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

// A flat bed b and two arcs of radius r turning through β, then straight walls of side slope
// m; the circle is the case b = 0, β = π with no walls.
struct Arcs {
    double b;
    double r;
    double m;
    double beta;     // the angle each arc turns through, radians
    double sinBeta;  // its sine and cosine, from the slope
    double cosBeta;
    double wallPerDepth;  // √(1 + m²)

    double depth() const { return r * (1.0 - cosBeta); }

    SectionWorking at(double h) const {
        const double h0 = depth();
        if (h <= h0) {
            const double c = r - h;
            const double s = std::sqrt(h * (2.0 * r - h));  // half the arc's chord
            const double phi = portableAtan2(s, c);
            return {.at = {b * h + (r * r * phi - s * c), b + 2.0 * r * phi, b + 2.0 * s},
                    .withinArcs = true,
                    .theta = phi,
                    .h1 = h0,
                    .m = m};
        }
        const double y = h - h0;
        const double chord = r * sinBeta;
        const double T0 = b + 2.0 * chord;
        const double A0 = b * h0 + (r * r * beta - chord * (r * cosBeta));
        const double P0 = b + 2.0 * r * beta;
        return {.at = {A0 + (T0 + m * y) * y, P0 + 2.0 * y * wallPerDepth, T0 + 2.0 * m * y},
                .withinArcs = false,
                .theta = beta,
                .h1 = h0,
                .b1 = T0,
                .A1 = A0,
                .m = m};
    }
};

// Toe arcs at side slope m: the wall's angle with the bed is β = atan(1/m), sin β = 1/√(1+m²).
Arcs arcsOf(const ArcToeTrapezoid& s) {
    const double root = rootOfOnePlusSquare(s.m);
    return {s.b, s.r, s.m, portableAtan2(1.0, s.m), 1.0 / root, s.m / root, root};
}

// The U: β = 90° − α, so sin β = cos α and cos β = sin α.
Arcs arcsOf(const ArcBottom& s) {
    const double m = portableTanDegrees(s.alphaDegrees);
    return {0.0,
            s.r,
            m,
            radiansOfDegrees(90.0 - s.alphaDegrees),
            portableCosDegrees(s.alphaDegrees),
            portableSinDegrees(s.alphaDegrees),
            rootOfOnePlusSquare(m)};
}

Arcs arcsOf(const Circle& s) {
    constexpr double pi = 0x1.921fb54442d18p+1;
    return {0.0, 0.5 * s.D, 0.0, pi, 0.0, -1.0, 1.0};
}

bool finite(double x) {
    return std::isfinite(x);
}

}  // namespace

StaticText shapeProblem(const SectionShape& shape) {
    return std::visit(Overloaded{
                          [](const Trapezoid& s) -> StaticText {
                              if (!finite(s.b) || !finite(s.m)) return "尺寸不是有限的数";
                              if (s.b < 0.0) return "底宽 b < 0";
                              if (s.m < 0.0) return "边坡系数 m < 0";
                              if (s.b == 0.0 && s.m == 0.0) return "底宽 b 与边坡系数 m 同为 0";
                              return {};
                          },
                          [](const ArcToeTrapezoid& s) -> StaticText {
                              if (!finite(s.b) || !finite(s.r) || !finite(s.m))
                                  return "尺寸不是有限的数";
                              if (s.b < 0.0) return "底宽 b < 0";
                              if (s.r <= 0.0) return "圆弧半径 r ≤ 0";
                              if (s.m < 0.0) return "边坡系数 m < 0";
                              return {};
                          },
                          [](const ArcBottom& s) -> StaticText {
                              if (!finite(s.r) || !finite(s.alphaDegrees))
                                  return "尺寸不是有限的数";
                              if (s.r <= 0.0) return "圆弧半径 r ≤ 0";
                              if (!(s.alphaDegrees >= 0.0 && s.alphaDegrees < 90.0))
                                  return "外倾角 α 须在 0° 至 90° 之间";
                              return {};
                          },
                          [](const Circle& s) -> StaticText {
                              if (!finite(s.D)) return "尺寸不是有限的数";
                              if (s.D <= 0.0) return "管径 D ≤ 0";
                              return {};
                          },
                      },
                      shape);
}

SectionWorking sectionWorking(const SectionShape& shape, double h) {
    return std::visit(
        Overloaded{
            [h](const Trapezoid& s) -> SectionWorking {
                return {{(s.b + s.m * h) * h, s.b + 2.0 * h * rootOfOnePlusSquare(s.m),
                         s.b + 2.0 * s.m * h}};
            },
            [h](const auto& s) -> SectionWorking { return arcsOf(s).at(h); },
        },
        shape);
}

SectionAtDepth sectionAt(const SectionShape& shape, double h) {
    return sectionWorking(shape, h).at;
}

double areaAt(const SectionShape& shape, double h) {
    return sectionAt(shape, h).A;
}

double wettedPerimeterAt(const SectionShape& shape, double h) {
    return sectionAt(shape, h).P;
}

double topWidthAt(const SectionShape& shape, double h) {
    return sectionAt(shape, h).T;
}

double hydraulicRadiusAt(const SectionShape& shape, double h) {
    const SectionAtDepth s = sectionAt(shape, h);
    return s.P > 0.0 ? s.A / s.P : 0.0;
}

double arcDepth(const SectionShape& shape) {
    return std::visit(Overloaded{
                          [](const Trapezoid&) { return 0.0; },
                          [](const auto& s) { return arcsOf(s).depth(); },
                      },
                      shape);
}

bool isClosed(const SectionShape& shape) {
    return std::holds_alternative<Circle>(shape);
}

double fullDepth(const SectionShape& shape) {
    if (const auto* circle = std::get_if<Circle>(&shape)) return circle->D;
    return std::numeric_limits<double>::infinity();
}

double sideSlopeOf(const SectionShape& shape) {
    return std::visit(Overloaded{
                          [](const Trapezoid& s) { return s.m; },
                          [](const ArcToeTrapezoid& s) { return s.m; },
                          [](const ArcBottom& s) { return portableTanDegrees(s.alphaDegrees); },
                          [](const Circle&) { return 0.0; },
                      },
                      shape);
}

}  // namespace lintavo
