// portablePow, the power every calculation uses, and the trigonometric functions of the arcs
// in the sections, against exact answers: libquadmath's 113-bit functions rounded to double
// for sampled operands, exact integer arithmetic for the powers that lie halfway between two
// doubles, and C's table of special operands.

#include <QTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

#include "hydraulics/portable_pow.h"
#include "hydraulics/portable_trig.h"

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

// The trigonometric functions side by side: ours, and libquadmath's to 113 bits.
enum class Trig { Sin, Cos, Tan, Asin, Acos, Atan, Atan2, SinDegrees, CosDegrees, TanDegrees };

double ours(Trig f, double x, double y) {
    switch (f) {
        case Trig::Sin:
            return lintavo::portableSin(x);
        case Trig::Cos:
            return lintavo::portableCos(x);
        case Trig::Tan:
            return lintavo::portableTan(x);
        case Trig::Asin:
            return lintavo::portableAsin(x);
        case Trig::Acos:
            return lintavo::portableAcos(x);
        case Trig::Atan:
            return lintavo::portableAtan(x);
        case Trig::Atan2:
            return lintavo::portableAtan2(y, x);
        case Trig::SinDegrees:
            return lintavo::portableSinDegrees(x);
        case Trig::CosDegrees:
            return lintavo::portableCosDegrees(x);
        case Trig::TanDegrees:
            return lintavo::portableTanDegrees(x);
    }
    return 0.0;
}

// π to 113 bits.
Quad quadPi() {
    return acosq(static_cast<Quad>(-1));
}

// In degrees the angle comes down below 360 exactly first (fmodq is exact), so that the
// 113-bit radians of what is left are good to far below a double's unit.
Quad quadRadians(double degrees) {
    return fmodq(static_cast<Quad>(degrees), 360) * (quadPi() / 180);
}

double exactTrig(Trig f, double x, double y) {
    const Quad q = x;
    switch (f) {
        case Trig::Sin:
            return static_cast<double>(sinq(q));
        case Trig::Cos:
            return static_cast<double>(cosq(q));
        case Trig::Tan:
            return static_cast<double>(tanq(q));
        case Trig::Asin:
            return static_cast<double>(asinq(q));
        case Trig::Acos:
            return static_cast<double>(acosq(q));
        case Trig::Atan:
            return static_cast<double>(atanq(q));
        case Trig::Atan2:
            return static_cast<double>(atan2q(static_cast<Quad>(y), q));
        case Trig::SinDegrees:
            return static_cast<double>(sinq(quadRadians(x)));
        case Trig::CosDegrees:
            return static_cast<double>(cosq(quadRadians(x)));
        case Trig::TanDegrees:
            return static_cast<double>(tanq(quadRadians(x)));
    }
    return 0.0;
}

// Whether ours is the exact result: the same bits, any NaN for a NaN, and in degrees a zero of
// either sign for a zero (a whole number of half turns is no closer to one side than the
// other; we give +0, as for the angle 0 itself).
bool isExact(Trig f, double got, double exact) {
    if (std::isnan(exact)) return std::isnan(got);
    const bool degrees = f == Trig::SinDegrees || f == Trig::CosDegrees || f == Trig::TanDegrees;
    // The 113-bit π leaves sin 180° at 1e-34, not 0: what is that small is a zero.
    if (degrees && (exact == 0.0 || got == 0.0))
        return std::fabs(got) < 1e-30 && std::fabs(exact) < 1e-30;
    return sameBits(got, exact);
}

// How many doubles lie between a and b (0: the same double), for finite a and b of one sign.
std::uint64_t unitsApart(double a, double b) {
    const auto ordered = [](double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        return (bits >> 63) != 0 ? ~bits + 1 + (std::uint64_t{1} << 63)
                                 : bits + (std::uint64_t{1} << 63);
    };
    const std::uint64_t p = ordered(a);
    const std::uint64_t q = ordered(b);
    return p > q ? p - q : q - p;
}

// A double of either sign with a random significand and a binary exponent in [low, high].
double randomSigned(std::mt19937_64& random, int low, int high) {
    const double v = randomBase(random, low, high);
    return (random() & 1) != 0 ? -v : v;
}
}  // namespace

