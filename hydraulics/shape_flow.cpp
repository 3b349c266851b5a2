#include "hydraulics/shape_flow.h"

#include <cmath>

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
template <typename Discharge>
double bisect(Discharge discharge, double Q, double lo, double hi, bool rising) {
    for (;;) {
        const double mid = lo + 0.5 * (hi - lo);
        if (!(mid > lo && mid < hi)) return hi;
        const double q = discharge(mid);
        if (rising ? q < Q : q > Q) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
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
    const auto discharge = [&](double h) { return dischargeAt(shape, h, rootOfSlope, n); };
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
        NormalDepth depth{bisect(discharge, Q, 0.0, peak.h, true), std::nullopt};
        if (Q >= discharge(circle->D)) {
            depth.other = bisect(discharge, Q, peak.h, circle->D, false);
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
