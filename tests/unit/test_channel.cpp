// The hydraulics of the channel: worked examples from the literature, figures from an
// independent high-precision evaluation, closed forms of the critical depth, the rules of
// existence with their reasons, and never a NaN or an infinity whatever comes in.

#include <QMap>
#include <QTest>
#include <cmath>
#include <limits>

#include "hydraulics/channel.h"

using namespace lintavo;

using Figures = QMap<QString, double>;
Q_DECLARE_METATYPE(lintavo::Channel)

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

Computed<double> quantity(const ChannelHydraulics& x, const QString& name) {
    const QMap<QString, Computed<double>> all{
        {QStringLiteral("A"), x.A},   {QStringLiteral("P"), x.P},   {QStringLiteral("R"), x.R},
        {QStringLiteral("C"), x.C},   {QStringLiteral("v"), x.v},   {QStringLiteral("B"), x.B},
        {QStringLiteral("Fr"), x.Fr}, {QStringLiteral("hc"), x.hc}, {QStringLiteral("ik"), x.ik},
    };
    return all.value(name, Computed<double>::absent("no such quantity"));
}

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

constexpr double ft = 0.3048;  // m

}  // namespace

class ChannelTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void quantities_data() {
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<Figures>("expected");
        QTest::addColumn<double>("tolerance");  // relative

        // The program's own worked example, 流量Q计算 with b 2, h 1, m 1, i 0.001, n 0.025.
        const Channel worked{2.76306842, 2, 1, 1, 0.00100000005, 0.0250000004};
        QTest::newRow("worked example, nine digits") << worked << Figures{{"A", 3},
                                                                          {"P", 4.82842712},
                                                                          {"R", 0.621320344},
                                                                          {"C", 36.9498421},
                                                                          {"v", 0.921022832},
                                                                          {"B", 4},
                                                                          {"Fr", 0.339551184},
                                                                          {"hc", 0.528012837},
                                                                          {"ik", 0.00965879181}}
                                                     << 5e-8;
        // The figures below marked "decimal" come from one run of a script that bisects
        // A³/B = Q²/g and evaluates the formulas in 60-digit decimal arithmetic (Python's
        // decimal module), independently of this code.
        QTest::newRow("worked example, decimal")
            << worked << Figures{{"P", 4.8284271247461898},    {"R", 0.62132034355964261},
                                 {"C", 36.949841518137831},    {"v", 0.92102280666666669},
                                 {"Fr", 0.3395511839331195},   {"hc", 0.52801283742392058},
                                 {"ik", 0.0096587918274432614}}
            << 1e-13;

        // V. T. Chow, Open-Channel Hydraulics (1959), Example 4-1: trapezoid b = 20 ft,
        // z = 2, Q = 400 cfs; yc = 2.15 ft, Vc = 7.66 ft/s. In metres; the book's g of
        // 32.2 ft/s² differs from 9.81 m/s² by 0.05 %, a fifth of the book's rounding.
        const double chowQ = 400 * ft * ft * ft;
        QTest::newRow("Chow Example 4-1, trapezoid: yc")
            << Channel{chowQ, 20 * ft, 1, 2, 0.0016, 0.025} << Figures{{"hc", 2.15 * ft}} << 3e-3;
        QTest::newRow("Chow Example 4-1, trapezoid: at yc, Vc and Fr = 1")
            << Channel{chowQ, 20 * ft, 2.15 * ft, 2, 0.0016, 0.025}
            << Figures{{"v", 7.66 * ft}, {"Fr", 1}} << 5e-3;
        QTest::newRow("Chow Example 4-1, trapezoid, decimal")
            << Channel{chowQ, 20 * ft, 2.15 * ft, 2, 0.0016, 0.025}
            << Figures{{"Fr", 0.99850187622777842},
                       {"hc", 0.6547119426907767},
                       {"ik", 0.007809419613724727}}
            << 1e-13;

