#pragma once

// The hydraulics of the channel a press describes, for its calculation report: the section's
// elements, the Froude number and the flow regime, the critical depth and the critical slope,
// and the rating curve. Plain double arithmetic with g = 9.81 m/s² and α = 1, apart from the
// number model the calculations themselves use: these figures explain a result, they do not
// make it.
//
// Every quantity either exists or says in a few Chinese words why it does not, so that the
// report can print "—" with the reason; no NaN or infinity ever comes out.
//   hydraulicsOf({.Q = 2.76306842, .b = 2, .h = 1, .m = 1, .i = 0.001, .n = 0.025})
//     → A 3, P 4.82842712, Fr 0.3396, regime 缓流, hc 0.528, ik 0.00966
//   hydraulicsOf({.Q = 0, ...}).Fr.reason() → "流量 Q ≤ 0"

#include <optional>
#include <string_view>
#include <vector>

#include "hydraulics/shape.h"
#include "hydraulics/static_text.h"

namespace lintavo {

inline constexpr double gravity = 9.81;  // m/s²

// The channel: its inputs as read and the computed quantity before truncation, in place.
struct Channel {
    double Q;  // discharge, m³/s
    double b;  // bottom width, m
    double h;  // depth, m
    double m;  // side-slope coefficient (0: rectangle)
    double i;  // bottom slope
    double n;  // Manning roughness
    // A lined section's shape (U, arc-toe trapezoid, part-full circle), whose walls' slope m
    // and flat bed b (0 where it has none) the fields above repeat for the rules that read
    // them; none for the trapezoid of b and m.
    std::optional<SectionShape> shape{};
};

// A quantity, or the reason it does not exist, a text the program holds for its whole run.
template <typename T>
class Computed {
  public:
    constexpr Computed() = default;  // absent, not yet computed
    static constexpr Computed of(T value) { return Computed(value, {}, true); }
    static constexpr Computed absent(StaticText reason) { return Computed(T{}, reason, false); }

    constexpr bool exists() const { return exists_; }
    // Only where exists().
    constexpr const T& value() const { return value_; }
    // Empty where exists().
    constexpr StaticText reason() const { return reason_; }

  private:
    constexpr Computed(T value, StaticText reason, bool exists)
        : value_(value), reason_(reason), exists_(exists) {}
    T value_{};
    StaticText reason_ = "未计算";
    bool exists_ = false;
};

enum class FlowRegime { Subcritical, Critical, Supercritical };  // 缓流, 临界流, 急流
enum class SlopeKind { Mild, Critical, Steep };                  // 缓坡, 临界坡, 陡坡

// flowRegimeName(FlowRegime::Subcritical) → "缓流"
StaticText flowRegimeName(FlowRegime regime);
// slopeKindName(SlopeKind::Steep) → "陡坡"
StaticText slopeKindName(SlopeKind kind);

// A channel with a shape has its section's A, P and top width B from the shape
// (hydraulics/shape.h), its critical depth from criticalDepthOf, and no section above a
// circle's crown; the trapezoid's formulas below are those of a channel without one.
struct ChannelHydraulics {
    // At the channel's depth; all exist where b ≥ 0, m ≥ 0, A > 0, B > 0, Q > 0 and n > 0,
    // and else carry the first of these that fails as their reason ("底宽 b < 0").
    Computed<double> A;           // flow area (b + m·h)·h, m²
    Computed<double> P;           // wetted perimeter χ = b + 2·h·√(1 + m²), m
    Computed<double> R;           // hydraulic radius A/P, m
    Computed<double> C;           // Chézy coefficient R^(1/6)/n, m^½/s
    Computed<double> v;           // mean velocity Q/A, m/s
    Computed<double> B;           // top width b + 2·m·h, m
    Computed<double> Fr;          // Froude number v/√(g·A/B)
    Computed<FlowRegime> regime;  // from Fr against 1

    // The critical depth, where A³/B = Q²/g; exists where Q > 0, b ≥ 0, m ≥ 0, b + m > 0.
    Computed<double> hc;
    Computed<double> Ac, Bc;  // the section at hc, with hc
    // The critical slope Q²/(Ac²·Cc²·Rc); exists where hc does and n > 0.
    Computed<double> ik;
    Computed<double> Pc, Rc, Cc;  // the section at hc, with ik

    // h against hc: above it the flow is subcritical, below it supercritical. Needs hc and h > 0.
    Computed<FlowRegime> depthRegime;
    // i against ik. Needs ik and i > 0: a level or adverse bed is neither mild nor steep.
    Computed<SlopeKind> slope;
};

ChannelHydraulics hydraulicsOf(const Channel& channel);

// The depth > 0 at which A³/B = Q²/g for a section of bottom width b and side slope m, found
// by bisection down to adjacent doubles.
//   criticalDepth(4, 2, 0) → 0.74148… ((q²/g)^(1/3) with q = Q/b = 2)
Computed<double> criticalDepth(double Q, double b, double m);

struct RatingPoint {
    double h;  // m
    double Q;  // m³/s
};

// Q(h) = (1/n)·A·R^(2/3)·√i at `points` evenly spaced depths from 0 to 1.5 times the channel's
// depth, both ends included, Q(0) = 0. Empty unless the channel is complete (b ≥ 0, m ≥ 0,
// b + m > 0, h > 0, i ≥ 0, n > 0, all finite) and points ≥ 2, or if a discharge overflows.
// A circle's curve ends at its crown D where 1.5 times the depth lies above it.
std::vector<RatingPoint> ratingCurve(const Channel& channel, int points);

}  // namespace lintavo
