// The two bisections: worked examples, failures, the honest "no solution", the exact-zero
// product, step counts, and an independent evaluation of every step in plain float and
// double that spells out where lo is still the integer 0.

#include <QTest>
#include <cmath>
#include <vector>

#include "calculators/bottom_width.h"
#include "calculators/normal_depth.h"
#include "hydraulics/section.h"
#include "tests/unit/bits.h"
#include "tests/unit/press_checks.h"
#include "tests/unit/reference_pow.h"

using namespace lintavo;
using namespace lintavo::testing;

namespace {

std::string text(double x) {
    return QByteArray::number(x, 'g', 9).toStdString();
}

// The Manning residual, with the kinds written out. `x` is the trial value; `atIntegerZero`
// says that it is still the bracket's integer starting end, where the area and its quotient
// by n are singles.
double referenceResidual(float Q, float b, float m, float h, float i, float n, bool trialIsDepth,
                         bool atIntegerZero, double x) {
    const double wall = std::sqrt(1.0 + referencePow(static_cast<double>(m), 2.0));
    const double exponent = 1.0 / 6.0 + 1.0 / 2.0;
    const double rootOfSlope = std::sqrt(static_cast<double>(i));
    double A = 0;
    double areaOverN = 0;
    double P = 0;
    if (atIntegerZero) {
        // The trial end is the integer 0: every step of A stays single.
        const float area = trialIsDepth ? (b + m * 0.0F) * 0.0F : (0.0F + m * h) * h;
        A = static_cast<double>(area);
        areaOverN = static_cast<double>(area / n);
        P = trialIsDepth ? static_cast<double>(b) : (static_cast<double>(2.0F * h) * wall);
    } else if (trialIsDepth) {
        A = (static_cast<double>(b) + static_cast<double>(m) * x) * x;
        areaOverN = A / static_cast<double>(n);
        P = static_cast<double>(b) + (2.0 * x) * wall;
    } else {
        const float mh = m * h;  // single × single before the double trial width joins
        A = (x + static_cast<double>(mh)) * static_cast<double>(h);
        areaOverN = A / static_cast<double>(n);
        P = x + static_cast<double>(2.0F * h) * wall;
    }
    const double R = A / P;
    return static_cast<double>(Q) - (areaOverN * referencePow(R, exponent)) * rootOfSlope;
}

// Returns the final midpoint, or NaN when hi never moved.
double referenceBisection(float Q, float b, float m, float h, float i, float n, bool depth) {
    double lo = 0.0;
    double hi = 10.0;
    bool loIsInteger = true;
    bool hiMoved = false;
    const auto step = [&] {
        const double mid = (lo + hi) / 2.0;
        const double atLo = referenceResidual(Q, b, m, h, i, n, depth, loIsInteger, lo);
        const double atMid = referenceResidual(Q, b, m, h, i, n, depth, false, mid);
        if (atLo * atMid > 0.0) {
            lo = mid;
            loIsInteger = false;
        } else {
            hi = mid;
            hiMoved = true;
        }
    };
    if (depth) {
        while (hi - lo > 1e-7)
            step();
    } else {
        do {
            step();
        } while (!(hi - lo < 1e-6));
    }
    return hiMoved ? (lo + hi) / 2.0 : std::nan("");
}

}  // namespace

class BisectionTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void normalDepth_data() {
        QTest::addColumn<Texts>("inputs");  // Q, b, m, i, n
        QTest::addColumn<std::string>("depth");