Q_DECLARE_METATYPE(Trig)

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

    void trigonometryMatchesTheExact_data() {
        QTest::addColumn<Trig>("f");
        QTest::addColumn<int>("low");  // binary exponents of the arguments
        QTest::addColumn<int>("high");
        // The angles of the sections (walls of 0 to 89°, arcs of a few radians), then every
        // size a double takes: the reduction of large arguments is exact however far from 0.
        QTest::newRow("sin, 2^-30..2^2") << Trig::Sin << -30 << 2;
        QTest::newRow("sin, 2^2..2^28") << Trig::Sin << 2 << 28;
        QTest::newRow("sin, 2^28..2^1023") << Trig::Sin << 28 << 1023;
        QTest::newRow("cos, 2^-30..2^2") << Trig::Cos << -30 << 2;
        QTest::newRow("cos, 2^2..2^28") << Trig::Cos << 2 << 28;
        QTest::newRow("cos, 2^28..2^1023") << Trig::Cos << 28 << 1023;
        QTest::newRow("tan, 2^-30..2^2") << Trig::Tan << -30 << 2;
        QTest::newRow("tan, 2^2..2^1023") << Trig::Tan << 2 << 1023;
        QTest::newRow("asin, 2^-30..1") << Trig::Asin << -30 << -1;
        QTest::newRow("acos, 2^-30..1") << Trig::Acos << -30 << -1;
        QTest::newRow("acos, 0.5..1") << Trig::Acos << -1 << -1;
        QTest::newRow("atan, 2^-30..2^30") << Trig::Atan << -30 << 30;
        QTest::newRow("atan, 2^-1022..2^1023") << Trig::Atan << -1022 << 1023;
        QTest::newRow("atan2, y and x 2^-30..2^30") << Trig::Atan2 << -30 << 30;
        QTest::newRow("atan2, y and x 2^-1000..2^1000") << Trig::Atan2 << -1000 << 1000;
        QTest::newRow("sin of degrees, 2^-30..2^10") << Trig::SinDegrees << -30 << 10;
        QTest::newRow("cos of degrees, 2^-30..2^10") << Trig::CosDegrees << -30 << 10;
        QTest::newRow("tan of degrees, 2^-30..2^10") << Trig::TanDegrees << -30 << 10;
        QTest::newRow("sin of degrees, 2^10..2^1023") << Trig::SinDegrees << 10 << 1023;
    }

    // Within one unit of the exact value, and how often not the nearest double, which the
    // double-double evaluation should never leave.
    void trigonometryMatchesTheExact() {
        QFETCH(Trig, f);
        QFETCH(int, low);
        QFETCH(int, high);
        constexpr int samples = 100000;
        std::mt19937_64 random(static_cast<std::uint64_t>(f) * 7919 +
                               static_cast<std::uint64_t>(high - low));
        int notNearest = 0;
        QString first;
        for (int k = 0; k < samples; ++k) {
            const double x = randomSigned(random, low, high);
            const double y = f == Trig::Atan2 ? randomSigned(random, low, high) : 1.0;
            const double exact = exactTrig(f, x, y);
            const double got = ours(f, x, y);
            if (isExact(f, got, exact)) continue;
            QVERIFY2(std::signbit(got) == std::signbit(exact) && unitsApart(got, exact) <= 1,
                     qPrintable(QStringLiteral("x = %1, y = %2: %3, the nearest double is %4")
                                    .arg(x, 0, 'a')
                                    .arg(y, 0, 'a')
                                    .arg(got, 0, 'a')
                                    .arg(exact, 0, 'a')));
            if (notNearest++ == 0) {
                first = QStringLiteral("x = %1, y = %2").arg(x, 0, 'a').arg(y, 0, 'a');
            }
        }
        QVERIFY2(notNearest == 0, qPrintable(QString::number(notNearest) +
                                             QStringLiteral(" not the nearest; first ") + first));
    }

    void trigonometryNearItsHardPoints_data() {
        QTest::addColumn<Trig>("f");
        QTest::addColumn<double>("x");
        // Next to multiples of π/2, where the reduction cancels most bits: the double
        // nearest a multiple of π/2 known to lie closest to it (6381956970095103 · 2^797, about
        // 2^-61 of a unit away), and the doubles around π/2, π, 3π/2 and 2^28 quarter turns.
        QTest::newRow("sin of the double closest to a multiple of pi/2")
            << Trig::Sin << 6381956970095103.0 * 0x1p797;
        QTest::newRow("cos of the double closest to a multiple of pi/2")
            << Trig::Cos << 6381956970095103.0 * 0x1p797;
        QTest::newRow("sin(pi)") << Trig::Sin << 0x1.921fb54442d18p+1;
        QTest::newRow("cos(pi/2)") << Trig::Cos << 0x1.921fb54442d18p+0;
        QTest::newRow("tan(pi/2)") << Trig::Tan << 0x1.921fb54442d18p+0;
        QTest::newRow("sin(3pi/2)") << Trig::Sin << 0x1.2d97c7f3321d2p+2;
        QTest::newRow("cos(3pi/2)") << Trig::Cos << 0x1.2d97c7f3321d2p+2;
        QTest::newRow("sin(2^28 pi/2)") << Trig::Sin << 0x1.921fb54442d18p+28;
        QTest::newRow("cos just below 2^28") << Trig::Cos << 0x1.fffffffffffffp+27;
        QTest::newRow("sin of the largest double") << Trig::Sin << 0x1.fffffffffffffp+1023;
        QTest::newRow("cos of the largest double") << Trig::Cos << 0x1.fffffffffffffp+1023;
        QTest::newRow("sin of pi/4") << Trig::Sin << 0x1.921fb54442d18p-1;
        QTest::newRow("sin just above pi/4") << Trig::Sin << 0x1.921fb54442d19p-1;
        QTest::newRow("acos next to 1") << Trig::Acos << 0x1.fffffffffffffp-1;
        QTest::newRow("acos next to -1") << Trig::Acos << -0x1.fffffffffffffp-1;
        QTest::newRow("asin next to 1") << Trig::Asin << 0x1.fffffffffffffp-1;
        QTest::newRow("asin of 0.5") << Trig::Asin << 0.5;
        QTest::newRow("acos of 0") << Trig::Acos << 0.0;
        QTest::newRow("atan of 1") << Trig::Atan << 1.0;
        QTest::newRow("atan of 2^60") << Trig::Atan << 0x1p60;
        QTest::newRow("atan of the smallest double") << Trig::Atan << 0x1p-1074;
        QTest::newRow("sin just above 2^-27") << Trig::Sin << 0x1.0000000000001p-27;
        QTest::newRow("sin just below 2^-27") << Trig::Sin << 0x1.fffffffffffffp-28;
        QTest::newRow("tan just above 2^-27") << Trig::Tan << 0x1.0000000000001p-27;
        QTest::newRow("sin of 89.999999 degrees") << Trig::SinDegrees << 89.999999;
        QTest::newRow("cos of 89.999999 degrees") << Trig::CosDegrees << 89.999999;
        QTest::newRow("tan of 44.99 degrees") << Trig::TanDegrees << 44.99;
        QTest::newRow("sin of -1e22 degrees") << Trig::SinDegrees << -1e22;
    }

    void trigonometryNearItsHardPoints() {
        QFETCH(Trig, f);
        QFETCH(double, x);
        for (int step = -200; step <= 200; ++step) {
            double v = x;
            for (int k = 0; k < std::abs(step); ++k)
                v = std::nextafter(v, step < 0 ? -inf : inf);
            const double exact = exactTrig(f, v, 1.0);
            QVERIFY2(isExact(f, ours(f, v, 1.0), exact),
                     qPrintable(QStringLiteral("x = %1: %2, the nearest double is %3")
                                    .arg(v, 0, 'a')
                                    .arg(ours(f, v, 1.0), 0, 'a')
                                    .arg(exact, 0, 'a')));
        }
    }

    void trigonometrySpecialOperands_data() {
        QTest::addColumn<Trig>("f");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expected");  // NaN: any NaN
        const double halfPi = 0x1.921fb54442d18p+0;
        const double pi = 0x1.921fb54442d18p+1;
        QTest::newRow("sin(+0)") << Trig::Sin << 0.0 << 1.0 << 0.0;
        QTest::newRow("sin(-0)") << Trig::Sin << -0.0 << 1.0 << -0.0;
        QTest::newRow("tan(-0)") << Trig::Tan << -0.0 << 1.0 << -0.0;
        QTest::newRow("cos(-0)") << Trig::Cos << -0.0 << 1.0 << 1.0;
        QTest::newRow("sin(inf)") << Trig::Sin << inf << 1.0 << notANumber;
        QTest::newRow("cos(-inf)") << Trig::Cos << -inf << 1.0 << notANumber;
        QTest::newRow("tan(NaN)") << Trig::Tan << notANumber << 1.0 << notANumber;
        QTest::newRow("asin(-0)") << Trig::Asin << -0.0 << 1.0 << -0.0;
        QTest::newRow("asin(1)") << Trig::Asin << 1.0 << 1.0 << halfPi;
        QTest::newRow("asin(-1)") << Trig::Asin << -1.0 << 1.0 << -halfPi;
        QTest::newRow("asin beyond 1") << Trig::Asin << 1.0000000000000002 << 1.0 << notANumber;
        QTest::newRow("acos(1)") << Trig::Acos << 1.0 << 1.0 << 0.0;
        QTest::newRow("acos(-1)") << Trig::Acos << -1.0 << 1.0 << pi;
        QTest::newRow("acos below -1") << Trig::Acos << -2.0 << 1.0 << notANumber;
        QTest::newRow("atan(-0)") << Trig::Atan << -0.0 << 1.0 << -0.0;
        QTest::newRow("atan(inf)") << Trig::Atan << inf << 1.0 << halfPi;
        QTest::newRow("atan(-inf)") << Trig::Atan << -inf << 1.0 << -halfPi;
        // atan2(y, x): the column x is x, y is y.
        QTest::newRow("atan2(+0, +0)") << Trig::Atan2 << 0.0 << 0.0 << 0.0;
        QTest::newRow("atan2(-0, +0)") << Trig::Atan2 << 0.0 << -0.0 << -0.0;
        QTest::newRow("atan2(+0, -0)") << Trig::Atan2 << -0.0 << 0.0 << pi;
        QTest::newRow("atan2(-0, -0)") << Trig::Atan2 << -0.0 << -0.0 << -pi;
        QTest::newRow("atan2(-0, -1)") << Trig::Atan2 << -1.0 << -0.0 << -pi;
        QTest::newRow("atan2(1, -0)") << Trig::Atan2 << -0.0 << 1.0 << halfPi;
        QTest::newRow("atan2(-1, 0)") << Trig::Atan2 << 0.0 << -1.0 << -halfPi;
        QTest::newRow("atan2(inf, inf)") << Trig::Atan2 << inf << inf << 0x1.921fb54442d18p-1;
        QTest::newRow("atan2(inf, -inf)") << Trig::Atan2 << -inf << inf << 0x1.2d97c7f3321d2p+1;
        QTest::newRow("atan2(-inf, 1)") << Trig::Atan2 << 1.0 << -inf << -halfPi;
        QTest::newRow("atan2(1, inf)") << Trig::Atan2 << inf << 1.0 << 0.0;
        QTest::newRow("atan2(-1, -inf)") << Trig::Atan2 << -inf << -1.0 << -pi;
        QTest::newRow("atan2(1, -1)") << Trig::Atan2 << -1.0 << 1.0 << 0x1.2d97c7f3321d2p+1;
        QTest::newRow("atan2(2^-1074, 2^1023)") << Trig::Atan2 << 0x1p1023 << 0x1p-1074 << 0.0;
        QTest::newRow("atan2(2^1023, 2^-1074)") << Trig::Atan2 << 0x1p-1074 << 0x1p1023 << halfPi;
        QTest::newRow("atan2(NaN, 1)") << Trig::Atan2 << 1.0 << notANumber << notANumber;
        QTest::newRow("sin of 30 degrees") << Trig::SinDegrees << 30.0 << 1.0 << 0.5;
        QTest::newRow("cos of 60 degrees") << Trig::CosDegrees << 60.0 << 1.0 << 0.5;
        QTest::newRow("tan of 45 degrees") << Trig::TanDegrees << 45.0 << 1.0 << 1.0;
        QTest::newRow("cos of 90 degrees") << Trig::CosDegrees << 90.0 << 1.0 << 0.0;
        QTest::newRow("sin of -90 degrees") << Trig::SinDegrees << -90.0 << 1.0 << -1.0;
        QTest::newRow("sin of 720 degrees") << Trig::SinDegrees << 720.0 << 1.0 << 0.0;
        QTest::newRow("cos of inf degrees") << Trig::CosDegrees << inf << 1.0 << notANumber;
    }

    void trigonometrySpecialOperands() {
        QFETCH(Trig, f);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, expected);
        const double got = ours(f, x, y);
        if (std::isnan(expected)) {
            QVERIFY(std::isnan(got));
        } else {
            QVERIFY2(
                sameBits(got, expected),
                qPrintable(QStringLiteral("%1 against %2").arg(got, 0, 'a').arg(expected, 0, 'a')));
        }
    }

    void radiansOfDegrees() {
        std::mt19937_64 random(180);
        for (int k = 0; k < 100000; ++k) {
            const double d = randomSigned(random, -1000, 980);
            const double exact = static_cast<double>(static_cast<Quad>(d) * (quadPi() / 180));
            QVERIFY2(sameBits(lintavo::radiansOfDegrees(d), exact),
                     qPrintable(QStringLiteral("d = %1").arg(d, 0, 'a')));
        }
    }
};

QTEST_APPLESS_MAIN(PortablePowTest)
#include "test_portable_pow.moc"
