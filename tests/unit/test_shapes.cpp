// The section shapes and their uniform flow against an independent computation: the outline
// of each shape is built here from its centres and tangent lines in long double, its area is
// the integral of the top width over the depth (adaptive Simpson), its wetted perimeter the
// length of the outline sampled finely (with Richardson's extrapolation), and the discharge
// Manning's formula over those. Then the solvers: a depth fed back gives its discharge, a
// circle's two depths both carry theirs, and above a circle's peak the depth is refused.

#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <random>

#include "hydraulics/shape.h"
#include "hydraulics/shape_flow.h"
#include "tests/unit/bits.h"

using namespace lintavo;

namespace {

using Real = long double;
const Real pi = 3.14159265358979323846264338327950288L;

// The outline of a section as its half-width at each height above the lowest point, and how
// to walk along its wetted side.
struct Outline {
    std::function<Real(Real)> halfWidth;  // at height y
    Real junction;                        // the height where an arc meets a straight wall
    Real top;                             // a circle's crown; infinity for an open section
    // The right-hand wetted side up to the height y: its first point, a point along its arc
    // (t from 0 to 1), and the points where the arc ends and the side ends. The bed before the
    // arc and the wall after it are straight.
    std::function<std::pair<Real, Real>(Real t, Real y)> arc;
    std::function<std::array<std::pair<Real, Real>, 4>(Real y)> corners;
};

// Toe arcs of radius r centred at (b/2, r), the right wall the tangent to that circle at
// side slope m: x = c + m·y, whose distance from the centre is r. The tangent point is the
// foot of the perpendicular from the centre.
Outline arcToeOutline(Real b, Real r, Real m) {
    const Real root = std::sqrt(1 + m * m);
    const Real c = b / 2 - m * r + r * root;
    const Real tangentY = r - r * m / root;
    Outline o;
    o.junction = tangentY;
    o.top = INFINITY;
    o.halfWidth = [=](Real y) {
        if (y <= tangentY) return b / 2 + std::sqrt(std::max<Real>(0, r * r - (r - y) * (r - y)));
        return c + m * y;
    };
    const auto endAngle = [=](Real y) {
        return r > 0 ? std::acos((r - std::min(y, tangentY)) / r) : Real{0};
    };
    o.arc = [=](Real t, Real y) -> std::pair<Real, Real> {
        const Real angle = t * endAngle(y);
        return {b / 2 + r * std::sin(angle), r - r * std::cos(angle)};
    };
    o.corners = [=](Real y) -> std::array<std::pair<Real, Real>, 4> {
        const Real angle = endAngle(y);
        const std::pair<Real, Real> arcEnd{b / 2 + r * std::sin(angle), r - r * std::cos(angle)};
        const std::pair<Real, Real> top =
            y > tangentY ? std::pair<Real, Real>{c + m * y, y} : arcEnd;
        return {std::pair<Real, Real>{0, 0}, std::pair<Real, Real>{b / 2, 0}, arcEnd, top};
    };
    return o;
}

Outline circleOutline(Real D) {
    const Real r = D / 2;
    Outline o;
    o.junction = D;
    o.top = D;
    o.halfWidth = [=](Real y) { return std::sqrt(std::max<Real>(0, r * r - (r - y) * (r - y))); };
    o.arc = [=](Real t, Real y) -> std::pair<Real, Real> {
        const Real angle = t * std::acos((r - y) / r);
        return {r * std::sin(angle), r - r * std::cos(angle)};
    };
    o.corners = [=](Real y) -> std::array<std::pair<Real, Real>, 4> {
        const Real angle = std::acos((r - y) / r);
        const std::pair<Real, Real> arcEnd{r * std::sin(angle), r - r * std::cos(angle)};
        return {std::pair<Real, Real>{0, 0}, std::pair<Real, Real>{0, 0}, arcEnd, arcEnd};
    };
    return o;
}

Outline outlineOf(const SectionShape& shape) {
    if (const auto* t = std::get_if<Trapezoid>(&shape)) return arcToeOutline(t->b, 0, t->m);
    if (const auto* a = std::get_if<ArcToeTrapezoid>(&shape))
        return arcToeOutline(a->b, a->r, a->m);
    if (const auto* u = std::get_if<ArcBottom>(&shape))
        return arcToeOutline(0, u->r, std::tan(u->alphaDegrees * pi / 180));
    return circleOutline(std::get<Circle>(shape).D);
}

Real simpson(const std::function<Real(Real)>& f, Real a, Real fa, Real b, Real fb, Real m, Real fm,
             Real whole, Real tolerance, int depth) {
    const Real lm = (a + m) / 2;
    const Real rm = (m + b) / 2;
    const Real flm = f(lm);
    const Real frm = f(rm);
    const Real left = (m - a) / 6 * (fa + 4 * flm + fm);
    const Real right = (b - m) / 6 * (fm + 4 * frm + fb);
    if (depth <= 0 || std::fabs(left + right - whole) <= 15 * tolerance)
        return left + right + (left + right - whole) / 15;
    return simpson(f, a, fa, m, fm, lm, flm, left, tolerance / 2, depth - 1) +
           simpson(f, m, fm, b, fb, rm, frm, right, tolerance / 2, depth - 1);
}

Real integrate(const std::function<Real(Real)>& f, Real a, Real b) {
    if (!(b > a)) return 0;
    const Real m = (a + b) / 2;
    const Real fa = f(a);
    const Real fb = f(b);
    const Real fm = f(m);
    return simpson(f, a, fa, b, fb, m, fm, (b - a) / 6 * (fa + 4 * fm + fb), 1e-16L, 40);
}

// ∫ T dy from 0 to h. The width grows as √y above the lowest point and falls as √(D − y)
// below a crown: there y = u² (or D − u²) makes the integrand smooth.
Real areaByIntegral(const Outline& o, Real h) {
    const auto T = [&](Real y) { return 2 * o.halfWidth(y); };
    const Real lowEnd = std::min(h, std::isinf(o.top) ? o.junction : o.top / 2);
    Real area = integrate([&](Real u) { return T(u * u) * 2 * u; }, 0, std::sqrt(lowEnd));
    if (std::isinf(o.top)) {
        area += integrate(T, lowEnd, h);
    } else if (h > lowEnd) {
        area += integrate([&](Real u) { return T(o.top - u * u) * 2 * u; }, std::sqrt(o.top - h),
                          std::sqrt(o.top - lowEnd));
    }
    return area;
}

// Both sides: the straight bed and wall end to end, and the arc as a polyline of 4 000 and of
// 8 000 chords, whose error falls as the square of the chord: Richardson's extrapolation
// takes it out.
Real perimeterBySampling(const Outline& o, Real h) {
    const auto distance = [](std::pair<Real, Real> p, std::pair<Real, Real> q) {
        return std::hypot(q.first - p.first, q.second - p.second);
    };
    const auto arcLength = [&](int n) {
        Real sum = 0;
        auto previous = o.arc(0, h);
        for (int k = 1; k <= n; ++k) {
            const auto point = o.arc(static_cast<Real>(k) / n, h);
            sum += distance(previous, point);
            previous = point;
        }
        return sum;
    };
    const auto corners = o.corners(h);
    const Real arc = (4 * arcLength(8000) - arcLength(4000)) / 3;
    return 2 * (distance(corners[0], corners[1]) + arc + distance(corners[2], corners[3]));
}

bool near(double ours, Real exact, Real relative) {
    return std::fabs(static_cast<Real>(ours) - exact) <= relative * std::fabs(exact) + 1e-15L;
}

QString describe(const SectionShape& shape) {
    return std::visit(
        [](const auto& s) {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, Trapezoid>)
                return QStringLiteral("trapezoid b %1 m %2").arg(s.b).arg(s.m);
            else if constexpr (std::is_same_v<S, ArcToeTrapezoid>)
                return QStringLiteral("arc-toe b %1 r %2 m %3").arg(s.b).arg(s.r).arg(s.m);
            else if constexpr (std::is_same_v<S, ArcBottom>)
                return QStringLiteral("U r %1 alpha %2").arg(s.r).arg(s.alphaDegrees);
            else
                return QStringLiteral("circle D %1").arg(s.D);
        },
        shape);
}

