#include "hydraulics/channel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"
#include "hydraulics/shape_flow.h"

namespace lintavo {

namespace {

using Amount = Computed<double>;

constexpr StaticText overflow = "数值溢出";

// A result that overflowed or lost its meaning is reported absent, never printed as inf or nan.
Amount finite(double x) {
    return std::isfinite(x) ? Amount::of(x) : Amount::absent(overflow);
}

template <typename T>
Computed<T> absentAs(const Amount& why) {
    return Computed<T>::absent(why.reason());
}

// The reason an input is unusable, or none.
StaticText nonFinite(const Channel& c) {
    if (!std::isfinite(c.Q)) return "流量 Q 不是有限数";
    if (!std::isfinite(c.b)) return "底宽 b 不是有限数";
    if (!std::isfinite(c.h)) return "水深 h 不是有限数";
    if (!std::isfinite(c.m)) return "边坡系数 m 不是有限数";
    if (!std::isfinite(c.n)) return "糙率 n 不是有限数";
    return {};
}

// √(A³/B) as a function of depth, increasing for b ≥ 0, m ≥ 0, b + m > 0. Compared with
// Q/√g rather than A³/B with Q²/g: the cube and the square overflow long before this does.
// Where A overflows the value is taken as infinite, where it underflows as zero.
double criticalFunction(double h, double b, double m) {
    const PlainSection section{b, m};
    const double A = section.area(h);
    const double B = section.topWidth(h);
    if (A == 0.0) return 0.0;
    if (!std::isfinite(A) || B == 0.0) return std::numeric_limits<double>::infinity();
    const double depth = A / B;  // hydraulic depth; A/B for B = inf is 0
    const double f = A * std::sqrt(depth);
    return std::isnan(f) ? std::numeric_limits<double>::infinity() : f;
}

// The section a channel describes: its shape, or the trapezoid of b and m, whose figures stay
// those of PlainSection.
struct ChannelSection {
    const Channel& c;

