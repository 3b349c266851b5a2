// portablePow, the power every calculation uses, against exact answers: libquadmath's
// 113-bit powq rounded to double for sampled operands, exact integer arithmetic for the
// powers that lie halfway between two doubles, and C's table of special operands.

#include <QTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

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
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double general = -1.0;  // an exponent row that draws its exponents at random

// z^n in integers, or 0 once it passes 2^54.
std::uint64_t power(std::uint64_t z, int n) {
    std::uint64_t r = 1;
    for (int j = 0; j < n; ++j) {
        if (r > ((std::uint64_t{1} << 54) - 1) / z) return 0;
        r *= z;
    }
    return r;
}

// Whether odd z to the p lies halfway between two doubles while z^(2^root) is one.
bool isTie(std::uint64_t z, int p, int root) {
    const std::uint64_t base = power(z, 1 << root);
    return power(z, p) >= (std::uint64_t{1} << 53) && base != 0 && base < (std::uint64_t{1} << 53);
}

// Where z^p can have 54 bits: 2^(53/p) ≤ z ≤ 2^(54/p).
std::pair<std::uint64_t, std::uint64_t> oddRange(int p) {
    return {static_cast<std::uint64_t>(std::exp2(53.0 / p)),
            static_cast<std::uint64_t>(std::exp2(54.0 / p)) + 1};
}

}  // namespace

class PortablePowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void matchesTheExactPower_data() {
        QTest::addColumn<double>("exponent");
        QTest::addColumn<int>("low");  // binary exponents of the bases
        QTest::addColumn<int>("high");