        // A 10 m wide rectangular channel carrying 50 m³/s: yc = 1.37 m, Vc = 3.67 m/s (a
        // textbook's Example 15.8, as solved on holooly.com). Closed form: (q²/g)^(1/3).
        QTest::newRow("rectangle 10 m, 50 m3/s: yc")
            << Channel{50, 10, 1, 0, 0.001, 0.014} << Figures{{"hc", 1.37}} << 4e-3;
        QTest::newRow("rectangle 10 m, 50 m3/s: at yc, Vc and Fr = 1")
            << Channel{50, 10, 1.37, 0, 0.001, 0.014} << Figures{{"v", 3.67}, {"Fr", 1}} << 6e-3;
        QTest::newRow("rectangle 10 m, 50 m3/s, closed form")
            << Channel{50, 10, 1, 0, 0.001, 0.014}
            << Figures{{"hc", std::cbrt(25 / gravity)}, {"Fr", 5 / std::sqrt(gravity)}} << 4e-16;
        QTest::newRow("rectangle 10 m, 50 m3/s, decimal") << Channel{50, 10, 1, 0, 0.001, 0.014}
                                                          << Figures{{"C", 69.290722531842889},
                                                                     {"Fr", 1.5963771420352524},
                                                                     {"ik", 0.0023913233020182948}}
                                                          << 1e-13;