    SectionAtDepth at(double h) const {
        if (c.shape) return sectionAt(*c.shape, h);
        const PlainSection plain{c.b, c.m};
        return {plain.area(h), plain.wettedPerimeter(h), plain.topWidth(h)};
    }
    double area(double h) const { return at(h).A; }
    double topWidth(double h) const { return at(h).T; }
    double wettedPerimeter(double h) const { return at(h).P; }
};

// Why a channel's section does not exist at its depth, checked before its figures: bad inputs,
// a shape's problem, a depth above a circle's crown.
StaticText sectionProblem(const Channel& c) {
    StaticText bad = nonFinite(c);
    if (!bad.empty()) return bad;
    if (c.shape) {
        if (bad = shapeProblem(*c.shape); !bad.empty()) return bad;
        if (c.h > fullDepth(*c.shape)) return "水深 h 大于管径 D";
        return {};
    }
    if (c.b < 0.0) return "底宽 b < 0";
    if (c.m < 0.0) return "边坡系数 m < 0";
    return {};
}

}  // namespace

StaticText flowRegimeName(FlowRegime regime) {
    switch (regime) {
        case FlowRegime::Subcritical:
            return "缓流";
        case FlowRegime::Critical:
            return "临界流";
        case FlowRegime::Supercritical:
            return "急流";
    }
    return {};
}

StaticText slopeKindName(SlopeKind kind) {
    switch (kind) {
        case SlopeKind::Mild:
            return "缓坡";
        case SlopeKind::Critical:
            return "临界坡";
        case SlopeKind::Steep:
            return "陡坡";
    }
    return {};
}

Computed<double> criticalDepth(double Q, double b, double m) {
    if (!std::isfinite(Q) || !std::isfinite(b) || !std::isfinite(m)) {
        return Amount::absent("输入不是有限数");
    }
    if (!(Q > 0.0)) return Amount::absent("流量 Q ≤ 0");
    if (b < 0.0) return Amount::absent("底宽 b < 0");
    if (m < 0.0) return Amount::absent("边坡系数 m < 0");
    if (!(b + m > 0.0)) return Amount::absent("底宽 b 与边坡系数 m 均为 0");

    const double target = Q / std::sqrt(gravity);
    if (target == 0.0) return Amount::absent("流量 Q 过小");

    // f(0) = 0 < target: bracket [lo, hi] with f(lo) < target ≤ f(hi), doubling hi. At most
    // about 1100 doublings from the smallest to the largest double.
    double lo = 0.0;
    double hi = 1.0;
    while (criticalFunction(hi, b, m) < target) {
        lo = hi;
        hi *= 2.0;
        if (!std::isfinite(hi)) return Amount::absent(overflow);
    }
    // Halve until no double lies between the ends; each pass narrows the bracket, so this ends
    // after at most about 2100 passes whatever the rounding of f.
    for (;;) {
        const double mid = lo + (hi - lo) / 2.0;
        if (!(mid > lo && mid < hi)) break;
        const double f = criticalFunction(mid, b, m);
        if (f == target) return Amount::of(mid);
        (f < target ? lo : hi) = mid;
    }
    // Of two adjacent depths, the one whose f lies nearer Q/√g; lo = 0 is not a depth.
    if (lo == 0.0) return Amount::of(hi);
    const double below = target - criticalFunction(lo, b, m);
    const double above = criticalFunction(hi, b, m) - target;
    return Amount::of(below < above ? lo : hi);
}

ChannelHydraulics hydraulicsOf(const Channel& c) {
    const double Q = c.Q, b = c.b, h = c.h, m = c.m, i = c.i, n = c.n;
    const ChannelSection section{c};
    ChannelHydraulics out;

    // The section at depth h.
    // A negative width or side slope draws no channel: nothing at its depth exists, however
    // its area and top width come out, and for the same reason as its critical depth.
    const StaticText bad = sectionProblem(c);
    Amount why = Amount::absent(bad);
    if (bad.empty()) {
        const double A = section.area(h);
        const double B = section.topWidth(h);
        if (!std::isfinite(A) || !std::isfinite(B)) {
            why = Amount::absent(overflow);
        } else if (!(A > 0.0)) {
            why = Amount::absent("过水断面面积 A ≤ 0");
        } else if (!(B > 0.0)) {
            why = Amount::absent("水面宽 B ≤ 0");
        } else if (!(Q > 0.0)) {
            why = Amount::absent("流量 Q ≤ 0");
        } else if (!(n > 0.0)) {
            why = Amount::absent("糙率 n ≤ 0");
        } else {
            out.A = Amount::of(A);
            out.B = Amount::of(B);
            out.P = finite(section.wettedPerimeter(h));
            if (!out.P.exists()) {
                out.R = out.C = out.P;
            } else if (!(out.P.value() > 0.0)) {
                out.R = out.C = Amount::absent("湿周 P ≤ 0");
            } else {
                out.R = finite(A / out.P.value());
                out.C = out.R.exists() ? finite(portablePow(out.R.value(), 1.0 / 6.0) / n) : out.R;
            }
            out.v = finite(Q / A);
            if (out.v.exists()) {
                const double wave = std::sqrt(gravity * (A / B));  // celerity √(g·A/B)
                out.Fr = wave > 0.0 ? finite(out.v.value() / wave) : Amount::absent(overflow);
            } else {
                out.Fr = out.v;
            }
            if (out.Fr.exists()) {
                const double Fr = out.Fr.value();
                out.regime = Computed<FlowRegime>::of(Fr < 1.0   ? FlowRegime::Subcritical
                                                      : Fr > 1.0 ? FlowRegime::Supercritical
                                                                 : FlowRegime::Critical);
            } else {
                out.regime = absentAs<FlowRegime>(out.Fr);
            }
        }
    }
    if (!out.A.exists()) {
        out.A = out.P = out.R = out.C = out.v = out.B = out.Fr = why;
        out.regime = absentAs<FlowRegime>(why);
    }

    // The critical section.
    out.hc = c.shape ? criticalDepthOf(*c.shape, Q) : criticalDepth(Q, b, m);
    if (out.hc.exists()) {
        const double hc = out.hc.value();
        out.Ac = finite(section.area(hc));
        out.Bc = finite(section.topWidth(hc));
        Amount noSlope = Amount::absent(overflow);
        if (!std::isfinite(n)) {
            noSlope = Amount::absent("糙率 n 不是有限数");
        } else if (!(n > 0.0)) {
            noSlope = Amount::absent("糙率 n ≤ 0");
        } else if (out.Ac.exists()) {
            const double Ac = out.Ac.value();
            const double Pc = section.wettedPerimeter(hc);
            const double Rc = Ac / Pc;
            const double Cc = portablePow(Rc, 1.0 / 6.0) / n;
            // Q²/(Ac²·Cc²·Rc), squared last so that it overflows only where ik itself does.
            const double x = Q / (Ac * Cc);
            const double ik = x * x / Rc;
            if (std::isfinite(Pc) && Rc > 0.0 && std::isfinite(Cc) && Cc > 0.0 &&
                std::isfinite(ik) && ik > 0.0) {
                out.Pc = Amount::of(Pc);
                out.Rc = Amount::of(Rc);
                out.Cc = Amount::of(Cc);
                out.ik = Amount::of(ik);
            }
        }
        if (!out.ik.exists()) out.ik = out.Pc = out.Rc = out.Cc = noSlope;
    } else {
        out.Ac = out.Bc = out.ik = out.Pc = out.Rc = out.Cc = out.hc;
    }

    // The comparisons.
    if (!out.hc.exists()) {
        out.depthRegime = absentAs<FlowRegime>(out.hc);
    } else if (!std::isfinite(h)) {
        out.depthRegime = Computed<FlowRegime>::absent("水深 h 不是有限数");
    } else if (!(h > 0.0)) {
        out.depthRegime = Computed<FlowRegime>::absent("水深 h ≤ 0");
    } else {
        const double hc = out.hc.value();
        out.depthRegime = Computed<FlowRegime>::of(h > hc   ? FlowRegime::Subcritical
                                                   : h < hc ? FlowRegime::Supercritical
                                                            : FlowRegime::Critical);
    }
    if (!out.ik.exists()) {
        out.slope = absentAs<SlopeKind>(out.ik);
    } else if (!std::isfinite(i)) {
        out.slope = Computed<SlopeKind>::absent("底坡 i 不是有限数");
    } else if (i == 0.0) {
        out.slope = Computed<SlopeKind>::absent("i = 0，平坡");
    } else if (i < 0.0) {
        out.slope = Computed<SlopeKind>::absent("i < 0，逆坡");
    } else {
        const double ik = out.ik.value();
        out.slope = Computed<SlopeKind>::of(i < ik   ? SlopeKind::Mild
                                            : i > ik ? SlopeKind::Steep
                                                     : SlopeKind::Critical);
    }
    return out;
}

namespace {

// A shape's curve: up to a circle's crown, not beyond, where no free surface is left.
std::vector<RatingPoint> shapeRatingCurve(const SectionShape& shape, const Channel& c, int points) {
    const double h = c.h, i = c.i, n = c.n;
    for (double x : {h, i, n}) {
        if (!std::isfinite(x)) return {};
    }
    if (points < 2 || !shapeProblem(shape).empty() || !(h > 0.0) || h > fullDepth(shape) ||
        i < 0.0 || !(n > 0.0)) {
        return {};
    }
    const double top = std::min(1.5 * h, fullDepth(shape));
    std::vector<RatingPoint> curve;
    curve.reserve(static_cast<std::size_t>(points));
    curve.push_back({0.0, 0.0});
    for (int k = 1; k < points; ++k) {
        const double depth = k == points - 1 ? top : top * k / (points - 1);
        const Computed<ShapeFlow> flow = manningFlow(shape, depth, i, n);
        if (!flow.exists() || !std::isfinite(flow.value().Q)) return {};
        curve.push_back({depth, flow.value().Q});
    }
    return curve;
}

}  // namespace

std::vector<RatingPoint> ratingCurve(const Channel& c, int points) {
    if (c.shape) return shapeRatingCurve(*c.shape, c, points);
    const double b = c.b, h = c.h, m = c.m, i = c.i, n = c.n;
    for (double x : {b, h, m, i, n}) {
        if (!std::isfinite(x)) return {};
    }
    if (points < 2 || b < 0.0 || m < 0.0 || !(b + m > 0.0) || !(h > 0.0) || i < 0.0 || !(n > 0.0)) {
        return {};
    }
    const double top = 1.5 * h;
    const PlainSection section{b, m};
    std::vector<RatingPoint> curve;
    curve.reserve(static_cast<std::size_t>(points));
    curve.push_back({0.0, 0.0});
    for (int k = 1; k < points; ++k) {
        // k/(points - 1) of the way, the last exactly at the top.
        const double depth = k == points - 1 ? top : top * k / (points - 1);
        const double Q = section.manningDischarge(depth, i, n);
        if (!std::isfinite(Q) || std::isnan(section.hydraulicRadius(depth))) return {};
        curve.push_back({depth, Q});
    }
    return curve;
}

}  // namespace lintavo
