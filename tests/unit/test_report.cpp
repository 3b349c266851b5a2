// The calculation book's content and its plain text, for presses of every calculator: the
// text holds every text the press wrote, the inputs as typed, the lines a worked example
// gives, and never a "nan" or an "inf", also for presses at the edges of the number range
// and for failed ones.

#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "book/design_report.h"
#include "book/report.h"
#include "calculators/catalogue.h"
#include "calculators/numbers.h"
#include "calculators/summary.h"

using namespace lintavo;

namespace {

using Real = long double;

// A lined section's outline from its geometry alone, apart from the program's formulas: a
// bed b, arcs of radius r centred at (±b/2, r) and walls of side slope m tangent to them; a
// circle is the arc alone up to its crown 2r. Its area is twice the integral of the
// half-width over the depth, taken along the arc's angle t (y = r(1 − cos t)) where the width
// is smooth, and its wetted perimeter the length of the outline as a polyline of many chords.
struct Outline {
    Real b;
    Real r;
    Real m;
    bool circle;

    Real junction() const { return circle ? 2 * r : r - r * m / std::sqrt(1 + m * m); }
    Real angleAt(Real y) const { return std::acos((r - y) / r); }
    Real halfWidth(Real y) const {
        if (y <= junction()) return b / 2 + std::sqrt(std::max<Real>(0, y * (2 * r - y)));
        return b / 2 - m * r + r * std::sqrt(1 + m * m) + m * y;
    }

    static Real simpson(const auto& f, Real lo, Real hi, int panels) {
        const Real step = (hi - lo) / panels;
        Real sum = f(lo) + f(hi);
        for (int k = 1; k < panels; ++k)
            sum += (k % 2 == 1 ? 4 : 2) * f(lo + k * step);
        return sum * step / 3;
    }

    Real area(Real h) const {
        const Real top = std::min(h, junction());
        const auto widthAlongArc = [this](Real t) {
            return (b / 2 + r * std::sin(t)) * r * std::sin(t);
        };
        Real half = simpson(widthAlongArc, 0, angleAt(top), 4000);
        if (h > top) half += simpson([this](Real y) { return halfWidth(y); }, top, h, 4000);
        return 2 * half;
    }

    Real perimeter(Real h) const {
        const Real top = std::min(h, junction());
        const int chords = 200000;
        const Real end = angleAt(top);
        Real half = b / 2;
        Real x = b / 2, y = 0;
        for (int k = 1; k <= chords; ++k) {
            const Real t = end * k / chords;
            const Real nx = b / 2 + r * std::sin(t), ny = r - r * std::cos(t);
            half += std::hypot(nx - x, ny - y);
            x = nx;
            y = ny;
        }
        if (h > top) half += std::hypot(halfWidth(h) - x, h - y);
        return 2 * half;
    }
};

}  // namespace

Q_DECLARE_METATYPE(lintavo::Texts)

class ReportTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void plainText_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("lines");   // the text must hold each
        QTest::addColumn<QStringList>("absent");  // and none of these

        const QStringList none;
        // The worked example of the discharge calculation, step by step as a book writes it.
        QTest::newRow("discharge, worked example")
            << 0 << Texts{"2", "1", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("A = (b + m·h)·h = (2 + 1 × 1) × 1 = 3 m²"),
                           QStringLiteral("R = A / P = 3 / 4.82843 = 0.62132 m"),
                           QStringLiteral("计算值 2.76306842 m³/s"), QStringLiteral("缓流"),
                           QStringLiteral("向下截取到 3 位小数"), QStringLiteral("五、断面方案"),
                           // A = 3 m² against A0 = K·h0² from the closed form.
                           QStringLiteral("本断面面积为水力最佳断面的 1.015 倍，"
                                          "介于 α = 1.01 与 1.02 之间")}
            << QStringList{QStringLiteral("读作"), QStringLiteral("| 采用此方案")};
        // Inputs read as singles show at the precision an engineer reads, not 1.79999995.
        QTest::newRow("discharge, substituted singles read plainly")
            << 0 << Texts{"3.5", "1.8", "1.5", "1/3000", "0.025"} << false
            << QStringList{QStringLiteral("A = (b + m·h)·h = (3.5 + 1.5 × 1.8) × 1.8 = 11.16 m²"),
                           QStringLiteral("0.000333333")}
            << QStringList{QStringLiteral("1.79999995"), QStringLiteral("11.1599989")};
        // Every empty field is named, in Chinese, and no kind is shown in English.
        QTest::newRow("discharge, empty fields")
            << 0 << Texts{"", " ", "1", "", "0.025"} << true
            << QStringList{QStringLiteral("“底宽b”、“水深h”、“底坡i”为空"),
                           QStringLiteral("  i = （空）（为空）"),
                           QStringLiteral("m = 1（未读取）"), QStringLiteral("输入为空")}
            << QStringList{QStringLiteral("type-mismatch")};
        QTest::newRow("discharge, negative side slope in brackets")
            << 0 << Texts{"2", "1", "-0.5", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("(2 + (-0.5) × 1) × 1")} << none;
        QTest::newRow("discharge, huge inputs")
            << 0 << Texts{"1e38", "1e38", "1e38", "1", "1e-38"} << true << none << none;
        // A = b·h underflows to 0 in single, and v = Q/A is 0/0.
        QTest::newRow("discharge, tiny inputs")
            << 0 << Texts{"1e-38", "1e-38", "0", "1e-38", "1e38"} << true << none << none;
        QTest::newRow("discharge, zero slope: no regime")
            << 0 << Texts{"2", "1", "1", "0", "0.025"} << false << QStringList{QStringLiteral("—")}
            << QStringList{QStringLiteral("断面方案")};
        QTest::newRow("discharge, b and h zero")
            << 0 << Texts{"0", "0", "1", "0.001", "0.025"} << true << none << none;
        QTest::newRow("discharge, a letter") << 0 << Texts{"2", "x", "1", "0.001", "0.025"} << true
                                             << QStringList{QStringLiteral("无法读取")} << none;
        QTest::newRow("normal depth, worked example")
            << 1 << Texts{"2.763", "2", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("对分"), QStringLiteral("最终区间")} << none;
        // n = 0 fails on the first evaluation of the residual: the book says where and why.
        // A channel that does not exist: one sentence says so, the one its window shows.
        QTest::newRow("normal depth, bottom width -5")
            << 1 << Texts{"2.763", "-5", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("  此断面不存在（底宽 b < 0），水力要素无法计算。\n")}
            << none;
        QTest::newRow("discharge, side slope -1")
            << 0 << Texts{"3", "1", "-1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("此断面不存在（边坡系数 m < 0）")} << none;
        QTest::newRow("discharge, worked example has its channel")
            << 0 << Texts{"2", "1", "1", "0.001", "0.025"} << false << none
            << QStringList{QStringLiteral("不存在")};
        QTest::newRow("normal depth, n zero")
            << 1 << Texts{"2.763", "2", "1", "0.001", "0"} << true
            << QStringList{QStringLiteral("糙率 n 为 0"), QStringLiteral("除以零"),
                           QStringLiteral("对分未能进行")}
            << QStringList{QStringLiteral("division-by-zero"), QStringLiteral("没有计算步骤")};
        QTest::newRow("normal depth, beyond the bracket")
            << 1 << Texts{"1000", "2", "1", "0.001", "0.025"} << true
            << QStringList{QStringLiteral("最终区间")} << none;
        QTest::newRow("bottom width, worked example")
            << 2 << Texts{"2.763", "1", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("对分")} << none;
        QTest::newRow("bottom slope, worked example")
            << 3 << Texts{"2.763", "2", "1", "1", "0.025"} << false
            << QStringList{QStringLiteral("向下截取到 5 位小数")} << none;
        QTest::newRow("section, one candidate")
            << 4 << Texts{"10", "0.5", "1.5", "0.0004", "0.025"} << false
            << QStringList{QStringLiteral("断面一")} << none;
        // The second depth's width is negative: said, with the pair, and not drawn as a channel.
        QTest::newRow("section, a candidate that is no channel")
            << 4 << Texts{"9.249", "0.828", "1.5", "0.0003", "0.0225"} << false
            << QStringList{QStringLiteral("断面一：h = 1.786 m，b = 3.57"),
                           QStringLiteral("断面二：h = 2.968 m 时 b = −0.69058 m < 0，不成立"),
                           QStringLiteral("断面一：本断面面积为水力最佳断面的")}
            << QStringList{QStringLiteral("断面二：本断面")};
        // The lined sections' books: each formula of the shape with its numbers, within a U's
        // arc and above it, the arc-toe trapezoid's toes, a circle near its crown, and a normal
        // depth's section at the depth found. The figures are Python's, by these formulas.
        QTest::newRow("U within its arc")
            << 5 << Texts{"0.5", "10", "0.3", "1/2000", "0.014"} << false
            << QStringList{QStringLiteral("  外倾角α  α = 10 °"),
                           QStringLiteral("h1 = r·(1 − sin(π·α/180)) = 0.5 × (1 − sin(π × 10/180)) "
                                          "= 0.413176 m（圆弧段高度）"),
                           QStringLiteral("θ = arccos((r − h) / r) = arccos((0.5 − 0.3) / 0.5) = "
                                          "1.15928 rad"),
                           QStringLiteral("A = r²·(θ − sinθ·cosθ) = 0.5² × (1.15928 − sin1.15928 × "
                                          "cos1.15928) = 0.198168 m²"),
                           QStringLiteral("P = 2·r·θ = 2 × 0.5 × 1.15928 = 1.15928 m"),
                           QStringLiteral("B = 2·r·sinθ = 2 × 0.5 × sin1.15928 = 0.916515 m"),
                           QStringLiteral("临界水深  hc = ")}
            << QStringList{QStringLiteral("θ0"), QStringLiteral("A1"), QStringLiteral("断面方案"),
                           QStringLiteral("按断面形状")};
        QTest::newRow("U above its arc")
            << 5 << Texts{"0.5", "10", "0.8", "1/2000", "0.014"} << false
            << QStringList{QStringLiteral("θ0 = (90 − α)·π/180 = (90 − 10) × π/180 = 1.39626 rad"),
                           QStringLiteral("m = tan(π·α/180) = tan(π × 10/180) = 0.176327"),
                           QStringLiteral("b1 = 2·r·cos(π·α/180) = 2 × 0.5 × cos(π × 10/180) = "
                                          "0.984808 m"),
                           QStringLiteral("A1 = r²·(θ0 − sinθ0·cosθ0) = 0.5² × (1.39626 − "
                                          "sin1.39626 × cos1.39626) = 0.306313 m²"),
                           QStringLiteral("A = A1 + (b1 + m·(h − h1))·(h − h1) = 0.306313 + "
                                          "(0.984808 + 0.176327 × (0.8 − 0.413176)) × (0.8 − "
                                          "0.413176) = 0.713645 m²"),
                           QStringLiteral("P = 2·r·θ0 + 2·(h − h1)·√(1 + m²) = "),
                           QStringLiteral("= 2.18185 m"),
                           QStringLiteral("= 1.12122 m（水面宽度）")}
            << QStringList{QStringLiteral("arccos"), QStringLiteral("断面方案")};
        QTest::newRow("arc-toe trapezoid above its toes")
            << 7 << Texts{"1", "0.5", "1.5", "1", "1/3000", "0.02"} << false
            << QStringList{QStringLiteral("h1 = r·(1 − m / √(1 + m²)) = 0.5 × (1 − 1.5 / √(1 + "
                                          "1.5²)) = 0.0839749 m"),
                           QStringLiteral("θ0 = arctan(1 / m) = arctan(1 / 1.5) = 0.588003 rad"),
                           QStringLiteral("b1 = b + 2·r / √(1 + m²) = 1 + 2 × 0.5 / √(1 + 1.5²) = "
                                          "1.5547 m"),
                           QStringLiteral("A1 = b·h1 + r²·(θ0 − sinθ0·cosθ0) = 1 × 0.0839749 + "
                                          "0.5² × (0.588003 − sin0.588003 × cos0.588003) = "
                                          "0.115591 m²"),
                           QStringLiteral("= 2.79839 m²（过水断面面积）")}
            << QStringList{QStringLiteral("arccos")};
        QTest::newRow("circle near its crown")
            << 9 << Texts{"1", "0.95", "0.001", "0.013"} << false
            << QStringList{QStringLiteral("  管径D  D = 1 m"),
                           QStringLiteral("θ = 2·arccos(1 − 2·h / D) = 2 × arccos(1 − 2 × 0.95 / "
                                          "1) = 5.38113 rad"),
                           QStringLiteral("A = D²·(θ − sinθ) / 8 = 1² × (5.38113 − sin5.38113) / 8 "
                                          "= 0.770717 m²"),
                           QStringLiteral("P = D·θ / 2 = 1 × 5.38113 / 2 = 2.69057 m"),
                           QStringLiteral("B = D·sin(θ / 2) = 1 × sin(5.38113 / 2) = 0.43589 m")}
            << QStringList{QStringLiteral("h1"), QStringLiteral("断面方案")};
        QTest::newRow("circle, normal depth: the section at the depth found")
            << 10 << Texts{"0.8", "1", "0.001", "0.013"} << false
            << QStringList{QStringLiteral("h2 = "), QStringLiteral("θ = 2·arccos(1 − 2·h / D) = "),
                           QStringLiteral("v = Q / A = 0.8 / ")}
            << none;
        QTest::newRow("section, negative discriminant")
            << 4 << Texts{"10", "1", "1.5", "0.0004", "0.025"} << true << none << none;
    }

    void plainText() {
        QFETCH(int, calculator);
        QFETCH(Texts, inputs);
        QFETCH(bool, fails);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, absent);
        const CalculatorTable& table = calculations()[static_cast<std::size_t>(calculator)];
        Record record;
        const auto written = runPress(table.press, inputs, record);
        QCOMPARE(!written.has_value(), fails);
        const CalculationReport report = buildReport(table, record, "2026-01-01 08:00", "Lintavo");
        const QString text = QString::fromStdString(lintavo::plainText(report));
        QVERIFY(
            text.startsWith(QString::fromUtf8(table.window.title.data(),
                                              static_cast<qsizetype>(table.window.title.size())) +
                            QStringLiteral(" 计算书\n2026-01-01 08:00")));
        // Every input that was read, and the one that did not convert, on its own line as
        // typed; reading stops there.
        QVERIFY(!record.inputs.empty());
        for (const RecordedInput& input : record.inputs) {
            const QString typed = QString::fromStdString(input.text).trimmed();
            // The U's walls' angle, typed in the field of `a`, is written α.
            const QString line =
                QStringLiteral("  %1 = %2")
                    .arg(input.symbol == 'a' ? QStringLiteral("α")
                                             : QString(QChar::fromLatin1(input.symbol)),
                         typed.isEmpty() ? QStringLiteral("（空）") : typed);
            QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral("\n") + text));
        }
        if (written) {
            for (const std::string& result : *written)
                QVERIFY2(text.contains(QString::fromStdString(result)), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("计算结果")));
        } else {
            QVERIFY2(text.contains(QStringLiteral("计算失败")), qPrintable(text));
            QVERIFY(!text.contains(QStringLiteral("计算结果")));
        }
        for (const QString& line : lines)
            QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral("\n") + text));
        for (const QString& line : absent)
            QVERIFY2(!text.contains(line), qPrintable(line + QStringLiteral("\n") + text));
        for (const char* bad : {"nan", "inf"})
            QVERIFY2(!text.contains(QLatin1String(bad), Qt::CaseInsensitive), qPrintable(text));
    }

    // A lined section's book: its A, P, top width B and critical depth hc, in the section
    // 四 table and, where the press worked the section out, in its steps, against the outline
    // built here; hc where Q²·B = g·A³ on the outline. Within a U's arc and above it, the
    // toe arcs of a trapezoid, a circle near its crown and at a normal depth found.
    void shapeBooksAgainstTheOutline_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("m");  // the walls' side slope
        QTest::addColumn<bool>("circle");
        const double tan10 = std::tan(10 * 3.14159265358979323846 / 180);
        QTest::newRow("U within its arc")
            << 5 << Texts{"0.5", "10", "0.3", "1/2000", "0.014"} << 0.0 << 0.5 << tan10 << false;
        QTest::newRow("U above its arc")
            << 5 << Texts{"0.5", "10", "0.8", "1/2000", "0.014"} << 0.0 << 0.5 << tan10 << false;
        QTest::newRow("U semicircle, normal depth")
            << 6 << Texts{"0.741", "0.5", "0", "1/2000", "0.014"} << 0.0 << 0.5 << 0.0 << false;
        QTest::newRow("arc-toe trapezoid above its toes")
            << 7 << Texts{"1", "0.5", "1.5", "1", "1/3000", "0.02"} << 1.0 << 0.5 << 1.5 << false;
        QTest::newRow("arc-toe trapezoid within its toes")
            << 7 << Texts{"1.2", "0.6", "1", "0.1", "1/3000", "0.02"} << 1.2 << 0.6 << 1.0 << false;
        QTest::newRow("circle near its crown")
            << 9 << Texts{"1", "0.95", "0.001", "0.013"} << 0.0 << 0.5 << 0.0 << true;
        QTest::newRow("circle, normal depth of two")
            << 10 << Texts{"0.8", "1", "0.001", "0.013"} << 0.0 << 0.5 << 0.0 << true;
    }

    void shapeBooksAgainstTheOutline() {
        QFETCH(int, calculator);
        QFETCH(Texts, inputs);
        QFETCH(double, b);
        QFETCH(double, r);
        QFETCH(double, m);
        QFETCH(bool, circle);
        const CalculatorTable& table = calculations()[static_cast<std::size_t>(calculator)];
        Record record;
        QVERIFY(runPress(table.press, inputs, record));
        const PressSummary summary = summarize(table, record);
        QCOMPARE(summary.channels.size(), std::size_t{1});
        const Channel& channel = summary.channels.front().channel();
        QVERIFY(channel.shape.has_value());
        const ChannelHydraulics& hy = summary.channels.front().hydraulics;
        const Outline outline{b, r, m, circle};
        const Real h = channel.h;
        const auto near = [](double ours, Real exact, Real tolerance) {
            return std::fabs(static_cast<Real>(ours) - exact) <= tolerance * std::fabs(exact);
        };
        QVERIFY(hy.A.exists() && hy.P.exists() && hy.B.exists() && hy.hc.exists());
        QVERIFY2(near(hy.A.value(), outline.area(h), 1e-9L),
                 qPrintable(QString::number(hy.A.value())));
        QVERIFY2(near(hy.P.value(), outline.perimeter(h), 1e-9L),
                 qPrintable(QString::number(hy.P.value())));
        QVERIFY(near(hy.B.value(), 2 * outline.halfWidth(h), 1e-12L));
        // The critical depth: Q²·B = g·A³ on the outline, and it lies below the crown.
        const Real hc = hy.hc.value();
        const Real Ac = outline.area(hc), Bc = 2 * outline.halfWidth(hc);
        const Real Q = channel.Q;
        QVERIFY2(std::fabs(9.81L * Ac * Ac * Ac / (Q * Q * Bc) - 1) < 1e-8L,
                 qPrintable(QString::number(hy.hc.value())));
        QVERIFY(!circle || hy.hc.value() < 2 * r);
        QCOMPARE(hy.regime.exists(), true);
        // The steps the press recorded are those figures, to the bit.
        for (const auto& [symbol, figure] :
             {std::pair{"A", hy.A}, std::pair{"P", hy.P}, std::pair{"B", hy.B}}) {
            const auto step = record.valueOf(symbol);
            QVERIFY2(step.has_value(), symbol);
            QCOMPARE(std::bit_cast<std::uint64_t>(step->number()),
                     std::bit_cast<std::uint64_t>(figure.value()));
        }
        // The book shows them, names the shape's inputs with their units, and offers no
        // trapezoid's schemes for it.
        const CalculationReport report = buildReport(table, record, {}, {});
        QVERIFY(report.sections.empty());
        const auto rowOf = [&report](const std::string& symbol) -> const ReportRow* {
            for (const ReportRow& row : report.channels.front().rows)
                if (row.symbol == symbol) return &row;
            return nullptr;
        };
        QCOMPARE(rowOf("hc")->value, readableNumber(hy.hc.value()));
        QCOMPARE(rowOf("B")->value, readableNumber(hy.B.value()));
        QCOMPARE(rowOf("A")->value, readableNumber(hy.A.value()));
        // Its fields were read as doubles, and the book says so.
        QVERIFY2(report.precisionNote.starts_with("输入值按双精度读取"),
                 report.precisionNote.c_str());
        for (const ReportRow& known : report.known) {
            if (known.symbol == "α") QCOMPARE(known.unit, std::string("°"));
            if (known.symbol == "r" || known.symbol == "D") QCOMPARE(known.unit, std::string("m"));
        }
        // Every step the press recorded has its formula with the numbers in it.
        for (const ReportStep& step : report.steps) {
            if (step.symbol == "h" || step.symbol == "h2") continue;
            QVERIFY2(!step.formula.empty() && !step.substituted.empty(), step.symbol.c_str());
        }
        // A circle's curve ends at its crown.
        const std::vector<RatingPoint> curve = ratingCurve(channel, 11);
        QCOMPARE(curve.size(), std::size_t{11});
        QCOMPARE(curve.back().h, circle ? std::min(1.5 * channel.h, 2 * r) : 1.5 * channel.h);
    }

    // The formulas the Word file sets as equations, found in the book's prose: each stretch
    // that relates, raises, roots, multiplies or divides, up to its unit; neither a unit, nor a
    // clause number, nor a standard's number, nor a bracket that does not close.
    void formulasInProse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("formulas");
        QTest::newRow("freeboard and depth")
            << QStringLiteral(
                   "岸顶超高与渠深（6.4.8）：Fb = hb/4 + 0.2 = 1.2/4 + 0.2 = 0.5 m，"
                   "H = hb + Fb + Fb′ = 1.75 m。")
            << QStringList{QStringLiteral("Fb = hb/4 + 0.2 = 1.2/4 + 0.2 = 0.5 m"),
                           QStringLiteral("H = hb + Fb + Fb′ = 1.75 m")};
        QTest::newRow("a velocity inside a range said in words")
            << QStringLiteral("vd = 0.8 m/s 在 0.6~1.0 m/s 之间")
            << QStringList{QStringLiteral("vd = 0.8 m/s")};
        QTest::newRow("a Chinese subscript")
            << QStringLiteral("vb ≤ v不冲") << QStringList{QStringLiteral("vb ≤ v不冲")};
        QTest::newRow("the bisection's residual and its root")
            << QStringLiteral("f(h) = Q − (1/n)·A·R^(2/3)·√i，A、R 按 h 计算；求 f(h) = 0 的根")
            << QStringList{QStringLiteral("f(h) = Q − (1/n)·A·R^(2/3)·√i"),
                           QStringLiteral("f(h) = 0")};
        QTest::newRow("Chinese names inside brackets")
            << QStringLiteral("初始区间 [0, 10] m，每次取中点，f(下端)·f(中点) > 0 时移下端")
            << QStringList{QStringLiteral("f(下端)·f(中点) > 0")};
        QTest::newRow("a symbol alone is no formula")
            << QStringLiteral("在区间端点计算 f(h) 时失败，对分未能进行") << QStringList{};
        QTest::newRow("a standard's number, clause numbers")
            << QStringLiteral(
                   "按《灌溉与排水工程设计标准》GB 50288-2018 校核（6.3.1、6.3.11、附录 C）")
            << QStringList{};
        QTest::newRow("units are no division") << QStringLiteral("回算 Q (m³/s)") << QStringList{};
        QTest::newRow("a unit in Chinese brackets")
            << QStringLiteral("流量 Q（m³/s）") << QStringList{};
        QTest::newRow("a ratio heading")
            << QStringLiteral("β = b/h") << QStringList{QStringLiteral("β = b/h")};
        QTest::newRow("the best section's depth")
            << QStringLiteral("2^(1/4)·(nQ/(K·√i))^(3/8)")
            << QStringList{QStringLiteral("2^(1/4)·(nQ/(K·√i))^(3/8)")};
        QTest::newRow("a bracket that never closes")
            << QStringLiteral("a (b = c") << QStringList{QStringLiteral("b = c")};
    }

    void formulasInProse() {
        QFETCH(QString, text);
        QFETCH(QStringList, formulas);
        const std::string prose = text.toStdString();
        QStringList found;
        for (const FormulaSpan& f : formulasIn(prose))
            found.append(QString::fromStdString(prose.substr(f.begin, f.end - f.begin)));
        QCOMPARE(found, formulas);
        // A paragraph and a cell find the same, and keep the text as it is.
        const ReportText paragraph(prose);
        const ReportCell cell(prose);
        QCOMPARE(paragraph.text, prose);
        QVERIFY(paragraph.formulas == formulasIn(prose) && cell.formulas == paragraph.formulas);
    }

    // The drawings' labels are the texts the window shows, never a rounding of their own: the
    // depth a bisection found as its field has it, the width as typed, and each candidate's
    // pair as its fields show them.
    void drawingLabelsAreTheWindowsTexts() {
        Record record;
        const auto depth = runPress(normalDepthWindow.press,
                                    Texts{"9.249", " 3.499", "1.5", "0.0003", "0.0225"}, record);
        QVERIFY(depth);
        CalculationReport report = buildReport(normalDepthWindow, record, {}, {});
        QCOMPARE(report.channels.front().depthText, depth->front());
        QCOMPARE(report.channels.front().widthText, std::string("3.499"));
        QCOMPARE(report.channels.front().dischargeText, std::string("9.249"));
        const auto section = runPress(sectionWindow.press,
                                      Texts{"9.249", "0.828", "1.5", "0.0003", "0.0225"}, record);
        QVERIFY(section);
        report = buildReport(sectionWindow, record, {}, {});
        QCOMPARE(report.channels.front().depthText + "或" + report.channels.back().depthText,
                 (*section)[0]);
        QCOMPARE(report.channels.front().widthText, (*section)[1]);
    }

    // The 断面方案 section: a 采用此方案 link on each of the five rows, in α order, the drawing
    // asked for, and the rows marked against velocity limits where any is given. The worked
    // example's velocities lie near Q/A = 2.763/3 ≈ 0.92 m/s for every α.
    void schemes_data() {
        QTest::addColumn<double>("minimum");   // the design check's non-silting velocity; NaN: none
        QTest::addColumn<QString>("verdict");  // every row's; "" for no 流速 column
        const double none = std::nan("");
        QTest::newRow("no limits") << none << QString();
        QTest::newRow("above a minimum of 0.5 m/s") << 0.5 << QStringLiteral("满足");
        QTest::newRow("below a minimum of 1.5 m/s") << 1.5 << QStringLiteral("不满足");
    }

    void schemes() {
        QFETCH(double, minimum);
        QFETCH(QString, verdict);
        DesignSettings settings;
        if (!std::isnan(minimum)) settings.nonSilting = minimum;
        const BedTables beds;
        const DesignContext design{settings, beds};
        const CalculatorTable& table = calculations()[0];
        Record record;
        QVERIFY(runPress(table.press, Texts{"2", "1", "1", "0.001", "0.025"}, record));
        const CalculationReport report =
            buildReport(table, record, {}, {}, std::isnan(minimum) ? nullptr : &design);
        QVERIFY(!report.sections.empty());
        const ReportSection& section = report.sections.front();
        QCOMPARE(section.title, std::string("五、断面方案"));
        QVERIFY(section.figure == ReportFigure::Schemes && report.schemes.has_value());
        const ReportTable* rows = nullptr;
        for (const ReportBlock& block : section.blocks) {
            if (const auto* t = std::get_if<ReportTable>(&block); t && t->rows.size() == 5)
                rows = t;
        }
        QVERIFY(rows != nullptr);
        const bool said = std::any_of(section.blocks.begin(), section.blocks.end(), [](auto& b) {
            const auto* text = std::get_if<ReportText>(&b);
            return text != nullptr && text->text.find("向上取到 3 位小数") != std::string::npos;
        });
        QVERIFY(said);
        const std::size_t columns = verdict.isEmpty() ? 10 : 11;
        QCOMPARE(rows->header.size(), columns);
        for (std::size_t k = 0; k < 5; ++k) {
            const std::vector<ReportCell>& row = rows->rows[k];
            QCOMPARE(row.size(), columns);
            QCOMPARE(row.front().text, "1.0" + std::to_string(k));
            QCOMPARE(row.back().text, std::string("采用此方案"));
            QCOMPARE(row.back().link, "lintavo-scheme:" + std::to_string(k));
            // b and h as 采用此方案 types them: rounded up at the third decimal.
            const SchemeRow& scheme = report.schemes->rows[k];
            QCOMPARE(QString::fromStdString(row[3].text),
                     QString::number(std::ceil(scheme.b * 1000) / 1000, 'f', 3));
            QVERIFY(std::stod(row[2].text) >= scheme.h &&
                    std::stod(row[2].text) < scheme.h + 0.002);
            if (!verdict.isEmpty())
                QCOMPARE(QString::fromStdString(row[columns - 2].text), verdict);
            for (std::size_t c = 0; c + 1 < columns; ++c) {
                QVERIFY(row[c].link.empty());
                QCOMPARE(row[c].alert, verdict == QStringLiteral("不满足"));
            }
        }
    }

    // The design check's sentences and its table write numbers as the book does, to six
    // significant digits: 1.1 read as a single is 1.10000002, and 0.6·hd is not 0.660000014.
    // The settings it states keep what was set.
    void designCheckDigits() {
        DesignSettings settings;
        settings.nonSilting = 0.45;
        settings.bendRadius = 40.0000001;
        const BedTables beds;
        const DesignContext design{settings, beds};
        const CalculatorTable& table = calculations()[0];
        Record record;
        QVERIFY(runPress(table.press, Texts{"1.1", "1.1", "1.5", "0.0002", "0.025"}, record));
        const CalculationReport report = buildReport(table, record, {}, {}, &design);
        const ReportSection& check = report.sections.back();
        QVERIFY(check.title.ends_with("设计校核"));
        QString text;
        for (const ReportBlock& block : check.blocks) {
            if (const auto* paragraph = std::get_if<ReportText>(&block)) {
                text += QString::fromStdString(paragraph->text) + QLatin1Char('\n');
                continue;
            }
            const auto& t = std::get<ReportTable>(block);
            if (t.header.front().text == "校核设置") continue;
            for (const auto& row : t.rows) {
                for (const ReportCell& cell : row)
                    text += QString::fromStdString(cell.text) + QLatin1Char('\n');
            }
        }
        QVERIFY(text.contains(QStringLiteral("0.6·hd = ")));
        QVERIFY(text.contains(QStringLiteral("v不淤 = 0.45 m/s")));
        static const QRegularExpression number(QStringLiteral("[0-9]+(\\.[0-9]+)?"));
        for (auto match = number.globalMatch(text); match.hasNext();) {
            const QString written = match.next().captured();
            QString digits = written;
            digits.remove(QLatin1Char('.'));
            while (digits.startsWith(QLatin1Char('0')))
                digits.remove(0, 1);
            QVERIFY2(digits.size() <= 6, qPrintable(written + QLatin1String(" in\n") + text));
        }
    }
};

QTEST_GUILESS_MAIN(ReportTest)
#include "test_report.moc"
