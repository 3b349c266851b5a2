// portablePow, the power every calculation uses, against the C library's pow and against
// the 113-bit powq of libquadmath.
//
// glibc's pow is accurate to about half a unit in the last place but not correctly rounded,
// so the two may differ in the last bit. Where they differ, the 113-bit result decides which
// double is nearest the exact power, and it must always be portablePow's. The number of
// differences from glibc is printed for every row.

#include <QTest>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "hydraulics/portable_pow.h"

extern "C" {
#include <quadmath.h>
}

using lintavo::portablePow;

namespace {

__extension__ typedef __float128 Quad;

// The double nearest the exact x^y, from a result carried to 113 bits.
double nearestToExact(double x, double y) {
    return static_cast<double>(powq(static_cast<Quad>(x), static_cast<Quad>(y)));
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// A base with a uniformly random significand and a binary exponent uniform in [low, high]:
// every magnitude in the range is met as often as every other.
double randomBase(std::mt19937_64& random, int low, int high) {
    const std::uint64_t bits = random();
    const auto span = static_cast<std::uint64_t>(high - low + 1);
    const int exponent = low + static_cast<int>((bits >> 52) % span);
    const std::uint64_t significand = bits & ((std::uint64_t{1} << 52) - 1);
    return std::bit_cast<double>((static_cast<std::uint64_t>(exponent + 1023) << 52) | significand);
}

constexpr double sixth = 1.0 / 6.0;

}  // namespace

class PortablePowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void agreesWithTheCLibrary_data() {
        QTest::addColumn<double>("exponent");
        QTest::addColumn<int>("low");  // binary exponents of the bases
        QTest::addColumn<int>("high");

        // The exponents the calculators raise to: 2 (written 2 and 2.0), 1/6 and 1/6 + 1/2
        // in the Manning and Chézy formulas, 0.5 and 1.5 in the section's dimensions.
        const struct {
            const char* name;
            double exponent;
        } exponents[] = {
            {"2", 2.0}, {"1/6", sixth}, {"1/6+1/2", sixth + 0.5}, {"0.5", 0.5}, {"1.5", 1.5}};
        const struct {
            const char* name;
            int low;
            int high;
        } ranges[] = {{"tiny bases 2^-60..2^-20", -60, -20},
                      {"channel-sized bases 2^-20..2^20", -20, 20},
                      {"huge bases 2^20..2^300", 20, 300}};
        for (const auto& e : exponents) {
            for (const auto& r : ranges) {
                QTest::addRow("x^%s, %s", e.name, r.name) << e.exponent << r.low << r.high;
            }
        }
    }

    void agreesWithTheCLibrary() {
        QFETCH(double, exponent);
        QFETCH(int, low);
        QFETCH(int, high);
        constexpr int samples = 200000;
        constexpr int checkedEvery = 64;  // also settled against powq where the two agree
        std::mt19937_64 random(static_cast<std::uint64_t>(low * 1000 + high) ^
                               std::bit_cast<std::uint64_t>(exponent));
        int differences = 0;
        for (int k = 0; k < samples; ++k) {
            const double x = randomBase(random, low, high);
            const double ours = portablePow(x, exponent);
            const double theirs = std::pow(x, exponent);
            const bool differ = !sameBits(ours, theirs);
            if (differ) {
                ++differences;
                // Never more than the last bit apart.
                QVERIFY2(std::nextafter(theirs, ours) == ours,
                         qPrintable(QStringLiteral("x = %1: %2 against glibc's %3")
                                        .arg(x, 0, 'a')
                                        .arg(ours, 0, 'a')
                                        .arg(theirs, 0, 'a')));
            }
            if (differ || k % checkedEvery == 0) {
                const double exact = nearestToExact(x, exponent);
                QVERIFY2(sameBits(ours, exact),
                         qPrintable(QStringLiteral("x = %1: %2, the nearest double is %3")
                                        .arg(x, 0, 'a')
                                        .arg(ours, 0, 'a')
                                        .arg(exact, 0, 'a')));
            }
        }
        qInfo(
            "%d of %d powers differ from glibc's pow in the last bit; each was settled "
            "by powq in portablePow's favour",
            differences, samples);
    }