        // Triangle: A³/B = m²·h⁵/2, so hc = (2·Q²/(g·m²))^(1/5).
        QTest::newRow("triangle, closed form")
            << Channel{1, 0, 0.8, 1.5, 0.002, 0.02}
            << Figures{{"hc", std::pow(2 / (gravity * 2.25), 0.2)}} << 4e-16;
        QTest::newRow("triangle, decimal") << Channel{1, 0, 0.8, 1.5, 0.002, 0.02}
                                           << Figures{{"A", 0.96},
                                                      {"P", 2.8844410203711917},
                                                      {"Fr", 0.52585289306890859},
                                                      {"hc", 0.61863671925847219},
                                                      {"ik", 0.0074141436194209778}}
                                           << 1e-13;
        QTest::newRow("steep trapezoid, decimal") << Channel{10, 3, 0.5, 0.5, 0.02, 0.015}
                                                  << Figures{{"R", 0.39460577655244139},
                                                             {"C", 57.095600812559908},
                                                             {"Fr", 2.8834967782880465},
                                                             {"hc", 0.98431562880085288},
                                                             {"ik", 0.0033077840029606211}}
                                                  << 1e-13;
    }
    void quantities() {
        QFETCH(Channel, channel);
        QFETCH(Figures, expected);
        QFETCH(double, tolerance);
        const ChannelHydraulics x = hydraulicsOf(channel);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const Computed<double> q = quantity(x, it.key());
            QVERIFY2(q.exists(), qPrintable(it.key() + QStringLiteral(": ") + text(q.reason())));
            const double error = std::abs(q.value() / it.value() - 1);
            QVERIFY2(error <= tolerance, qPrintable(QStringLiteral("%1 = %2, expected %3")
                                                        .arg(it.key())
                                                        .arg(q.value(), 0, 'g', 17)
                                                        .arg(it.value(), 0, 'g', 17)));
        }
    }

    void regimes_data() {
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<QString>("regime");       // from Fr
        QTest::addColumn<QString>("depthRegime");  // from h against hc
        QTest::addColumn<QString>("slope");        // i against ik; or the reason there is none

        QTest::newRow("worked example: subcritical on a mild slope")
            << Channel{2.76306842, 2, 1, 1, 0.001, 0.025} << "缓流"
            << "缓流"
            << "缓坡";
        QTest::newRow("shallow and fast: supercritical on a steep slope")
            << Channel{10, 3, 0.5, 0.5, 0.02, 0.015} << "急流"
            << "急流"
            << "陡坡";
        QTest::newRow("level bed has no slope kind") << Channel{2, 2, 1, 1, 0, 0.025} << "缓流"
                                                     << "缓流"
                                                     << "i = 0，平坡";
        QTest::newRow("adverse bed has no slope kind")
            << Channel{2, 2, 1, 1, -0.001, 0.025} << "缓流"
            << "缓流"
            << "i < 0，逆坡";
    }
    void regimes() {
        QFETCH(Channel, channel);
        QFETCH(QString, regime);
        QFETCH(QString, depthRegime);
        QFETCH(QString, slope);
        const ChannelHydraulics x = hydraulicsOf(channel);
        QVERIFY(x.regime.exists());
        QCOMPARE(text(flowRegimeName(x.regime.value())), regime);
        QVERIFY(x.depthRegime.exists());
        QCOMPARE(text(flowRegimeName(x.depthRegime.value())), depthRegime);
        QCOMPARE(x.slope.exists() ? text(slopeKindName(x.slope.value())) : text(x.slope.reason()),
                 slope);
    }

    void names() {
        QCOMPARE(text(flowRegimeName(FlowRegime::Subcritical)), QStringLiteral("缓流"));
        QCOMPARE(text(flowRegimeName(FlowRegime::Critical)), QStringLiteral("临界流"));
        QCOMPARE(text(flowRegimeName(FlowRegime::Supercritical)), QStringLiteral("急流"));
        QCOMPARE(text(slopeKindName(SlopeKind::Mild)), QStringLiteral("缓坡"));
        QCOMPARE(text(slopeKindName(SlopeKind::Critical)), QStringLiteral("临界坡"));
        QCOMPARE(text(slopeKindName(SlopeKind::Steep)), QStringLiteral("陡坡"));
    }

    void existence_data() {
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("reason");  // of the first absent one

        const QStringList section{"A", "P", "R", "C", "v", "B", "Fr"};
        const QStringList critical{"hc", "ik"};
        QTest::newRow("Q = 0: nothing") << Channel{0, 2, 1, 1, 0.001, 0.025} << section + critical
                                        << QStringList{} << "流量 Q ≤ 0";
        QTest::newRow("Q < 0: nothing") << Channel{-1, 2, 1, 1, 0.001, 0.025} << section + critical
                                        << QStringList{} << "流量 Q ≤ 0";
        QTest::newRow("n = 0: the section and ik, not hc")
            << Channel{2, 2, 1, 1, 0.001, 0} << section + QStringList{"ik"} << QStringList{"hc"}
            << "糙率 n ≤ 0";
        QTest::newRow("h = 0: no section, still hc and ik")
            << Channel{2, 2, 0, 1, 0.001, 0.025} << section << critical << "过水断面面积 A ≤ 0";
        QTest::newRow("b = h = 0: no section")
            << Channel{2, 0, 0, 1, 0.001, 0.025} << section << critical << "过水断面面积 A ≤ 0";
        QTest::newRow("b = m = 0: no section, no critical depth")
            << Channel{2, 0, 1, 0, 0.001, 0.025} << section + critical << QStringList{}
            << "过水断面面积 A ≤ 0";
        // A negative b or m is no channel, even where A and B come out positive.
        QTest::newRow("b < 0: no section, no critical depth")
            << Channel{2, -0.5, 1, 1, 0.001, 0.025} << section + critical << QStringList{}
            << "底宽 b < 0";
        QTest::newRow("m < 0: no section, no critical depth")
            << Channel{2, 3, 1, -0.5, 0.001, 0.025} << section + critical << QStringList{}
            << "边坡系数 m < 0";
        QTest::newRow("b -15, h -1, m -10: A = 5 and B = 5 but P = -35.1")
            << Channel{2, -15, -1, -10, 0.001, 0.025} << section + critical << QStringList{}
            << "底宽 b < 0";
        QTest::newRow("b -2, h 1, m 0: P = 0 from neither b nor h being 0")
            << Channel{2, -2, 1, 0, 0.001, 0.025} << section + critical << QStringList{}
            << "底宽 b < 0";
        QTest::newRow("negative top width with positive area: no section")
            << Channel{2, 1, -3, 1, 0.001, 0.025} << section << critical << "水面宽 B ≤ 0";
        QTest::newRow("i < 0 changes nothing here")
            << Channel{2, 2, 1, 1, -1, 0.025} << QStringList{} << section + critical << "";
        QTest::newRow("NaN Q") << Channel{notANumber, 2, 1, 1, 0.001, 0.025} << section + critical
                               << QStringList{} << "流量 Q 不是有限数";
        QTest::newRow("infinite n")
            << Channel{2, 2, 1, 1, 0.001, inf} << section + QStringList{"ik"} << QStringList{"hc"}
            << "糙率 n 不是有限数";
        QTest::newRow("overflowing area")
            << Channel{2, 2, 1e200, 1e200, 0.001, 0.025} << section << critical << "数值溢出";
        // A lined section's channel is its shape, not the trapezoid of its b and m.
        QTest::newRow("U: b = m = 0 is a section")
            << Channel{1, 0, 0.5, 0, 0.001, 0.014, ArcBottom{0.5, 0}} << QStringList{}
            << section + critical << "";
        QTest::newRow("circle filled: no top width, still hc")
            << Channel{1, 0, 1, 0, 0.001, 0.013, Circle{1}} << section << critical
            << "水面宽 B ≤ 0";
        QTest::newRow("circle above its crown: no section, still hc")
            << Channel{1, 0, 1.2, 0, 0.001, 0.013, Circle{1}} << section << critical
            << "水深 h 大于管径 D";
        QTest::newRow("U leaning 90°: no section, no critical depth")
            << Channel{1, 0, 0.5, 0, 0.001, 0.014, ArcBottom{0.5, 90}} << section + critical
            << QStringList{} << "外倾角 α 须在 0° 至 90° 之间";
    }
    void existence() {
        QFETCH(Channel, channel);
        QFETCH(QStringList, absent);
        QFETCH(QStringList, present);
        QFETCH(QString, reason);
        const ChannelHydraulics x = hydraulicsOf(channel);
        for (const QString& name : absent) {
            const Computed<double> q = quantity(x, name);
            QVERIFY2(!q.exists(), qPrintable(name));
            QVERIFY2(!q.reason().empty(), qPrintable(name));
        }
        for (const QString& name : present)
            QVERIFY2(quantity(x, name).exists(), qPrintable(name));
        if (!absent.isEmpty()) QCOMPARE(text(quantity(x, absent.front()).reason()), reason);
        // The regime goes with Fr, the comparisons with hc and ik.
        QCOMPARE(x.regime.exists(), x.Fr.exists());
        if (!x.hc.exists()) QVERIFY(!x.depthRegime.exists());
        if (!x.ik.exists()) QVERIFY(!x.slope.exists());
    }

    // Whatever comes in, every quantity is a finite number or absent with a reason, and the
    // critical depth of the closed forms stays exact at the ends of the double range.
    void neverNanOrInfinity() {
        const double awkward[] = {0, -1, 1e-310, 0.7, 1e300, inf, notANumber};
        for (double Q : awkward)
            for (double b : awkward)
                for (double h : awkward)
                    for (double m : awkward)
                        for (double n : awkward) {
                            const ChannelHydraulics x = hydraulicsOf({Q, b, h, m, 0.001, n});
                            for (const auto& q : {x.A, x.P, x.R, x.C, x.v, x.B, x.Fr, x.hc, x.Ac,
                                                  x.Bc, x.ik, x.Pc, x.Rc, x.Cc}) {
                                if (q.exists()) {
                                    QVERIFY(std::isfinite(q.value()));
                                } else {
                                    QVERIFY(!q.reason().empty());
                                }
                            }
                            if (x.hc.exists()) QVERIFY(x.hc.value() > 0);
                            // A length or area that exists is one a channel can have.
                            for (const auto& q : {x.A, x.P, x.R, x.B, x.Ac, x.Bc, x.Pc, x.Rc}) {
                                if (q.exists()) QVERIFY(q.value() > 0);
                            }
                            if (b < 0 || m < 0) QVERIFY(!x.A.exists() && !x.P.exists());
                        }
    }

    void criticalDepthAtTheEnds_data() {
        QTest::addColumn<double>("Q");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("m");
        QTest::addColumn<double>("hc");  // closed form

        for (double Q : {1e-150, 1e-3, 1.0, 1e4, 1e150}) {
            QTest::addRow("rectangle, Q = %g", Q)
                << Q << 2.0 << 0.0
                << std::cbrt(Q / 2 / std::sqrt(gravity) * (Q / 2 / std::sqrt(gravity)));
            QTest::addRow("triangle, Q = %g", Q)
                << Q << 0.0 << 1.0 << std::pow(2 / gravity * Q * Q, 0.2);
        }
    }
    void criticalDepthAtTheEnds() {
        QFETCH(double, Q);
        QFETCH(double, b);
        QFETCH(double, m);
        QFETCH(double, hc);
        const Computed<double> found = criticalDepth(Q, b, m);
        QVERIFY(found.exists());
        QVERIFY2(std::abs(found.value() / hc - 1) < 1e-14,
                 qPrintable(QString::number(found.value(), 'g', 17)));
    }

    void rating_data() {
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("atDepth");  // Q at k = 4 of 7, the channel's depth

        // Manning at h = 1 in 60-digit decimal: (1/n)·A·R^(2/3)·√i.
        QTest::newRow("worked example")
            << Channel{0, 2, 1, 1, 0.00100000005, 0.0250000004} << 7 << 7 << 2.7630683770155167;
        QTest::newRow("triangle") << Channel{0, 0, 2, 1, 0.001, 0.025} << 7 << 7
                                  << 4.0158423074934575;
        QTest::newRow("level bed: all zero") << Channel{0, 2, 1, 1, 0, 0.025} << 7 << 7 << 0.0;
        QTest::newRow("h = 0") << Channel{0, 2, 0, 1, 0.001, 0.025} << 7 << 0 << 0.0;
        QTest::newRow("n = 0") << Channel{0, 2, 1, 1, 0.001, 0} << 7 << 0 << 0.0;
        QTest::newRow("i < 0") << Channel{0, 2, 1, 1, -0.001, 0.025} << 7 << 0 << 0.0;
        QTest::newRow("b = m = 0") << Channel{0, 0, 1, 0, 0.001, 0.025} << 7 << 0 << 0.0;
        QTest::newRow("m < 0") << Channel{0, 2, 1, -0.1, 0.001, 0.025} << 7 << 0 << 0.0;
        QTest::newRow("one point") << Channel{0, 2, 1, 1, 0.001, 0.025} << 1 << 0 << 0.0;
        // Half full, A = π/8 and R = 1/4 in 40-digit decimal; 1.5·h still below the crown.
        QTest::newRow("circle half full")
            << Channel{0, 0, 0.5, 0, 0.001, 0.013, Circle{1}} << 7 << 7 << 0.37909076596143419;
        QTest::newRow("circle above its crown")
            << Channel{0, 0, 1.2, 0, 0.001, 0.013, Circle{1}} << 7 << 0 << 0.0;
    }
    void rating() {
        QFETCH(Channel, channel);
        QFETCH(int, points);
        QFETCH(int, size);
        QFETCH(double, atDepth);
        const std::vector<RatingPoint> curve = ratingCurve(channel, points);
        QCOMPARE(static_cast<int>(curve.size()), size);
        if (curve.empty()) return;
        QCOMPARE(curve.front().h, 0.0);
        QCOMPARE(curve.front().Q, 0.0);
        QCOMPARE(curve.back().h, 1.5 * channel.h);
        for (std::size_t k = 1; k < curve.size(); ++k) {
            QVERIFY(curve[k].h > curve[k - 1].h);
            QVERIFY(curve[k].Q >= curve[k - 1].Q);
        }
        QCOMPARE(curve[4].h, channel.h);
        if (atDepth == 0) {
            QCOMPARE(curve[4].Q, 0.0);
        } else {
            QVERIFY2(std::abs(curve[4].Q / atDepth - 1) < 1e-13,
                     qPrintable(QString::number(curve[4].Q, 'g', 17)));
        }
    }
};

QTEST_GUILESS_MAIN(ChannelTest)
#include "test_channel.moc"