        QTest::newRow("trapezoid, cut not rounded")
            << Texts{"10", "5", "1.5", "0.0005", "0.025"} << std::string("1.498");
        QTest::newRow("rectangle")
            << Texts{"2", "1", "0", "0.001", "0.014"} << std::string("1.673");
        QTest::newRow("Q = 0 closes on 0")
            << Texts{"0", "1", "0", "0.001", "0.03"} << std::string("0");
        // f(1.25) is exactly 0 (b 10, m 0: A = P = 12.5, R = 1): hi stops there and lo
        // climbs to 10·2^-28 below it.
        QTest::newRow("exact root 1.25 shows 1.249")
            << Texts{"12.5", "10", "0", "0.25", "0.5"} << std::string("1.249");
        QTest::newRow("full-width digits")
            << Texts{"１０", "５", "１．５", "０．０００５", "０．０２５"} << std::string("1.498");
    }

    void normalDepth() {
        QFETCH(Texts, inputs);
        QFETCH(std::string, depth);
        QCOMPARE(pressNormalDepth(inputs), Texts{depth});
    }

    void normalDepthFailures_data() {
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<FailureKind>("failure");

        QTest::newRow("depth over 10 m")
            << Texts{"100", "1", "0", "0.001", "0.03"} << FailureKind::NoSolution;
        QTest::newRow("no slope, no flow")
            << Texts{"2", "1", "0", "0", "0.03"} << FailureKind::NoSolution;
        QTest::newRow("Q < 0") << Texts{"-2", "1", "0", "0.001", "0.014"}
                               << FailureKind::NoSolution;
        QTest::newRow("i < 0 at the first √i")
            << Texts{"2", "1", "0", "-0.001", "0.014"} << FailureKind::InvalidArgument;
        QTest::newRow("i < 0 before n = 0")
            << Texts{"2", "1", "0", "-0.001", "0"} << FailureKind::InvalidArgument;
        QTest::newRow("n = 0: A(0)/n is 0/0")
            << Texts{"2", "1", "0", "0.001", "0"} << FailureKind::DivisionByZero;
        QTest::newRow("b = 0: R(0) is 0/0")
            << Texts{"2", "0", "1", "0.001", "0.014"} << FailureKind::DivisionByZero;
        QTest::newRow("negative R at the power")
            << Texts{"2", "-1", "0", "0.001", "0.014"} << FailureKind::InvalidArgument;
        QTest::newRow("empty Q") << Texts{"", "1", "0", "0.001", "0.014"}
                                 << FailureKind::TypeMismatch;
        QTest::newRow("n beyond single")
            << Texts{"2", "1", "0", "0.001", "-1e40"} << FailureKind::Overflow;
    }

    void normalDepthFailures() {
        QFETCH(Texts, inputs);
        QFETCH(FailureKind, failure);
        expectFailure(pressNormalDepth, inputs, failure);
    }

    void bottomWidth_data() {
        QTest::addColumn<Texts>("inputs");  // Q, h, m, i, n
        QTest::addColumn<std::string>("width");

        QTest::newRow("rectangle")
            << Texts{"2", "0.5", "0", "0.001", "0.014"} << std::string("3.346");
        QTest::newRow("trapezoid, cut not rounded")
            << Texts{"5", "1.2", "1", "0.0004", "0.02"} << std::string("3.552");
        QTest::newRow("rectangle with Q = 0 closes on 0")
            << Texts{"0", "1.5", "0", "0.001", "0.025"} << std::string("0");
        // h 5, m 0: at the width 2.5, A = P = 12.5 and R = 1, so f is exactly 0 there.
        QTest::newRow("exact root 2.5 shows 2.499")
            << Texts{"12.5", "5", "0", "0.25", "0.5"} << std::string("2.499");
    }

    void bottomWidth() {
        QFETCH(Texts, inputs);
        QFETCH(std::string, width);
        QCOMPARE(pressBottomWidth(inputs), Texts{width});
    }

    void bottomWidthFailures_data() {
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<FailureKind>("failure");

        QTest::newRow("10 m is not enough")
            << Texts{"100", "1", "0", "0.001", "0.03"} << FailureKind::NoSolution;
        QTest::newRow("zero width already carries more")
            << Texts{"0.5", "1.5", "1.5", "0.001", "0.025"} << FailureKind::NoSolution;
        QTest::newRow("no slope with Q ≠ 0")
            << Texts{"2", "1", "0", "0", "0.025"} << FailureKind::NoSolution;
        QTest::newRow("i < 0") << Texts{"2", "1", "0", "-0.001", "0.025"}
                               << FailureKind::InvalidArgument;
        QTest::newRow("n = 0") << Texts{"2", "1", "1", "0.001", "0"} << FailureKind::DivisionByZero;
        QTest::newRow("h = 0: R(0) is 0/0")
            << Texts{"2", "0", "1", "0.001", "0.025"} << FailureKind::DivisionByZero;
        QTest::newRow("negative h gives negative R")
            << Texts{"2", "-1", "0", "0.001", "0.025"} << FailureKind::InvalidArgument;
        QTest::newRow("letters in m")
            << Texts{"2", "1", "m", "0.001", "0.025"} << FailureKind::TypeMismatch;
    }

    void bottomWidthFailures() {
        QFETCH(Texts, inputs);
        QFETCH(FailureKind, failure);
        expectFailure(pressBottomWidth, inputs, failure);
    }

    // A root just inside the bracket is still found and cut to 9.999; one just outside it
    // is no solution. Q is the section's own discharge at that depth or width.
    void edgesOfTheBracket() {
        const auto depthQ = [](double h) {
            return static_cast<float>(
                manningDischarge(s(1), s(0), Value::dbl(h), s(0.001F), s(0.03F)).number());
        };
        QCOMPARE(pressNormalDepth(Texts{text(depthQ(9.9995)), "1", "0", "0.001", "0.03"}),
                 Texts{"9.999"});
        expectFailure(pressNormalDepth, Texts{text(depthQ(10.0005)), "1", "0", "0.001", "0.03"},
                      FailureKind::NoSolution);

        const auto widthQ = [](double b) {
            return static_cast<float>(
                manningDischarge(Value::dbl(b), s(1), s(1), s(0.001F), s(0.025F)).number());
        };
        QCOMPARE(pressBottomWidth(Texts{text(widthQ(9.9995)), "1", "1", "0.001", "0.025"}),
                 Texts{"9.999"});
        expectFailure(pressBottomWidth, Texts{text(widthQ(10.0005)), "1", "1", "0.001", "0.025"},
                      FailureKind::NoSolution);
        // Just above the discharge of a zero bottom width there is a tiny width; just below,
        // none.
        const float zeroWidthQ = widthQ(0.0);
        QCOMPARE(pressBottomWidth(Texts{text(std::nextafter(zeroWidthQ * 1.0001F, 1e9F)), "1", "1",
                                        "0.001", "0.025"}),
                 Texts{"0"});
        expectFailure(pressBottomWidth,
                      Texts{text(zeroWidthQ * 0.9999F), "1", "1", "0.001", "0.025"},
                      FailureKind::NoSolution);
    }

    void stepCounts() {
        const auto halvings = [](Press press, Texts inputs) {
            Record record;
            try {
                press(inputs, &record);
            } catch (const CalculationFailure&) {
                // A bracket that held no answer is kept all the same.
            }
            return record.bisection ? record.bisection->halvings : -1;
        };
        QCOMPARE(halvings(pressNormalDepth, {"10", "5", "1.5", "0.0005", "0.025"}), 27);
        QCOMPARE(halvings(pressNormalDepth, {"0", "5", "1.5", "0.0005", "0.025"}), 27);
        QCOMPARE(halvings(pressNormalDepth, {"100", "1", "0", "0.001", "0.03"}), 27);
        QCOMPARE(halvings(pressBottomWidth, {"5", "1.2", "1", "0.0004", "0.02"}), 24);
        QCOMPARE(halvings(pressBottomWidth, {"0", "1.2", "0", "0.0004", "0.02"}), 24);
        QCOMPARE(halvings(pressBottomWidth, {"100", "1", "0", "0.001", "0.03"}), 24);
        // The midpoint is a double from the first step on.
        QCOMPARE(solveNormalDepth(s(0), s(5), s(1.5F), s(0.0005F), s(0.025F)).kind(), Kind::Double);
    }

    // Bit for bit against the evaluation written out with casts, over a grid that spans
    // rectangles and trapezoids, roots near 0 and near 10, and no roots at all.
    void matchesAnIndependentEvaluation() {
        const std::vector<float> discharges{0.0F, 0.05F, 0.7F, 3.0F, 25.0F, 180.0F, 1500.0F};
        const std::vector<float> lengths{0.2F, 0.9F, 2.5F, 6.0F};
        const std::vector<float> slopes{0.0F, 0.75F, 1.5F, 2.0F};
        const std::vector<float> falls{0.0F, 0.0002F, 0.001F, 0.01F};
        const std::vector<float> roughness{0.012F, 0.025F, 0.033F};
        int solved = 0;
        int unsolved = 0;
        for (float Q : discharges) {
            for (float length : lengths) {
                for (float m : slopes) {
                    for (float i : falls) {
                        for (float n : roughness) {
                            for (bool depth : {true, false}) {
                                const double expected =
                                    depth ? referenceBisection(Q, length, m, 0, i, n, true)
                                          : referenceBisection(Q, 0, m, length, i, n, false);
                                try {
                                    const Value got =
                                        depth ? solveNormalDepth(s(Q), s(length), s(m), s(i), s(n))
                                              : solveBottomWidth(s(Q), s(length), s(m), s(i), s(n));
                                    QCOMPARE(bits(got.number()), bits(expected));
                                    ++solved;
                                } catch (const CalculationFailure& f) {
                                    QCOMPARE(f.kind(), FailureKind::NoSolution);
                                    QVERIFY(std::isnan(expected));
                                    ++unsolved;
                                }
                            }
                        }
                    }
                }
            }
        }
        QVERIFY(solved > 1000);
        QVERIFY(unsolved > 100);
    }
};

QTEST_APPLESS_MAIN(BisectionTest)
#include "test_bisection.moc"
