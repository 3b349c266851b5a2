// The discharge press, text in and text out: the worked examples, every failure point with
// its kind and field, and an independent evaluation of the same steps in plain float and
// double, written with a cast at every step, over a grid of inputs.

#include <QTest>
#include <cmath>
#include <string>
#include <vector>

#include "calculators/discharge.h"
#include "tests/unit/bits.h"
#include "tests/unit/press_checks.h"
#include "tests/unit/reference_pow.h"

using lintavo::testing::bits;
using lintavo::testing::referencePow;
using namespace lintavo;

namespace {

struct Reference {
    double Q;
    float v;
};

// Step by step with the kind of each step spelled out: A single, everything from P on
// double, 1/n single, v the quotient rounded to single.
Reference referenceDischarge(float b, float h, float m, float i, float n) {
    const float mh = m * h;
    const float sum = b + mh;
    const float A = sum * h;
    const double root = std::sqrt(1.0 + referencePow(static_cast<double>(m), 2.0));
    const float twoH = 2.0F * h;
    const double P = static_cast<double>(b) + static_cast<double>(twoH) * root;
    const double R = static_cast<double>(A) / P;
    const float reciprocal = 1.0F / n;
    const double C = static_cast<double>(reciprocal) * referencePow(R, 1.0 / 6.0);
    const double Q = (static_cast<double>(A) * C) * std::sqrt(R * static_cast<double>(i));
    return {Q, static_cast<float>(Q / static_cast<double>(A))};
}

std::string text(float x) {
    return QByteArray::number(static_cast<double>(x), 'g', 9).toStdString();
}

}  // namespace

class DischargeTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void workedExamples_data() {
        QTest::addColumn<Texts>("inputs");   // b, h, m, i, n
        QTest::addColumn<Texts>("results");  // Q, v

        QTest::newRow("trapezoid")
            << Texts{"2", "1", "1", "0.001", "0.025"} << Texts{"2.763", "0.921"};
        QTest::newRow("rectangle m = 0")
            << Texts{"2", "1", "0", "0.001", "0.025"} << Texts{"1.593", "0.796"};
        QTest::newRow("triangle b = 0")
            << Texts{"0", "1", "1", "0.001", "0.025"} << Texts{"0.632", "0.632"};
        QTest::newRow("no slope gives no flow")
            << Texts{"2", "1", "1", "0", "0.025"} << Texts{"0", "0"};
        QTest::newRow("negative n moves the floor away from zero")
            << Texts{"2", "1", "1", "0.001", "-0.025"} << Texts{"-2.764", "-0.922"};
        QTest::newRow("a number beside the initial blank")
            << Texts{" 2", "1 ", " 1", "0.001 ", " 0.025"} << Texts{"2.763", "0.921"};
        QTest::newRow("full-width digits")
            << Texts{"２", "１", "１", "０．００１", "０．０２５"} << Texts{"2.763", "0.921"};
    }

    void workedExamples() {
        QFETCH(Texts, inputs);
        QFETCH(Texts, results);
        QCOMPARE(pressDischarge(inputs), results);
    }

    void failures_data() {
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<FailureKind>("failure");
        QTest::addColumn<int>("input");  // -1: in the arithmetic

        QTest::newRow("a fresh window fails at b")
            << Texts{" ", " ", " ", " ", " "} << FailureKind::TypeMismatch << 0;
        QTest::newRow("letters in h")
            << Texts{"2", "abc", " ", " ", " "} << FailureKind::TypeMismatch << 1;
        QTest::newRow("empty n, after everything else")
            << Texts{"2", "1", "1", "0.001", ""} << FailureKind::TypeMismatch << 4;
        QTest::newRow("m beyond single")
            << Texts{"2", "1", "1e39", "x", " "} << FailureKind::Overflow << 2;
        QTest::newRow("b = h = 0: P = 0")
            << Texts{"0", "0", "1", "0.001", "0.025"} << FailureKind::DivisionByZero << -1;
        QTest::newRow("n = 0") << Texts{"2", "1", "1", "0.001", "0"} << FailureKind::DivisionByZero
                               << -1;
        QTest::newRow("R < 0") << Texts{"-2", "1", "1", "0.001", "0.025"}
                               << FailureKind::InvalidArgument << -1;
        QTest::newRow("n = 0 with R < 0 fails at 1/n")
            << Texts{"-2", "1", "1", "0.001", "0"} << FailureKind::DivisionByZero << -1;
        QTest::newRow("i < 0") << Texts{"2", "1", "1", "-0.001", "0.025"}
                               << FailureKind::InvalidArgument << -1;
        QTest::newRow("h = 0: Q / A is 0 / 0")
            << Texts{"2", "0", "1", "0.001", "0.025"} << FailureKind::DivisionByZero << -1;
        QTest::newRow("b + m·h = 0 with h ≠ 0")
            << Texts{"2", "1", "-2", "0.001", "0.025"} << FailureKind::DivisionByZero << -1;
        QTest::newRow("velocity beyond single")
            << Texts{"1", "1", "0", "1e30", "1e-30"} << FailureKind::Overflow << -1;
    }

    void failures() {
        QFETCH(Texts, inputs);
        QFETCH(FailureKind, failure);
        QFETCH(int, input);
        testing::expectFailure(pressDischarge, inputs, failure,
                               input < 0 ? std::optional<std::size_t>() : std::size_t(input));
    }

    // Every intermediate kind, checked through the unrounded results: Q to the last bit
    // and v as the single it is.
    void matchesAnIndependentEvaluation() {
        const std::vector<float> widths{0.0F, 0.3F, 1.0F, 2.0F, 7.5F, 120.0F};
        const std::vector<float> depths{0.05F, 0.4F, 1.0F, 2.7F, 9.9F};
        const std::vector<float> slopes{0.0F, 0.5F, 1.0F, 1.5F, 3.0F};
        const std::vector<float> falls{0.0001F, 0.0005F, 0.001F, 0.03F};
        const std::vector<float> roughness{0.011F, 0.014F, 0.025F, 0.04F};
        for (float b : widths) {
            for (float h : depths) {
                for (float m : slopes) {
                    for (float i : falls) {
                        for (float n : roughness) {
                            if (b == 0.0F && m == 0.0F) continue;  // no section
                            const Reference expected = referenceDischarge(b, h, m, i, n);
                            const Discharge got = computeDischarge(
                                Value::single(b), Value::single(h), Value::single(m),
                                Value::single(i), Value::single(n));
                            QCOMPARE(got.Q.kind(), Kind::Double);
                            QCOMPARE(got.v.kind(), Kind::Single);
                            QCOMPARE(bits(got.Q.number()), bits(expected.Q));
                            QCOMPARE(bits(got.v.number()), bits(static_cast<double>(expected.v)));
                            // And through the texts: Q truncated in double, v in its own way.
                            const Texts shown =
                                pressDischarge(Texts{text(b), text(h), text(m), text(i), text(n)});
                            QCOMPARE(
                                shown[0],
                                formatResult(Value::dbl(std::floor(expected.Q * 1000.0) / 1000.0)));
                        }
                    }
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(DischargeTest)
#include "test_discharge.moc"