    void basesNextToOne_data() {
        QTest::addColumn<double>("exponent");
        QTest::newRow("x^1/6") << sixth;
        QTest::newRow("x^(1/6+1/2)") << sixth + 0.5;
        QTest::newRow("x^0.5") << 0.5;
        QTest::newRow("x^1.5") << 1.5;
    }

    // Within a few thousand units of 1, x^y lies next to a halfway point between two
    // doubles, where only the last of the ~106 bits carried decides the rounding.
    void basesNextToOne() {
        QFETCH(double, exponent);
        for (int k = 1; k <= 4000; ++k) {
            for (const double x : {1.0 + k * 0x1p-52, 1.0 - k * 0x1p-53}) {
                QVERIFY2(sameBits(portablePow(x, exponent), nearestToExact(x, exponent)),
                         qPrintable(QStringLiteral("x = 1 %1 %2 units")
                                        .arg(x > 1.0 ? QLatin1Char('+') : QLatin1Char('-'))
                                        .arg(k)));
            }
        }
    }

    void halfwayProducts_data() {
        QTest::addColumn<double>("base");
        // (2^27 − 1)² = 2^54 − 2^28 + 1 needs 54 bits: it lies exactly halfway between two
        // doubles and rounds to the even one.
        QTest::newRow("(2^27-1)^2") << 134217727.0;
        QTest::newRow("(2^27-3)^2") << 134217725.0;
        QTest::newRow("((2^27-1)/2^40)^2") << 134217727.0 / 0x1p40;
    }

    void halfwayProducts() {
        QFETCH(double, base);
        QVERIFY(sameBits(portablePow(base, 2.0), nearestToExact(base, 2.0)));
    }

    void specialOperands_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        constexpr double inf = std::numeric_limits<double>::infinity();
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("x^0 is 1, even for NaN") << nan << 0.0;
        QTest::newRow("1^y is 1, even for NaN") << 1.0 << nan;
        QTest::newRow("NaN base") << nan << 2.0;
        QTest::newRow("NaN exponent") << 2.0 << nan;
        QTest::newRow("negative base, odd exponent") << -3.0 << 3.0;
        QTest::newRow("negative base, even exponent") << -3.0 << 2.0;
        QTest::newRow("negative base, negative odd exponent") << -2.0 << -1.0;
        QTest::newRow("negative base, fractional exponent") << -8.0 << sixth;
        QTest::newRow("negative base beyond 2^53") << -2.0 << 0x1p60;
        QTest::newRow("-1 to an infinite power") << -1.0 << inf;
        QTest::newRow("zero to a positive power") << 0.0 << 1.5;
        QTest::newRow("negative zero to an odd power") << -0.0 << 3.0;
        QTest::newRow("negative zero to an even power") << -0.0 << 2.0;
        QTest::newRow("zero to a negative power") << 0.0 << -0.5;
        QTest::newRow("negative zero to a negative odd power") << -0.0 << -1.0;
        QTest::newRow("infinite base") << inf << 0.5;
        QTest::newRow("infinite base, negative power") << inf << -2.0;
        QTest::newRow("negative infinite base, odd power") << -inf << 3.0;
        QTest::newRow("small base to +inf") << 0.5 << inf;
        QTest::newRow("large base to -inf") << 3.0 << -inf;
        QTest::newRow("overflow") << 1e300 << 1.5;
        QTest::newRow("just overflows") << 0x1.fffffffffffffp1023 << 1.0000001;
        QTest::newRow("underflow to zero") << 1e-300 << 3.5;
        QTest::newRow("subnormal base") << 0x1p-1070 << sixth;
        QTest::newRow("largest base, root") << 0x1.fffffffffffffp1023 << 0.5;
        QTest::newRow("base next to 1") << 0x1.0000000000001p0 << sixth + 0.5;
        QTest::newRow("base just under 1") << 0x1.fffffffffffffp-1 << 1.5;
    }

    void specialOperands() {
        QFETCH(double, x);
        QFETCH(double, y);
        const double ours = portablePow(x, y);
        const double theirs = std::pow(x, y);
        if (std::isnan(theirs)) {
            QVERIFY(std::isnan(ours));
        } else {
            QVERIFY2(
                sameBits(ours, theirs),
                qPrintable(
                    QStringLiteral("%1 against glibc's %2").arg(ours, 0, 'a').arg(theirs, 0, 'a')));
        }
    }
};

QTEST_APPLESS_MAIN(PortablePowTest)
#include "test_portable_pow.moc"
