#include "hydraulics/shape_flow.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "hydraulics/number_text.h"
#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

// Q at depth h, for a shape without problems and i ≥ 0, n > 0.
double dischargeAt(const SectionShape& shape, double h, double rootOfSlope, double n) {
    const SectionAtDepth s = sectionAt(shape, h);
    if (!(s.A > 0.0)) return 0.0;
    return s.A / n * portablePow(s.A / s.P, 2.0 / 3.0) * rootOfSlope;
}

// The depth in [lo, hi] where Q(h) crosses Q, halving down to adjacent doubles; Q(lo) is on
// the side `below` says and Q(hi) on the other. The depth returned is the end on the far side
// of Q from lo, the first double at which the discharge has reached (or, past a circle's
// peak, fallen to) Q.
//
// `known` may name depths already seen to lie on either side: a midpoint at or short of
// `lo` is on lo's side, one at or past `hi` on hi's, and the halving takes it so without
// computing its discharge. The halving visits the same midpoints and takes the same sides as
// it would computing every one, so the depth returned is the same to the last bit.
struct Sides {
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
};

template <typename Discharge>
double bisect(Discharge discharge, double Q, double lo, double hi, bool rising, Sides known = {}) {
    for (;;) {
        const double mid = lo + 0.5 * (hi - lo);
        if (!(mid > lo && mid < hi)) return hi;
        bool loSide = mid <= known.lo;
        if (!loSide && mid < known.hi) {
            const double q = discharge(mid);
            loSide = rising ? q < Q : q > Q;
        }
        if (loSide) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
}

// Depths on either side of the crossing in [lo, hi], close about it, for bisect to take as
// known. The discharge is monotonic on [lo, hi], rising or falling, and qLo, qHi are its
// values at the ends. A depth counts only where its discharge differs from Q by a millionth
// of a millionth, a thousand times what the rounding of A, R^(2/3) and the rest can add up to:
// every depth beyond it then computes to the same side of Q as the depth itself, and the
// halving takes it as it would have taken it computed. None below `shallowest`, where the
// area's own rounding grows (r²φ − s·c cancels in a sliver of water).
//
// The crossing is found by regula falsi with the Illinois step, a few discharges in all, and
// the depths a ten-billionth of it to either side are tried; where the discharge is too flat
// there (close to a circle's peak), depths a thousand times farther, once.
template <typename Discharge>
Sides sidesAbout(Discharge discharge, double Q, double lo, double qLo, double hi, double qHi,
                 bool rising, double shallowest) {
    constexpr double margin = 1e-12;
    Sides known;
    const auto onLoSide = [&](double q) {
        return rising ? q < Q * (1.0 - margin) : q > Q * (1.0 + margin);
    };
    const auto onHiSide = [&](double q) {
        return rising ? q > Q * (1.0 + margin) : q < Q * (1.0 - margin);
    };
    const auto take = [&](double h, double q) {
        if (h < shallowest) return;
        if (onLoSide(q) && h > known.lo) known.lo = h;
        if (onHiSide(q) && h < known.hi) known.hi = h;
    };
    double a = lo;
    double fa = qLo - Q;
    double b = hi;
    double fb = qHi - Q;
    double h = a;
    int moved = 0;  // the end the last step moved: -1 a, 1 b
    for (int step = 0; step < 8 && fa != fb; ++step) {
        h = b - fb * (b - a) / (fb - fa);
        if (!(h > a && h < b)) break;
        const double q = discharge(h);
        take(h, q);
        const double f = q - Q;
        if (f == 0.0 || !(b - a > 1e-11 * h)) break;
        if ((f < 0.0) == (fa < 0.0)) {
            a = h;
            fa = f;
            if (moved == -1) fb *= 0.5;  // Illinois: an end kept twice counts for half
            moved = -1;
        } else {
            b = h;
            fb = f;
            if (moved == 1) fa *= 0.5;
            moved = 1;
        }
    }
    for (double spread : {1e-10, 1e-7}) {
        const double below = h - spread * h;
        const double above = h + spread * h;
        if (below > known.lo && below > lo) take(below, discharge(below));
        if (above < known.hi && above < hi) take(above, discharge(above));
        if (known.lo >= below && known.hi <= above) break;
    }
    return known;
}

StaticText inputProblem(const SectionShape& shape, double i, double n) {
    const StaticText problem = shapeProblem(shape);
    if (!problem.empty()) return problem;
    if (!std::isfinite(i) || !std::isfinite(n)) return "底坡或糙率不是有限的数";
    if (i < 0.0) return "底坡 i < 0";
    if (n <= 0.0) return "糙率 n ≤ 0";
    return {};
}

}  // namespace

Computed<ShapeFlow> manningFlow(const SectionShape& shape, double h, double i, double n) {
    if (const StaticText problem = inputProblem(shape, i, n); !problem.empty())
        return Computed<ShapeFlow>::absent(problem);
    if (!std::isfinite(h)) return Computed<ShapeFlow>::absent("水深 h 不是有限的数");
    if (h <= 0.0) return Computed<ShapeFlow>::absent("水深 h ≤ 0，断面无水");
    if (h > fullDepth(shape)) return Computed<ShapeFlow>::absent("水深 h 大于管径 D");
    const double A = areaAt(shape, h);
    const double Q = dischargeAt(shape, h, std::sqrt(i), n);
    if (!std::isfinite(Q) || !(A > 0.0)) return Computed<ShapeFlow>::absent("超出双精度范围");
    return Computed<ShapeFlow>::of({Q, Q / A});
}