enum class Family { Trapezoid, ArcToe, U, Circle };

SectionShape randomShape(Family family, std::mt19937_64& random) {
    std::uniform_real_distribution<double> width(0.0, 5.0);
    std::uniform_real_distribution<double> radius(0.05, 3.0);
    std::uniform_real_distribution<double> slope(0.0, 3.0);
    std::uniform_real_distribution<double> angle(0.0, 30.0);
    switch (family) {
        case Family::Trapezoid:
            return Trapezoid{0.1 + width(random), slope(random)};
        case Family::ArcToe:
            return ArcToeTrapezoid{width(random), radius(random), slope(random)};
        case Family::U:
            return ArcBottom{radius(random), angle(random)};
        case Family::Circle:
            return Circle{2 * radius(random)};
    }
    return Circle{1};
}

}  // namespace

Q_DECLARE_METATYPE(Family)

class ShapesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void geometryMatchesTheOutline_data() {
        QTest::addColumn<Family>("family");
        QTest::addColumn<int>("where");  // 0 anywhere, 1 at the arcs' end, 2 near a crown
        QTest::newRow("trapezoids at any depth") << Family::Trapezoid << 0;
        QTest::newRow("arc-toe trapezoids at any depth") << Family::ArcToe << 0;
        QTest::newRow("arc-toe trapezoids at the arc's end") << Family::ArcToe << 1;
        QTest::newRow("U channels at any depth") << Family::U << 0;
        QTest::newRow("U channels at the arc's end") << Family::U << 1;
        QTest::newRow("circles at any depth") << Family::Circle << 0;
        QTest::newRow("circles near their crown") << Family::Circle << 2;
    }

    void geometryMatchesTheOutline() {
        QFETCH(Family, family);
        QFETCH(int, where);
        std::mt19937_64 random(static_cast<std::uint64_t>(family) * 10 +
                               static_cast<std::uint64_t>(where));
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int k = 0; k < 60; ++k) {
            const SectionShape shape = randomShape(family, random);
            QVERIFY(shapeProblem(shape).empty());
            const Outline outline = outlineOf(shape);
            double h = 0.0;
            if (where == 0) {
                h = 0.001 + unit(random) * (isClosed(shape) ? fullDepth(shape) - 0.001 : 6.0);
            } else if (where == 1) {
                // Just below, at and just above the junction of arc and wall.
                const double factors[] = {1 - 1e-9, 1.0, 1 + 1e-9, 0.99, 1.01};
                h = arcDepth(shape) * factors[k % 5];
            } else {
                h = fullDepth(shape) * (1.0 - unit(random) * 0.08);
            }
            QVERIFY2(near(arcDepth(shape), outline.junction, 1e-14L), qPrintable(describe(shape)));
            const SectionAtDepth s = sectionAt(shape, h);
            const QString what = describe(shape) + QStringLiteral(", h %1").arg(h, 0, 'g', 17);
            QVERIFY2(near(s.T, 2 * outline.halfWidth(h), 1e-13L), qPrintable(what + " T"));
            QVERIFY2(near(s.A, areaByIntegral(outline, h), 1e-11L), qPrintable(what + " A"));
            QVERIFY2(near(s.P, perimeterBySampling(outline, h), 1e-11L), qPrintable(what + " P"));
        }
    }

    void namedSections_data() {
        QTest::addColumn<double>("A");
        QTest::addColumn<double>("P");
        QTest::addColumn<double>("T");
        QTest::addColumn<double>("expectedA");
        QTest::addColumn<double>("expectedP");
        QTest::addColumn<double>("expectedT");
        // Sections whose figures are known by other means: the half-full pipe, the semicircle
        // with vertical walls, a U at 30°, whose arc ends at r/2.
        const SectionShape halfPipe = Circle{2.0};
        const SectionAtDepth a = sectionAt(halfPipe, 1.0);
        QTest::newRow("half-full pipe D 2") << a.A << a.P << a.T << M_PI / 2 << M_PI << 2.0;
        const SectionShape semicircle = ArcBottom{1.0, 0.0};
        const SectionAtDepth b = sectionAt(semicircle, 3.0);
        QTest::newRow("semicircle r 1, walls to h 3")
            << b.A << b.P << b.T << M_PI / 2 + 4.0 << M_PI + 4.0 << 2.0;
        const SectionAtDepth c = sectionAt(ArcBottom{1.0, 30.0}, 0.5);
        QTest::newRow("U r 1 at 30 degrees, to the arc's end")
            << c.A << c.P << c.T << M_PI / 3 - std::sqrt(3.0) / 4 << 2 * M_PI / 3 << std::sqrt(3.0);
        const SectionAtDepth d = sectionAt(Trapezoid{2.0, 1.0}, 1.0);
        QTest::newRow("trapezoid b 2 m 1 h 1")
            << d.A << d.P << d.T << 3.0 << 2 + 2 * M_SQRT2 << 4.0;
        // A rectangle 3 wide with its corners rounded to r 0.5: less two corners of r² − πr²/4.
        const SectionAtDepth e = sectionAt(ArcToeTrapezoid{2.0, 0.5, 0.0}, 1.0);
        QTest::newRow("rounded rectangle b 2 r 0.5 h 1")
            << e.A << e.P << e.T << 2.5 + M_PI / 8 << 3 + M_PI / 2 << 3.0;
    }

    void namedSections() {
        QFETCH(double, A);
        QFETCH(double, P);
        QFETCH(double, T);
        QFETCH(double, expectedA);
        QFETCH(double, expectedP);
        QFETCH(double, expectedT);
        QVERIFY(std::fabs(A - expectedA) <= 1e-14 * expectedA);
        QVERIFY(std::fabs(P - expectedP) <= 1e-14 * expectedP);
        QVERIFY(std::fabs(T - expectedT) <= 1e-14 * expectedT);
    }

    void problems_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("reason");
        QTest::newRow("negative bed") << 0 << QStringLiteral("底宽 b < 0");
        QTest::newRow("zero radius") << 1 << QStringLiteral("圆弧半径 r ≤ 0");
        QTest::newRow("wall leaning 90 degrees")
            << 2 << QStringLiteral("外倾角 α 须在 0° 至 90° 之间");
        QTest::newRow("negative angle") << 3 << QStringLiteral("外倾角 α 须在 0° 至 90° 之间");
        QTest::newRow("zero diameter") << 4 << QStringLiteral("管径 D ≤ 0");
        QTest::newRow("negative slope") << 5 << QStringLiteral("边坡系数 m < 0");
        QTest::newRow("a point of a trapezoid")
            << 6 << QStringLiteral("底宽 b 与边坡系数 m 同为 0");
        QTest::newRow("infinite diameter") << 7 << QStringLiteral("尺寸不是有限的数");
    }

    void problems() {
        QFETCH(int, index);
        QFETCH(QString, reason);
        const SectionShape shapes[] = {
            ArcToeTrapezoid{-1, 1, 1}, ArcBottom{0, 10}, ArcBottom{1, 90},
            ArcBottom{1, -1},          Circle{0},        ArcToeTrapezoid{1, 1, -0.5},
            Trapezoid{0, 0},           Circle{INFINITY}};
        const auto shape = shapes[index];
        QCOMPARE(QString::fromUtf8(shapeProblem(shape).data(),
                                   static_cast<qsizetype>(shapeProblem(shape).size())),
                 reason);
        QVERIFY(!manningFlow(shape, 1.0, 0.001, 0.014).exists());
        QVERIFY(!normalDepth(shape, 1.0, 0.001, 0.014).exists());
    }

    void dischargeMatchesManningOverTheOutline_data() {
        QTest::addColumn<Family>("family");
        QTest::newRow("trapezoid") << Family::Trapezoid;
        QTest::newRow("arc-toe trapezoid") << Family::ArcToe;
        QTest::newRow("U channel") << Family::U;
        QTest::newRow("circle") << Family::Circle;
    }

    // Q = A R^(2/3) √i / n over the outline's own A and P, and the normal depth of that Q
    // back at the depth it came from.
    void dischargeMatchesManningOverTheOutline() {
        QFETCH(Family, family);
        std::mt19937_64 random(static_cast<std::uint64_t>(family) + 77);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int k = 0; k < 40; ++k) {
            const SectionShape shape = randomShape(family, random);
            const double h = isClosed(shape) ? fullDepth(shape) * (0.02 + 0.9 * unit(random))
                                             : 0.01 + 15.0 * unit(random);
            const double i = 1.0 / (100.0 + 10000.0 * unit(random));
            const double n = 0.011 + 0.02 * unit(random);
            const Outline outline = outlineOf(shape);
            const Real A = areaByIntegral(outline, h);
            const Real P = perimeterBySampling(outline, h);
            const Real Q = A / n * std::pow(A / P, 2.0L / 3) * std::sqrt(static_cast<Real>(i));
            const auto flow = manningFlow(shape, h, i, n);
            const QString what = describe(shape) + QStringLiteral(", h %1").arg(h, 0, 'g', 17);
            QVERIFY2(flow.exists(), qPrintable(what));
            QVERIFY2(near(flow.value().Q, Q, 1e-11L), qPrintable(what));
            QVERIFY2(near(flow.value().v, Q / A, 1e-11L), qPrintable(what));
            const auto depth = normalDepth(shape, flow.value().Q, i, n);
            QVERIFY2(depth.exists(), qPrintable(what));
            QVERIFY2(std::fabs(depth.value().h - h) <= 1e-12 * h, qPrintable(what));
            if (!isClosed(shape)) QVERIFY(!depth.value().other);
        }
    }

    void circleCarriesSomeDischargesTwice_data() {
        QTest::addColumn<double>("D");
        QTest::addColumn<double>("i");
        QTest::addColumn<double>("n");
        QTest::newRow("D 1, i 1/1000, n 0.013") << 1.0 << 0.001 << 0.013;
        QTest::newRow("D 0.3, i 1/200, n 0.011") << 0.3 << 0.005 << 0.011;
        QTest::newRow("D 2.5, i 1/5000, n 0.014") << 2.5 << 0.0002 << 0.014;
    }

    // Between the full pipe's discharge and the peak two depths carry Q, one either side of
    // the peak; above the peak none does.
    void circleCarriesSomeDischargesTwice() {
        QFETCH(double, D);
        QFETCH(double, i);
        QFETCH(double, n);
        const Circle circle{D};
        const PeakFlow peak = peakFlow(circle, i, n);
        // The peak of A R^(2/3) lies at 0.9382 D, found here by scanning the outline's figures.
        QVERIFY2(std::fabs(peak.h / D - 0.9382) < 0.0005, qPrintable(QString::number(peak.h / D)));
        Real best = 0;
        const Outline outline = circleOutline(D);
        for (int k = 900; k <= 990; ++k) {
            const Real h = D * k / 1000.0L;
            const Real A = areaByIntegral(outline, h);
            const Real P = perimeterBySampling(outline, h);
            best =
                std::max(best, A / n * std::pow(A / P, 2.0L / 3) * std::sqrt(static_cast<Real>(i)));
        }
        QVERIFY(peak.Q >= best && peak.Q <= best * (1 + 1e-6L));
        const double full = manningFlow(circle, D, i, n).value().Q;
        QVERIFY(full < peak.Q);
        for (const double share : {0.0, 0.25, 0.5, 0.9, 0.999}) {
            const double Q = full + share * (peak.Q - full);
            const auto depth = normalDepth(circle, Q, i, n);
            QVERIFY(depth.exists());
            QVERIFY(depth.value().other.has_value());
            const double shallow = depth.value().h;
            const double deep = *depth.value().other;
            QVERIFY(shallow < peak.h + 1e-6 * D && deep > peak.h - 1e-6 * D && deep <= D);
            for (const double h : {shallow, deep}) {
                QVERIFY2(std::fabs(manningFlow(circle, h, i, n).value().Q - Q) <= 1e-12 * Q,
                         qPrintable(QStringLiteral("share %1, h %2").arg(share).arg(h)));
            }
        }
        const auto below = normalDepth(circle, full * 0.999, i, n);
        QVERIFY(below.exists() && !below.value().other);
        for (const double over : {peak.Q * (1 + 1e-9), peak.Q * 2}) {
            const auto refused = normalDepth(circle, over, i, n);
            QVERIFY(!refused.exists());
            QVERIFY(std::string_view(refused.reason()).find("压力流") != std::string_view::npos);
        }
        QVERIFY(!manningFlow(circle, D * 1.0001, i, n).exists());
    }

    // A circle's depths are those of halving [0, peak] and [peak, D] at every midpoint down to
    // adjacent doubles, bit for bit, however few discharges the search computes to get there:
    // circles of every size, discharges from a trickle to just under the peak.
    void circleDepthsAreTheWholeHalvings() {
        std::mt19937_64 random(26);
        const auto uniform = [&random](double lo, double hi) {
            return lo + (hi - lo) * static_cast<double>(random() >> 11) * 0x1p-53;
        };
        for (int k = 0; k < 300; ++k) {
            const Circle circle{uniform(0.05, 5)};
            const double i = 1.0 / uniform(100, 20000);
            const double n = uniform(0.009, 0.03);
            const PeakFlow peak = peakFlow(circle, i, n);
            const double Q =
                peak.Q * (k % 2 == 0 ? uniform(0.9, 1.0) : std::pow(10, uniform(-6, 0)));
            const auto discharge = [&](double h) { return manningFlow(circle, h, i, n).value().Q; };
            const auto halve = [&](double lo, double hi, bool rising) {
                for (;;) {
                    const double mid = lo + 0.5 * (hi - lo);
                    if (!(mid > lo && mid < hi)) return hi;
                    const double q = discharge(mid);
                    ((rising ? q < Q : q > Q) ? lo : hi) = mid;
                }
            };
            const auto depth = normalDepth(circle, Q, i, n);
            QVERIFY(depth.exists());
            const QString what = QStringLiteral("D %1, i %2, n %3, Q %4")
                                     .arg(circle.D, 0, 'g', 17)
                                     .arg(i, 0, 'g', 17)
                                     .arg(n, 0, 'g', 17)
                                     .arg(Q, 0, 'g', 17);
            QVERIFY2(testing::bits(depth.value().h) == testing::bits(halve(0.0, peak.h, true)),
                     qPrintable(what));
            const bool two = Q >= discharge(circle.D);
            QCOMPARE(depth.value().other.has_value(), two);
            if (two) {
                QVERIFY2(testing::bits(*depth.value().other) ==
                             testing::bits(halve(peak.h, circle.D, false)),
                         qPrintable(what));
            }
        }
    }

    // At the critical depth Q²·T = g·A³ over the outline's own T and A, and just above and
    // below it the two sides differ in opposite senses.
    void criticalDepthMatchesTheOutline_data() {
        QTest::addColumn<Family>("family");
        QTest::newRow("trapezoid") << Family::Trapezoid;
        QTest::newRow("arc-toe trapezoid") << Family::ArcToe;
        QTest::newRow("U channel") << Family::U;
        QTest::newRow("circle") << Family::Circle;
    }

    void criticalDepthMatchesTheOutline() {
        QFETCH(Family, family);
        std::mt19937_64 random(static_cast<std::uint64_t>(family) + 500);
        std::uniform_real_distribution<double> discharge(0.01, 40.0);
        for (int k = 0; k < 40; ++k) {
            const SectionShape shape = randomShape(family, random);
            // A circle's discharge in proportion to its size: √g·D^2.5 is critical near 0.9 D,
            // and far more is critical closer to the crown than a double tells.
            const double Q = isClosed(shape)
                                 ? discharge(random) / 40 * 3.13 * std::pow(fullDepth(shape), 2.5)
                                 : discharge(random);
            const auto hc = criticalDepthOf(shape, Q);
            QVERIFY(hc.exists());
            const Outline outline = outlineOf(shape);
            const auto balance = [&](Real h) {
                const Real A = areaByIntegral(outline, h);
                return 9.81L * A * A * A / (static_cast<Real>(Q) * Q * 2 * outline.halfWidth(h));
            };
            const double h = hc.value();
            const QString what = describe(shape) + QStringLiteral(", Q %1, hc %2").arg(Q).arg(h);
            QVERIFY2(std::fabs(balance(h) - 1) < 1e-9L, qPrintable(what));
            QVERIFY2(balance(h * (1 - 1e-6)) < 1 && balance(h * (1 + 1e-6)) > 1, qPrintable(what));
            QVERIFY(h > 0.0 && h < fullDepth(shape));
        }
        QVERIFY(!criticalDepthOf(Circle{1}, 0).exists());
        // The rectangle's (q²/g)^(1/3).
        QVERIFY(std::fabs(criticalDepthOf(Trapezoid{4, 0}, 8).value() - std::cbrt(4.0 / 9.81)) <
                1e-14);
    }

    void deepOpenChannels() {
        // No ceiling on the depth: a big discharge in a narrow U.
        const SectionShape u = ArcBottom{0.3, 10};
        const auto flow = manningFlow(u, 37.5, 0.0005, 0.014);
        QVERIFY(flow.exists());
        const auto depth = normalDepth(u, flow.value().Q, 0.0005, 0.014);
        QVERIFY(depth.exists());
        QVERIFY(std::fabs(depth.value().h - 37.5) < 1e-10);
        // Nor a ceiling short of the double range.
        const auto huge = normalDepth(u, 1e300, 0.0005, 0.014);
        QVERIFY(huge.exists());
        QVERIFY(std::fabs(manningFlow(u, huge.value().h, 0.0005, 0.014).value().Q / 1e300 - 1) <
                1e-12);
    }

    void refusals_data() {
        QTest::addColumn<double>("Q");
        QTest::addColumn<double>("i");
        QTest::addColumn<double>("n");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no discharge") << 0.0 << 0.001 << 0.014 << QStringLiteral("流量 Q ≤ 0");
        QTest::newRow("level bed")
            << 1.0 << 0.0 << 0.014 << QStringLiteral("底坡 i = 0，平坡上无均匀流");
        QTest::newRow("adverse bed") << 1.0 << -0.001 << 0.014 << QStringLiteral("底坡 i < 0");
        QTest::newRow("no roughness") << 1.0 << 0.001 << 0.0 << QStringLiteral("糙率 n ≤ 0");
    }

    void refusals() {
        QFETCH(double, Q);
        QFETCH(double, i);
        QFETCH(double, n);
        QFETCH(QString, reason);
        const auto depth = normalDepth(ArcToeTrapezoid{1, 0.5, 1.5}, Q, i, n);
        QVERIFY(!depth.exists());
        QCOMPARE(
            QString::fromUtf8(depth.reason().data(), static_cast<qsizetype>(depth.reason().size())),
            reason);
    }

    void cutToThousandths_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("cut");
        QTest::newRow("down") << 2.7630684 << 2.763;
        QTest::newRow("negative goes further down") << -0.0004 << -0.001;
        QTest::newRow("already cut") << 1.25 << 1.25;
        QTest::newRow("beyond 10 m") << 37.49999 << 37.499;
    }

    void cutToThousandths() {
        QFETCH(double, x);
        QFETCH(double, cut);
        QCOMPARE(lintavo::cutToThousandths(x), cut);
    }
};

QTEST_APPLESS_MAIN(ShapesTest)
#include "test_shapes.moc"