        // The exponents the calculators raise to: 1/6 in Chézy's C, 2/3 and 1/6 + 1/2 in
        // Manning's discharge, 0.5 and 1.5 in the section's dimensions, 2 for squares; and
        // 3/8, 1/4, 2.5 around them. Each is sampled 200 000 times over three ranges.
        const struct {
            const char* name;
            double exponent;
        } exponents[] = {{"1/6", sixth},    {"2/3", 2.0 / 3.0}, {"1/6+1/2", sixth + 0.5},
                         {"0.5", 0.5},      {"1.5", 1.5},       {"2", 2.0},
                         {"3/8", 0.375},    {"1/4", 0.25},      {"2.5", 2.5},
                         {"any y", general}};
        const struct {
            const char* name;
            int low;
            int high;
        } ranges[] = {{"tiny bases 2^-400..2^-20", -400, -20},
                      {"channel-sized bases 2^-20..2^20", -20, 20},
                      {"huge bases 2^20..2^400", 20, 400}};
        for (const auto& e : exponents) {
            for (const auto& r : ranges) {
                QTest::addRow("x^%s, %s", e.name, r.name) << e.exponent << r.low << r.high;
            }
        }
    }

    void matchesTheExactPower() {
        QFETCH(double, exponent);
        QFETCH(int, low);
        QFETCH(int, high);
        constexpr int samples = 66667;
        std::mt19937_64 random(static_cast<std::uint64_t>(low * 1000 + high) ^
                               std::bit_cast<std::uint64_t>(exponent));
        int mismatches = 0;
        int subnormal = 0;  // the one documented exception: results below 2^-1022
        QString first;
        for (int k = 0; k < samples; ++k) {
            const double x = randomBase(random, low, high);
            // Any y: a random significand, |y ln x| up to about 1000, either sign.
            const double y = exponent != general
                                 ? exponent
                                 : std::ldexp(static_cast<double>(random() >> 11), -53) *
                                       (random() % 2 != 0 ? 1000.0 : -1000.0) /
                                       std::fabs(std::log2(x) * 0.693);
            const double exact = nearestToExact(x, y);
            if (std::fabs(exact) < std::numeric_limits<double>::min()) {
                ++subnormal;
                continue;
            }
            if (!sameBits(portablePow(x, y), exact)) {
                if (mismatches++ == 0) {
                    first = QStringLiteral("x = %1, y = %2: %3, the nearest double is %4")
                                .arg(x, 0, 'a')
                                .arg(y, 0, 'a')
                                .arg(portablePow(x, y), 0, 'a')
                                .arg(exact, 0, 'a');
                }
            }
        }
        QVERIFY2(mismatches == 0, qPrintable(QString::number(mismatches) +
                                             QStringLiteral(" mismatches; first ") + first));
        QVERIFY(subnormal < samples / 2);  // the row tests what it says
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

    void exactTies_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("even");  // the even neighbour, from python3's fractions
        // 208065³ = 9007351116674625, odd with 54 bits: halfway between …624 and …626.
        QTest::newRow("208065^3") << 208065.0 << 3.0 << 9007351116674624.0;
        QTest::newRow("1555^5") << 1555.0 << 5.0 << 9091843820471876.0;
        QTest::newRow("43291876489^1.5") << 43291876489.0 << 1.5 << 9007610865436764.0;
        QTest::newRow("7^19 as 49^9.5") << 49.0 << 9.5 << 0x1.43f9e0d2d93ecp+53;
        QTest::newRow("(208065/2^40)^3") << 208065.0 / 0x1p40 << 3.0 << 0x1.00011add69b20p-67;
        QTest::newRow("(1555/2^20)^5") << 1555.0 / 0x1p20 << 5.0 << 0x1.0267deca2e322p-47;
        QTest::newRow("(43291876489/2^64)^1.5")
            << 43291876489.0 / 0x1p64 << 1.5 << 0x1.0002feaf4642ep-43;
        // (2^27 − 1)² needs 54 bits too; x² is the IEEE product.
        QTest::newRow("(2^27-1)^2") << 134217727.0 << 2.0 << 0x1.ffffff8p53;
    }

    void exactTies() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, even);
        QVERIFY2(sameBits(portablePow(x, y), even),
                 qPrintable(QStringLiteral("%1").arg(portablePow(x, y), 0, 'a')));
    }

    void everyTieOfSmallPowers_data() {
        QTest::addColumn<int>("p");     // y = p / 2^k, x = z^(2^k), x^y = z^p
        QTest::addColumn<int>("root");  // k
        // Every p and k for which some odd z has such a power: z^p with 54 bits and z^(2^k)
        // with at most 53.
        for (int root = 0; root <= 2; ++root) {
            for (int p = 3; p <= 34; ++p) {
                if (root > 0 && p % 2 == 0) continue;
                const auto [from, to] = oddRange(p);
                for (std::uint64_t z = from | 1; z <= to; z += 2) {
                    if (isTie(z, p, root)) {
                        QTest::addRow("(z^%d)^(%d/%d)", 1 << root, p, 1 << root) << p << root;
                        break;
                    }
                }
            }
        }
    }

    // Odd z whose p-th power has exactly 54 bits, found and rounded with integers alone.
    void everyTieOfSmallPowers() {
        QFETCH(int, p);
        QFETCH(int, root);
        std::mt19937_64 random(static_cast<std::uint64_t>(p * 8 + root));
        const auto [from, to] = oddRange(p);
        int ties = 0;
        for (int k = 0; k < 2000; ++k) {
            const std::uint64_t z = (from + random() % (to - from + 1)) | 1;
            if (!isTie(z, p, root)) continue;
            const std::uint64_t half = power(z, p) >> 1;
            const std::uint64_t even = (half & 1) != 0 ? half + 1 : half;
            const double y = std::ldexp(p, -root);
            for (const int shift : {-300, 0, 40}) {
                const double x =
                    std::ldexp(static_cast<double>(power(z, 1 << root)), shift << root);
                const double expected = std::ldexp(static_cast<double>(even), 1 + shift * p);
                QVERIFY2(sameBits(portablePow(x, y), expected),
                         qPrintable(QStringLiteral("z = %1, shift %2").arg(z).arg(shift)));
            }
            ++ties;
        }
        QVERIFY(ties > 0);
    }

    void rootOfOnePlusSquare_data() {
        QTest::addColumn<int>("low");  // binary exponents of m
        QTest::addColumn<int>("high");
        QTest::newRow("side slopes 2^-30..2^30") << -30 << 30;
        QTest::newRow("every m 2^-1074..2^1023") << -1074 << 1023;
    }

    // √(1 + m²) against 113 bits; m² is exact there, and 1 + m² only loses bits far below
    // the double's rounding.
    void rootOfOnePlusSquare() {
        QFETCH(int, low);
        QFETCH(int, high);
        std::mt19937_64 random(static_cast<std::uint64_t>(high - low));
        for (int k = 0; k < 100000; ++k) {
            const double m =
                randomBase(random, std::max(low, -1022), high) * (k % 2 != 0 ? -1.0 : 1.0);
            const Quad q = m;
            const double exact = static_cast<double>(sqrtq(1 + q * q));
            QVERIFY2(sameBits(lintavo::rootOfOnePlusSquare(m), exact),
                     qPrintable(QStringLiteral("m = %1").arg(m, 0, 'a')));
        }
        // The ends, and Pythagorean triples: 1 + (3/4)² = (5/4)², 1 + (12/5)² = (13/5)².
        const double cases[][2] = {
            {0.0, 1.0},       {-0.75, 1.25},    {2.4, 2.6},
            {0x1p-1074, 1.0}, {0x1p27, 0x1p27}, {-1e300, 1e300},
            {inf, inf},       {-inf, inf},      {0x1.fffffffffffffp1023, 0x1.fffffffffffffp1023}};
        for (const auto& [m, root] : cases) {
            QVERIFY2(sameBits(lintavo::rootOfOnePlusSquare(m), root),
                     qPrintable(QStringLiteral("m = %1").arg(m, 0, 'a')));
        }
        QVERIFY(std::isnan(lintavo::rootOfOnePlusSquare(notANumber)));
    }

    void specialOperands_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expected");  // NaN: any NaN
        QTest::newRow("x^0 is 1, even for NaN") << notANumber << 0.0 << 1.0;
        QTest::newRow("x^-0 is 1") << -inf << -0.0 << 1.0;
        QTest::newRow("1^y is 1, even for NaN") << 1.0 << notANumber << 1.0;
        QTest::newRow("1^inf") << 1.0 << inf << 1.0;
        QTest::newRow("-1^inf") << -1.0 << inf << 1.0;
        QTest::newRow("-1^-inf") << -1.0 << -inf << 1.0;
        QTest::newRow("NaN base") << notANumber << 2.0 << notANumber;
        QTest::newRow("NaN exponent") << 2.0 << notANumber << notANumber;
        QTest::newRow("negative base, odd exponent") << -3.0 << 3.0 << -27.0;
        QTest::newRow("negative base, even exponent") << -3.0 << 4.0 << 81.0;
        QTest::newRow("negative base, negative odd exponent") << -2.0 << -1.0 << -0.5;
        QTest::newRow("negative base, fractional exponent") << -8.0 << sixth << notANumber;
        QTest::newRow("negative base beyond 2^53") << -2.0 << 0x1p60 << inf;
        QTest::newRow("+0^1.5") << 0.0 << 1.5 << 0.0;
        QTest::newRow("-0^1.5") << -0.0 << 1.5 << 0.0;
        QTest::newRow("-0^3") << -0.0 << 3.0 << -0.0;
        QTest::newRow("-0^2") << -0.0 << 2.0 << 0.0;
        QTest::newRow("-0^1e300") << -0.0 << 1e300 << 0.0;
        QTest::newRow("+0^-0.5") << 0.0 << -0.5 << inf;
        QTest::newRow("-0^-0.5") << -0.0 << -0.5 << inf;
        QTest::newRow("-0^-1") << -0.0 << -1.0 << -inf;
        QTest::newRow("-0^-2") << -0.0 << -2.0 << inf;
        QTest::newRow("-0^-inf") << -0.0 << -inf << inf;
        QTest::newRow("-0^inf") << -0.0 << inf << 0.0;
        QTest::newRow("+inf^0.5") << inf << 0.5 << inf;
        QTest::newRow("+inf^-2") << inf << -2.0 << 0.0;
        QTest::newRow("-inf^3") << -inf << 3.0 << -inf;
        QTest::newRow("-inf^1.5") << -inf << 1.5 << inf;
        QTest::newRow("-inf^2") << -inf << 2.0 << inf;
        QTest::newRow("-inf^-3") << -inf << -3.0 << -0.0;
        QTest::newRow("-inf^-1.5") << -inf << -1.5 << 0.0;
        QTest::newRow("-inf^-2") << -inf << -2.0 << 0.0;
        QTest::newRow("0.5^inf") << 0.5 << inf << 0.0;
        QTest::newRow("-0.5^inf") << -0.5 << inf << 0.0;
        QTest::newRow("0.5^-inf") << 0.5 << -inf << inf;
        QTest::newRow("3^-inf") << 3.0 << -inf << 0.0;
        QTest::newRow("-3^inf") << -3.0 << inf << inf;
        QTest::newRow("overflow") << 1e300 << 1.5 << inf;
        QTest::newRow("overflow, negative odd") << -1e300 << 3.0 << -inf;
        QTest::newRow("just overflows") << 0x1.fffffffffffffp1023 << 1.0000001 << inf;
        QTest::newRow("underflow to zero") << 1e-300 << 3.5 << 0.0;
        QTest::newRow("underflow, negative odd") << -1e-300 << 3.0 << -0.0;
        QTest::newRow("largest base, root")
            << 0x1.fffffffffffffp1023 << 0.5 << 0x1.fffffffffffffp511;
        QTest::newRow("4^1.5") << 4.0 << 1.5 << 8.0;
        QTest::newRow("2^-1074 (a subnormal, exact)") << 2.0 << -1074.0 << 0x1p-1074;
    }

    void specialOperands() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, expected);
        const double ours = portablePow(x, y);
        if (std::isnan(expected)) {
            QVERIFY(std::isnan(ours));
        } else {
            QVERIFY2(sameBits(ours, expected),
                     qPrintable(
                         QStringLiteral("%1 against %2").arg(ours, 0, 'a').arg(expected, 0, 'a')));
        }
    }
};

QTEST_APPLESS_MAIN(PortablePowTest)
#include "test_portable_pow.moc"