PeakFlow peakFlow(const Circle& circle, double i, double n) {
    const SectionShape shape = circle;
    const double rootOfSlope = std::sqrt(i);
    // Once the search has closed to a few doubles its points come round again: each is
    // computed once, the last few kept.
    std::array<double, 4> seenH{-1.0, -1.0, -1.0, -1.0};
    std::array<double, 4> seenQ{};
    std::size_t next = 0;
    const auto discharge = [&](double h) {
        for (std::size_t k = 0; k < seenH.size(); ++k) {
            if (seenH[k] == h) return seenQ[k];
        }
        const double q = dischargeAt(shape, h, rootOfSlope, n);
        seenH[next] = h;
        seenQ[next] = q;
        next = (next + 1) % seenH.size();
        return q;
    };
    // Golden-section search; the discharge rises and then falls once on [0, D]. Near its top
    // it is flat to second order, so the depth is found to about 2^-26 of D and the
    // discharge to the last bits.
    constexpr double ratio = 0.6180339887498949;
    double lo = 0.0;
    double hi = circle.D;
    double left = hi - ratio * (hi - lo);
    double right = lo + ratio * (hi - lo);
    double qLeft = discharge(left);
    double qRight = discharge(right);
    for (int step = 0; step < 100; ++step) {
        if (qLeft < qRight) {
            lo = left;
            left = right;
            qLeft = qRight;
            right = lo + ratio * (hi - lo);
            qRight = discharge(right);
        } else {
            hi = right;
            right = left;
            qRight = qLeft;
            left = hi - ratio * (hi - lo);
            qLeft = discharge(left);
        }
    }
    return qLeft < qRight ? PeakFlow{right, qRight} : PeakFlow{left, qLeft};
}

Computed<NormalDepth> normalDepth(const SectionShape& shape, double Q, double i, double n) {
    if (const StaticText problem = inputProblem(shape, i, n); !problem.empty())
        return Computed<NormalDepth>::absent(problem);
    if (!std::isfinite(Q)) return Computed<NormalDepth>::absent("流量 Q 不是有限的数");
    if (Q <= 0.0) return Computed<NormalDepth>::absent("流量 Q ≤ 0");
    if (i == 0.0) return Computed<NormalDepth>::absent("底坡 i = 0，平坡上无均匀流");
    const double rootOfSlope = std::sqrt(i);
    const auto discharge = [&](double h) { return dischargeAt(shape, h, rootOfSlope, n); };

    if (const auto* circle = std::get_if<Circle>(&shape)) {
        const PeakFlow peak = peakFlow(*circle, i, n);
        if (Q > peak.Q) {
            return Computed<NormalDepth>::absent(
                "流量大于圆管无压流的最大流量，无自由水面的水深能通过（压力流）");
        }
        // Both halvings start from the peak's depth as they always have, and take the depths
        // sidesAbout finds as known: the same depths, from fewer discharges.
        const double full = discharge(circle->D);
        const double shallowest = 0.01 * circle->D;
        NormalDepth depth{
            bisect(discharge, Q, 0.0, peak.h, true,
                   sidesAbout(discharge, Q, 0.0, 0.0, peak.h, peak.Q, true, shallowest)),
            std::nullopt};
        if (Q >= full) {
            depth.other = bisect(
                discharge, Q, peak.h, circle->D, false,
                sidesAbout(discharge, Q, peak.h, peak.Q, circle->D, full, false, shallowest));
        }
        return Computed<NormalDepth>::of(depth);
    }

    // An open section: the bracket doubles from 1 m until it holds Q.
    double lo = 0.0;
    double hi = 1.0;
    for (;;) {
        const double q = discharge(hi);
        if (!std::isfinite(q) || hi > 1e150)
            return Computed<NormalDepth>::absent("所需水深超出双精度范围");
        if (q >= Q) break;
        lo = hi;
        hi *= 2.0;
    }
    return Computed<NormalDepth>::of({bisect(discharge, Q, lo, hi, true), std::nullopt});
}

Computed<double> criticalDepthOf(const SectionShape& shape, double Q) {
    if (const StaticText problem = shapeProblem(shape); !problem.empty())
        return Computed<double>::absent(problem);
    if (!std::isfinite(Q)) return Computed<double>::absent("流量 Q 不是有限的数");
    if (Q <= 0.0) return Computed<double>::absent("流量 Q ≤ 0");
    // g·A³/T grows with the depth from 0, and without end below a circle's crown; it is
    // compared with Q² as g·A³ against Q²·T, which stays finite where T is 0.
    const double target = Q * Q;
    const auto excess = [&](double h) {
        const SectionAtDepth s = sectionAt(shape, h);
        return gravity * s.A * s.A * s.A - target * s.T;
    };
    double lo = 0.0;
    double hi = isClosed(shape) ? fullDepth(shape) : 1.0;
    while (!isClosed(shape) && excess(hi) < 0.0) {
        if (hi > 1e150) return Computed<double>::absent("所需水深超出双精度范围");
        lo = hi;
        hi *= 2.0;
    }
    for (;;) {
        const double mid = lo + 0.5 * (hi - lo);
        if (!(mid > lo && mid < hi)) return Computed<double>::of(hi);
        if (excess(mid) < 0.0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
}

double cutToThousandths(double x) {
    return floorTruncate(Value::dbl(x), 3).number();
}

}  // namespace lintavo
