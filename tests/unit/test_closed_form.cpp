// The two closed-form calculations, bottom slope and section dimensions: worked examples,
// failures with their kinds, the output rule of the section window, and an independent
// evaluation of every step in plain float and double.

#include <QTest>
#include <cmath>
#include <vector>

#include "calculators/bottom_slope.h"
#include "calculators/section_dimensions.h"
#include "tests/unit/bits.h"
#include "tests/unit/press_checks.h"
#include "tests/unit/reference_pow.h"

using namespace lintavo;
using namespace lintavo::testing;

using Candidate = std::optional<double>;
Q_DECLARE_METATYPE(Candidate)

namespace {

double referenceSlope(float Q, float b, float m, float h, float n) {
    const float A = (b + m * h) * h;
    const double P =
        static_cast<double>(b) +
        static_cast<double>(2.0F * h) * std::sqrt(1.0 + referencePow(static_cast<double>(m), 2.0));
    const double R = static_cast<double>(A) / P;
    const double C = static_cast<double>(1.0F / n) * referencePow(R, 1.0 / 6.0);
    const double C2 = referencePow(C, 2.0);
    const double Q2 = referencePow(static_cast<double>(Q), 2.0);
    const double A2 = referencePow(static_cast<double>(A), 2.0);
    return Q2 / ((C2 * A2) * R);
}

struct ReferenceSection {
    double h1, h2, b1, b2;
};

ReferenceSection referenceSection(float Q, float v, float m, float i, float n) {
    const float A = Q / v;
    const float nv = n * v;
    const double R =
        referencePow(static_cast<double>(nv) / referencePow(static_cast<double>(i), 0.5), 1.5);
    const double P = static_cast<double>(A) / R;
    const double sw = std::sqrt(1.0 + referencePow(static_cast<double>(m), 2.0));
    const float fourA = 4.0F * A;
    const double D = std::sqrt(referencePow(P, 2.0) +
                               static_cast<double>(fourA) * (static_cast<double>(m) - 2.0 * sw));
    const double divisor = 2.0 * (static_cast<double>(m) - 2.0 * sw);
    const double h1 = (D - P) / divisor;
    const double h2 = (-P - D) / divisor;
    return {h1, h2, P - (2.0 * sw) * h1, P - (2.0 * sw) * h2};
}

}  // namespace

class ClosedFormTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void bottomSlope_data() {
        QTest::addColumn<Texts>("inputs");  // Q, b, m, h, n
        QTest::addColumn<std::string>("slope");

