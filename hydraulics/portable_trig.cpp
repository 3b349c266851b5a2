#include "hydraulics/portable_trig.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "hydraulics/double_double.h"

namespace lintavo {

namespace {

using namespace doubledouble;

constexpr DD one{1.0, 0.0};

// π/2 in three parts, each the double nearest what the ones before leave; π and π/180 in two.
constexpr double halfPi1 = 0x1.921fb54442d18p+0;
constexpr double halfPi2 = 0x1.1a62633145c07p-54;
constexpr double halfPi3 = -0x1.f1976b7ed8fbcp-110;
constexpr DD halfPi{halfPi1, halfPi2};
constexpr DD pi{0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
constexpr DD piOver180{0x1.1df46a2529d39p-6, 0x1.5c1d8becdd291p-62};
constexpr double twoOverPi = 0x1.45f306dc9c883p-1;

// 2/π = 0.a2f9836e 4e441529 … in hexadecimal: its first 1 280 bits, 32 to a word, for the
// reduction of large arguments, where the bits that matter lie far behind the point.
constexpr std::array<std::uint32_t, 40> twoOverPiWords = {
    0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0, 0xdb629599, 0x3c439041, 0xfe5163ab, 0xdebbc561,
    0xb7246e3a, 0x424dd2e0, 0x06492eea, 0x09d1921c, 0xfe1deb1c, 0xb129a73e, 0xe88235f5, 0x2ebb4484,
    0xe99c7026, 0xb45f7e41, 0x3991d639, 0x835339f4, 0x9c845f8b, 0xbdf9283b, 0x1ff897ff, 0xde05980f,
    0xef2f118b, 0x5a0a6d1f, 0x6d367ecf, 0x27cb09b7, 0x4f463f66, 0x9e5fea2d, 0x7527bac7, 0xebe5f17b,
    0x3d0739f7, 0x8a5292ea, 0x6bfb5fb1, 0x1f8d5d08, 0x56033046, 0xfc7b6bab, 0xf0cfbc20, 0x9af4361d};

// Below this, sin x, tan x, asin x and atan x round to x and cos x to 1: the next term is
// less than 2^-54 of the first.
constexpr double tiny = 0x1p-27;

// The series of sin r / r and cos r in u = r², (−1)^n/(2n + 1)! and (−1)^n/(2n)!: with
// |r| ≤ π/4, fifteen terms reach 2^-106.
constexpr std::size_t seriesTerms = 15;
constexpr std::array<DD, seriesTerms> sineSeries = [] {
    std::array<DD, seriesTerms> c{};
    c[0] = one;
    for (std::size_t n = 1; n < seriesTerms; ++n) {
        const auto d = static_cast<double>(2 * n * (2 * n + 1));
        c[n] = negate(divide(c[n - 1], DD{d, 0.0}));
    }
    return c;
}();
constexpr std::array<DD, seriesTerms> cosineSeries = [] {
    std::array<DD, seriesTerms> c{};
    c[0] = one;
    for (std::size_t n = 1; n < seriesTerms; ++n) {
        const auto d = static_cast<double>((2 * n - 1) * (2 * n));
        c[n] = negate(divide(c[n - 1], DD{d, 0.0}));
    }
    return c;
}();

// The series of atan t / t in u = t², (−1)^n/(2n + 1): after four halvings of the angle
// |t| ≤ tan(π/32), and seventeen terms reach 2^-106.
constexpr std::size_t arctangentTerms = 17;
constexpr int arctangentHalvings = 4;
constexpr std::array<DD, arctangentTerms> arctangentSeries = [] {
    std::array<DD, arctangentTerms> c{};
    for (std::size_t n = 0; n < arctangentTerms; ++n) {
        const DD term = divide(one, DD{static_cast<double>(2 * n + 1), 0.0});
        c[n] = n % 2 == 0 ? term : negate(term);
    }
    return c;
}();

template <std::size_t n>
DD horner(const std::array<DD, n>& c, DD u) {
    DD sum = c[n - 1];
    for (std::size_t k = n - 1; k-- > 0;)
        sum = add(multiply(sum, u), c[k]);
    return sum;
}

// √a for a double-double a > 0, one Newton step from the double root.
DD squareRoot(DD a) {
    const double s = std::sqrt(a.hi);
    const DD square = twoProduct(s, s);
    const double correction = (((a.hi - square.hi) - square.lo) + a.lo) / (2.0 * s);
    return quickTwoSum(s, correction);
}

DD sineOfReduced(DD r) {
    return multiply(r, horner(sineSeries, multiply(r, r)));
}

DD cosineOfReduced(DD r) {
    return horner(cosineSeries, multiply(r, r));
}

// An angle as a whole number of quarter turns and what is left, |r| ≤ π/4 (a little more
// where the quotient's estimate rounds the other way).
struct Reduced {
    std::uint32_t quadrant;  // the quarter turns, modulo 4
    DD r;
};

// The word-wise product of x's significand with 2/π, kept from the point where whole turns
// (multiples of 4 quarter turns) end to 223 bits behind the quarter turns' point or more.
Reduced reduceLarge(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const int e = static_cast<int>((bits >> 52) & 0x7ff) - 1075;  // |x| = M · 2^e
    const std::uint64_t significand =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    // Word j counts 2^(e − 32(j + 1)) times M·w; from the first word that lands below 2^2
    // (a whole turn is 4 quarter turns), eight words.
    const int first = e >= 34 ? (e - 34) / 32 + 1 : 0;
    constexpr int words = 8;
    constexpr int limbs = words + 2;
    std::array<std::uint64_t, limbs> sum{};  // 32 bits to a limb, least significant first
    const std::uint64_t low = significand & 0xffffffffU;
    const std::uint64_t high = significand >> 32;
    for (int k = 0; k < words; ++k) {
        const int word = first + k;
        const std::uint64_t w = twoOverPiWords[static_cast<std::size_t>(word)];
        const auto at = static_cast<std::size_t>(words - 1 - k);
        const std::uint64_t p = low * w;
        const std::uint64_t q = high * w;  // below 2^53
        sum[at] += p & 0xffffffffU;
        sum[at + 1] += (p >> 32) + (q & 0xffffffffU);
        sum[at + 2] += q >> 32;
    }
    for (std::size_t k = 0; k + 1 < limbs; ++k) {
        sum[k + 1] += sum[k] >> 32;
        sum[k] &= 0xffffffffU;
    }
    // x·2/π = sum · 2^-point; point ≥ 223.
    const int point = 32 * (first + words) - e;
    const auto bit = [&](int i) -> std::uint32_t {
        if (i < 0 || i >= 32 * limbs) return 0;
        return static_cast<std::uint32_t>(sum[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1U;
    };
    const auto chunk = [&](int top) {  // the 32 bits below bit `top`
        std::uint32_t c = 0;
        for (int i = top - 1; i >= top - 32; --i)
            c = (c << 1) | bit(i);
        return static_cast<double>(c);
    };
    std::uint32_t quadrant = bit(point) | (bit(point + 1) << 1);
    // The fraction of a quarter turn to 160 bits, smallest chunk first.
    DD fraction{0.0, 0.0};
    double weight = 0x1p-160;
    for (int c = 4; c >= 0; --c) {
        fraction = add(fraction, DD{chunk(point - 32 * c) * weight, 0.0});
        weight *= 0x1p32;
    }
    if (fraction.hi >= 0.5) {
        ++quadrant;
        fraction = add(fraction, DD{-1.0, 0.0});
    }
    const DD r = multiply(fraction, halfPi);
    if (x < 0.0) return {(4U - (quadrant & 3U)) & 3U, negate(r)};
    return {quadrant & 3U, r};
}

Reduced reduce(double x) {
    if (std::fabs(x) <= 0x1.921fb54442d18p-1) return {0, DD{x, 0.0}};
    if (std::fabs(x) >= 0x1p28) return reduceLarge(x);
    // k below 2^28: k·π/2 taken off in three exact products, the last one's rounding far
    // below what the closest multiple of π/2 to a double leaves.
    const double estimate = x * twoOverPi;
    const double k = static_cast<double>(
        static_cast<std::int64_t>(estimate < 0.0 ? estimate - 0.5 : estimate + 0.5));
    DD r = add(DD{x, 0.0}, negate(twoProduct(k, halfPi1)));
    r = add(r, negate(twoProduct(k, halfPi2)));
    r = add(r, DD{-k * halfPi3, 0.0});
    const auto turns = static_cast<std::int64_t>(k);
    return {static_cast<std::uint32_t>(turns & 3), r};
}

// An angle in degrees: the whole quarter turns come off exactly (fmod is exact, and so is
// what is left less a multiple of 90 once below 360), then the rest becomes radians.
Reduced reduceDegrees(double degrees) {
    const double turn = std::fmod(degrees, 360.0);
    const double estimate = turn / 90.0;
    const auto k = static_cast<std::int64_t>(estimate < 0.0 ? estimate - 0.5 : estimate + 0.5);
    const double rest = turn - 90.0 * static_cast<double>(k);
    return {static_cast<std::uint32_t>(k & 3), multiply(piOver180, rest)};
}

double sineOf(const Reduced& a) {
    switch (a.quadrant) {
        case 0:
            return sineOfReduced(a.r).hi;
        case 1:
            return cosineOfReduced(a.r).hi;
        case 2:
            return -sineOfReduced(a.r).hi;
        default:
            return -cosineOfReduced(a.r).hi;
    }
}

double cosineOf(const Reduced& a) {
    switch (a.quadrant) {
        case 0:
            return cosineOfReduced(a.r).hi;
        case 1:
            return -sineOfReduced(a.r).hi;
        case 2:
            return -cosineOfReduced(a.r).hi;
        default:
            return sineOfReduced(a.r).hi;
    }
}

double tangentOf(const Reduced& a) {
    const DD s = sineOfReduced(a.r);
    const DD c = cosineOfReduced(a.r);
    // tan(r + π/2) = −cos r / sin r; at r = 0 that is a pole, where C gives an infinity.
    if (a.quadrant % 2 == 0) return divide(s, c).hi;
    if (s.hi == 0.0) return std::numeric_limits<double>::infinity();
    return negate(divide(c, s)).hi;
}

// atan t for a double-double 0 ≤ t ≤ 1: four halvings of the angle,
// atan t = 2 atan(t / (1 + √(1 + t²))), then the series.
DD arctangentOfSmall(DD t) {
    for (int k = 0; k < arctangentHalvings; ++k)
        t = divide(t, add(one, squareRoot(add(one, multiply(t, t)))));
    const DD a = multiply(t, horner(arctangentSeries, multiply(t, t)));
    return multiply(a, static_cast<double>(1 << arctangentHalvings));
}

// The angle of (x, y) for x, y ≥ 0, not both 0, within 2^60 of each other or one of them 0.
DD angleOfQuadrantPoint(DD y, DD x) {
    if (x.hi == 0.0) return halfPi;
    if (y.hi <= x.hi) return arctangentOfSmall(divide(y, x));
    return add(halfPi, negate(arctangentOfSmall(divide(x, y))));
}

// √(1 − x²) for |x| ≤ 1, where 1 − x² is formed exactly from x² in two parts.
DD cosineOfArcsine(double x) {
    const DD rest = add(one, negate(twoProduct(x, x)));
    if (rest.hi <= 0.0) return DD{0.0, 0.0};
    return squareRoot(rest);
}

}  // namespace

double portableSin(double x) {
    if (std::fabs(x) < tiny) return x;  // also ±0 with its sign
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    return sineOf(reduce(x));
}

double portableCos(double x) {
    if (std::fabs(x) < tiny) return 1.0;
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    return cosineOf(reduce(x));
}

double portableTan(double x) {
    if (std::fabs(x) < tiny) return x;
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    return tangentOf(reduce(x));
}

double portableSinDegrees(double degrees) {
    if (degrees == 0.0) return degrees;
    if (!std::isfinite(degrees)) return std::numeric_limits<double>::quiet_NaN();
    return sineOf(reduceDegrees(degrees)) + 0.0;  // sin 180° is +0, as the exact angle's
}

double portableCosDegrees(double degrees) {
    if (!std::isfinite(degrees)) return std::numeric_limits<double>::quiet_NaN();
    return cosineOf(reduceDegrees(degrees)) + 0.0;
}

double portableTanDegrees(double degrees) {
    if (degrees == 0.0) return degrees;
    if (!std::isfinite(degrees)) return std::numeric_limits<double>::quiet_NaN();
    return tangentOf(reduceDegrees(degrees)) + 0.0;
}

double radiansOfDegrees(double degrees) {
    // Past 2^990 the split inside the exact product would overflow; one rounding is then
    // as close as the product gets anyway, short of the last bit.
    if (!(std::fabs(degrees) < 0x1p990)) return degrees * piOver180.hi;
    return multiply(piOver180, degrees).hi;
}

double portableAtan2(double y, double x) {
    if (std::isnan(x) || std::isnan(y)) return x + y;
    const double sign = std::signbit(y) ? -1.0 : 1.0;
    const bool left = std::signbit(x);  // −0 counts as the negative axis
    const double ay = std::fabs(y);
    const double ax = std::fabs(x);
    DD angle{0.0, 0.0};
    if (ay == 0.0) {
        angle = left ? pi : DD{0.0, 0.0};
    } else if (std::isinf(ay)) {
        if (std::isinf(ax)) {
            angle = left ? multiply(pi, 0.75) : multiply(pi, 0.25);
        } else {
            angle = halfPi;
        }
    } else if (std::isinf(ax) || ax > ay * 0x1p60) {
        // atan q for q below 2^-60 is q to within 2^-120 of itself; y/x is q rounded once.
        const double q = std::isinf(ax) ? 0.0 : ay / ax;
        angle = left ? add(pi, DD{-q, 0.0}) : DD{q, 0.0};
    } else {
        // Both within 2^60 of each other: brought near 1 by the same power of two, exactly.
        int exponent = 0;
        std::frexp(ax > ay ? ax : ay, &exponent);
        const double sy = std::ldexp(ay, -exponent);
        const double sx = std::ldexp(ax, -exponent);
        angle = angleOfQuadrantPoint(DD{sy, 0.0}, DD{sx, 0.0});
        if (left) angle = add(pi, negate(angle));
    }
    return sign * angle.hi;
}

double portableAtan(double x) {
    return portableAtan2(x, 1.0);
}

double portableAsin(double x) {
    if (std::isnan(x)) return x;
    const double a = std::fabs(x);
    if (a > 1.0) return std::numeric_limits<double>::quiet_NaN();
    if (a < tiny) return x;
    const DD angle = a == 1.0 ? halfPi : angleOfQuadrantPoint(DD{a, 0.0}, cosineOfArcsine(a));
    return x < 0.0 ? -angle.hi : angle.hi;
}

double portableAcos(double x) {
    if (std::isnan(x)) return x;
    const double a = std::fabs(x);
    if (a > 1.0) return std::numeric_limits<double>::quiet_NaN();
    if (x == 1.0) return 0.0;
    if (x == -1.0) return pi.hi;
    const DD angle = angleOfQuadrantPoint(cosineOfArcsine(a), DD{a, 0.0});
    return x < 0.0 ? add(pi, negate(angle)).hi : angle.hi;
}

}  // namespace lintavo