        QTest::newRow("trapezoid") << Texts{"5", "2", "1", "1", "0.025"} << std::string("0.00327");
        QTest::newRow("discharge example reversed cuts to 0.00099")
            << Texts{"2.763", "2", "1", "1", "0.025"} << std::string("0.00099");
        QTest::newRow("a little more Q reaches 0.001")
            << Texts{"2.7631", "2", "1", "1", "0.025"} << std::string("0.001");
        QTest::newRow("rectangle") << Texts{"1", "2", "0", "1", "0.025"} << std::string("0.00039");
        QTest::newRow("Q = 0") << Texts{"0", "2", "1", "1", "0.025"} << std::string("0");
        QTest::newRow("sign of Q lost in the square")
            << Texts{"-5", "2", "1", "1", "0.025"} << std::string("0.00327");
        QTest::newRow("sign of n lost in the square")
            << Texts{"5", "2", "1", "1", "-0.025"} << std::string("0.00327");
        QTest::newRow("below 0.00001 shows 0")
            << Texts{"0.1", "5", "1.5", "1.2", "0.02"} << std::string("0");
        QTest::newRow("one significant digit, plain decimals")
            << Texts{"0.5", "2", "1", "1", "0.025"} << std::string("0.00003");
        QTest::newRow("steep and rough")
            << Texts{"50", "1", "0", "0.5", "0.05"} << std::string("158.7401");
    }

    void bottomSlope() {
        QFETCH(Texts, inputs);
        QFETCH(std::string, slope);
        QCOMPARE(pressBottomSlope(inputs), Texts{slope});
    }

    void bottomSlopeFailures_data() {
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<FailureKind>("failure");

        QTest::newRow("the preset texts: b = h = 0 makes P = 0")
            << Texts{"0", "0", "0", "0", "0.025"} << FailureKind::DivisionByZero;
        QTest::newRow("h = 0 with b = 2 fails at the quotient")
            << Texts{"5", "2", "1", "0", "0.025"} << FailureKind::DivisionByZero;
        QTest::newRow("n = 0") << Texts{"5", "2", "1", "1", "0"} << FailureKind::DivisionByZero;
        QTest::newRow("R < 0") << Texts{"5", "-2", "1", "1", "0.025"}
                               << FailureKind::InvalidArgument;
        QTest::newRow("h that is not a number")
            << Texts{"5", "2", "1", "y", "0.025"} << FailureKind::TypeMismatch;
        QTest::newRow("Q beyond single")
            << Texts{"3.5e38", "2", "1", "1", "0.025"} << FailureKind::Overflow;
    }

    void bottomSlopeFailures() {
        QFETCH(Texts, inputs);
        QFETCH(FailureKind, failure);
        expectFailure(pressBottomSlope, inputs, failure);
    }

    void readsMBeforeH() {
        // Both m and h are bad: the one read first is named.
        expectFailure(pressBottomSlope, Texts{"5", "2", "x", "y", "0.025"},
                      FailureKind::TypeMismatch, std::size_t{2});
    }

    void bottomSlopeMatchesAnIndependentEvaluation() {
        for (float Q : {0.0F, 0.3F, 2.763F, 17.0F, 450.0F}) {
            for (float b : {0.0F, 0.5F, 2.0F, 9.0F}) {
                for (float m : {0.0F, 0.5F, 1.0F, 2.5F}) {
                    for (float h : {0.1F, 1.0F, 3.3F}) {
                        for (float n : {0.011F, 0.025F, 0.04F}) {
                            if (b == 0.0F && m == 0.0F) continue;  // no section
                            const Value got = computeBottomSlope(s(Q), s(b), s(m), s(h), s(n));
                            QCOMPARE(got.kind(), Kind::Double);
                            QCOMPARE(bits(got.number()), bits(referenceSlope(Q, b, m, h, n)));
                        }
                    }
                }
            }
        }
    }

    void sectionDimensions_data() {
        QTest::addColumn<Texts>("inputs");   // Q, v, m, i, n
        QTest::addColumn<Texts>("results");  // depths, widths

        QTest::newRow("one width: the second is negative")
            << Texts{"10", "1", "1", "0.001", "0.025"} << Texts{"0.781或6.999", "12.016"};
        QTest::newRow("rectangle, two of each")
            << Texts{"5", "0.8", "0", "0.001", "0.014"} << Texts{"0.213或14.612", "29.224或0.427"};
        QTest::newRow("Q = 0 gives two zero roots")
            << Texts{"0", "1", "1", "0.001", "0.025"} << Texts{"无解", "无解"};
        QTest::newRow("Q < 0: only the deeper root")
            << Texts{"-10", "1", "1", "0.001", "0.025"} << Texts{"0.648", "无解"};
        QTest::newRow("negative m is computed like any other")
            << Texts{"10", "1", "-0.5", "0.001", "0.025"} << Texts{"0.837或4.361", "12.352或4.473"};
    }

    void sectionDimensions() {
        QFETCH(Texts, inputs);
        QFETCH(Texts, results);
        QCOMPARE(pressSectionDimensions(inputs), results);
    }

    void sectionFailures_data() {
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<FailureKind>("failure");

        QTest::newRow("untouched window fails at Q")
            << Texts{"", "", "", "", ""} << FailureKind::TypeMismatch;
        QTest::newRow("v = 0") << Texts{"10", "0", "1", "0.001", "0.025"}
                               << FailureKind::DivisionByZero;
        QTest::newRow("i < 0") << Texts{"10", "1", "1", "-0.001", "0.025"}
                               << FailureKind::InvalidArgument;
        QTest::newRow("i = 0") << Texts{"10", "1", "1", "0", "0.025"}
                               << FailureKind::DivisionByZero;
        QTest::newRow("n·v < 0") << Texts{"10", "1", "1", "0.001", "-0.025"}
                                 << FailureKind::InvalidArgument;
        QTest::newRow("n = 0 makes R = 0")
            << Texts{"10", "1", "1", "0.001", "0"} << FailureKind::DivisionByZero;
        QTest::newRow("negative discriminant is a failure, not 无解")
            << Texts{"10", "1.2", "1.5", "0.0005", "0.02"} << FailureKind::InvalidArgument;
    }

    void sectionFailures() {
        QFETCH(Texts, inputs);
        QFETCH(FailureKind, failure);
        expectFailure(pressSectionDimensions, inputs, failure);
    }

    void formatCandidates_data() {
        QTest::addColumn<Candidate>("x1");
        QTest::addColumn<Candidate>("x2");
        QTest::addColumn<std::string>("text");

        QTest::newRow("both positive")
            << Candidate(0.78112) << Candidate(6.99901) << std::string("0.781或6.999");
        QTest::newRow("first only")
            << Candidate(12.0163) << Candidate(-5.57) << std::string("12.016");
        QTest::newRow("second only")
            << Candidate(-1.0) << Candidate(0.6485) << std::string("0.648");
        QTest::newRow("absent counts as 0") << Candidate() << Candidate(2.5) << std::string("2.5");
        QTest::newRow("neither") << Candidate(0.0) << Candidate() << std::string("无解");
        QTest::newRow("both absent") << Candidate() << Candidate() << std::string("无解");
        QTest::newRow("below 0.001 passes the test and shows 0")
            << Candidate(0.0004) << Candidate() << std::string("0");
        QTest::newRow("equal roots shown twice")
            << Candidate(1.5) << Candidate(1.5) << std::string("1.5或1.5");
        QTest::newRow("cut, not rounded")
            << Candidate(0.9999999) << Candidate(2.0) << std::string("0.999或2");
    }

    void formatCandidates() {
        QFETCH(Candidate, x1);
        QFETCH(Candidate, x2);
        QFETCH(std::string, text);
        const auto value = [](Candidate x) {
            return x ? std::optional<Value>(Value::dbl(*x)) : std::nullopt;
        };
        QCOMPARE(lintavo::formatCandidates(value(x1), value(x2)), text);
    }

    void sectionMatchesAnIndependentEvaluation() {
        for (float Q : {-8.0F, 0.5F, 5.0F, 10.0F, 120.0F}) {
            for (float v : {0.3F, 0.8F, 1.0F, 2.2F}) {
                for (float m : {-0.5F, 0.0F, 1.0F, 1.5F}) {
                    for (float i : {0.0002F, 0.001F, 0.004F}) {
                        for (float n : {0.012F, 0.025F}) {
                            const ReferenceSection expected = referenceSection(Q, v, m, i, n);
                            if (std::isnan(expected.h1)) {  // negative discriminant
                                expectFailureOf(
                                    [&] {
                                        return lintavo::sectionDimensions(s(Q), s(v), s(m), s(i),
                                                                          s(n));
                                    },
                                    FailureKind::InvalidArgument);
                                continue;
                            }
                            const SectionCandidates got =
                                lintavo::sectionDimensions(s(Q), s(v), s(m), s(i), s(n));
                            QCOMPARE(bits(got.h1.number()), bits(expected.h1));
                            QCOMPARE(bits(got.h2.number()), bits(expected.h2));
                            QCOMPARE(got.b1.has_value(), expected.h1 > 0);
                            QCOMPARE(got.b2.has_value(), expected.h2 > 0);
                            if (got.b1) QCOMPARE(bits(got.b1->number()), bits(expected.b1));
                            if (got.b2) QCOMPARE(bits(got.b2->number()), bits(expected.b2));
                        }
                    }
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(ClosedFormTest)
#include "test_closed_form.moc"
