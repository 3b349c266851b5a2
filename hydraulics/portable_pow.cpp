#include "hydraulics/portable_pow.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

// Everything here is built from +, −, × and ÷ on doubles, each rounded once as IEEE 754
// says; the build's -ffp-contract=off keeps the compiler from fusing a product into a sum,
// which would change the error-free transformations below.

namespace lintavo {

namespace {

// A double-double: the unevaluated sum hi + lo with |lo| ≤ half a unit of hi, about 106 bits.
struct DD {
    double hi;
    double lo;
};

// a + b exactly, as the rounded sum and its error.
constexpr DD twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// The same when |a| ≥ |b| (or a = 0).
constexpr DD quickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// Dekker's split of a into two halves of 26 bits each; |a| must stay below 2^996.
constexpr DD split(double a) {
    const double t = 134217729.0 * a;  // 2^27 + 1
    const double hi = t - (t - a);
    return {hi, a - hi};
}

// a × b exactly, as the rounded product and its error.
constexpr DD twoProduct(double a, double b) {
    const double p = a * b;
    const DD x = split(a);
    const DD y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

constexpr DD add(DD a, DD b) {
    DD s = twoSum(a.hi, b.hi);
    const DD t = twoSum(a.lo, b.lo);
    s.lo += t.hi;
    s = quickTwoSum(s.hi, s.lo);
    s.lo += t.lo;
    return quickTwoSum(s.hi, s.lo);
}

constexpr DD negate(DD a) {
    return {-a.hi, -a.lo};
}

constexpr DD multiply(DD a, DD b) {
    DD p = twoProduct(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return quickTwoSum(p.hi, p.lo);
}

constexpr DD multiply(DD a, double b) {
    DD p = twoProduct(a.hi, b);
    p.lo += a.lo * b;
    return quickTwoSum(p.hi, p.lo);
}

constexpr DD divide(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    DD r = add(a, negate(multiply(b, q1)));
    const double q2 = r.hi / b.hi;
    r = add(r, negate(multiply(b, q2)));
    const double q3 = r.hi / b.hi;
    return add(quickTwoSum(q1, q2), DD{q3, 0.0});
}

// ln 2 in three parts, each the double nearest what the ones before leave.
constexpr double ln2Hi = 0x1.62e42fefa39efp-1;
constexpr double ln2Lo = 0x1.abc9e3b39803fp-56;
constexpr double ln2Tail = 0x1.7b57a079a1934p-111;
constexpr DD ln2{ln2Hi, ln2Lo};

// ln m = 2 atanh s with s = (m − 1)/(m + 1) = 2 s (1 + s²/3 + s⁴/5 + …). For m in
// [√½, √2], |s| ≤ 0.1716 and s² ≤ 0.0295, so 21 terms take the series below 2^-106. The
// terms from s²¹ on are below 2^-53 of the sum and are summed in plain doubles.
constexpr int atanhTerms = 21;
constexpr int atanhDoubleTerms = 10;

constexpr std::array<DD, atanhTerms> atanhCoefficients = [] {
    std::array<DD, atanhTerms> c{};
    for (int k = 0; k < atanhTerms; ++k)
        c[static_cast<std::size_t>(k)] = divide(DD{1.0, 0.0}, DD{2.0 * k + 1.0, 0.0});
    return c;
}();

// expm1 r = r + r²/2! + … + r¹⁴/14!; with |r| ≤ ln 2 / 32 the next term is below 2^-106
// of the sum.
constexpr int expTerms = 14;
constexpr int expHalvings = 4;

constexpr std::array<DD, expTerms + 1> inverseFactorials = [] {
    std::array<DD, expTerms + 1> c{};
    double factorial = 1.0;  // exact: 14! < 2^53
    for (int n = 1; n <= expTerms; ++n) {
        factorial *= n;
        c[static_cast<std::size_t>(n)] = divide(DD{1.0, 0.0}, DD{factorial, 0.0});
    }
    return c;
}();

constexpr std::uint64_t exponentMask = 0x7ffULL << 52;
constexpr std::uint64_t significandMask = (1ULL << 52) - 1;

// 2^k for a k in the normal range [-1022, 1023].
double powerOfTwo(int k) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
}

// The double next to a positive, finite x, above it or below it.
double adjacent(double x, bool above) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    return std::bit_cast<double>(above ? bits + 1 : bits - 1);
}

// x · 2^k, rounded once unless the result falls below the normal range.
double scale(double x, int k) {
    if (k > 1023) return x * powerOfTwo(1023) * powerOfTwo(k - 1023);
    if (k < -1022) return x * powerOfTwo(-1022) * powerOfTwo(k + 1022);
    return x * powerOfTwo(k);
}

// ln x for a finite x > 0, x ≠ 1, relative error about 2^-102.
DD logarithm(double x) {
    int exponent = 0;
    if (x < std::numeric_limits<double>::min()) {  // subnormal: make it normal first
        x *= 0x1p54;
        exponent = -54;
    }
    const auto bits = std::bit_cast<std::uint64_t>(x);
    exponent += static_cast<int>((bits & exponentMask) >> 52) - 1023;
    double m = std::bit_cast<double>((bits & significandMask) | (1023ULL << 52));  // [1, 2)
    if (m > 0x1.6a09e667f3bcdp0) {                                                 // √2
        m *= 0.5;
        ++exponent;
    }
    // m − 1 is exact for m in [½, 2].
    const DD s = divide(DD{m - 1.0, 0.0}, twoSum(m, 1.0));
    const DD s2 = multiply(s, s);
    double tail = atanhCoefficients[atanhTerms - 1].hi;
    for (int k = atanhTerms - 2; k >= atanhDoubleTerms; --k)
        tail = tail * s2.hi + atanhCoefficients[static_cast<std::size_t>(k)].hi;
    DD series{tail, 0.0};
    for (int k = atanhDoubleTerms - 1; k >= 0; --k)
        series = add(multiply(series, s2), atanhCoefficients[static_cast<std::size_t>(k)]);
    const DD lnM = multiply(multiply(s, series), 2.0);
    return add(multiply(ln2, static_cast<double>(exponent)), lnM);
}

// e^t for a double-double t with |t| < 1500, rounded once to a double.
double exponential(DD t) {
    if (t.hi > 710.0) return std::numeric_limits<double>::infinity();
    if (t.hi < -746.0) return 0.0;
    // t = k ln 2 + r with |r| ≤ ln 2 / 2; k ln 2 is formed exactly from the three parts of
    // ln 2 but the last, whose product is far below the precision carried.
    const double kd = t.hi * 0x1.71547652b82fep0;  // 1 / ln 2
    const int k = static_cast<int>(kd < 0.0 ? kd - 0.5 : kd + 0.5);
    const double kk = k;
    DD r = add(t, negate(twoProduct(kk, ln2Hi)));
    r = add(r, negate(twoProduct(kk, ln2Lo)));
    r = add(r, DD{-kk * ln2Tail, 0.0});
    // expm1(r / 16) from its series, then squared up: expm1 2u = expm1 u · (2 + expm1 u).
    const DD u{r.hi / (1 << expHalvings), r.lo / (1 << expHalvings)};
    DD e = inverseFactorials[expTerms];
    for (int n = expTerms - 1; n >= 1; --n)
        e = add(multiply(e, u), inverseFactorials[static_cast<std::size_t>(n)]);
    e = multiply(e, u);
    for (int j = 0; j < expHalvings; ++j)
        e = multiply(e, add(DD{2.0, 0.0}, e));
    // 1 + e rounded once, from the exact sum of its three parts. Near 1 a power often lies
    // next to a halfway point (x = 1 − 2^-53 gives x^1.5 just above one), where the last
    // part of e decides the rounding.
    const DD a = twoSum(1.0, e.hi);
    const DD b = twoSum(a.lo, e.lo);
    const DD c = twoSum(a.hi, b.hi);  // 1 + e = c.hi + c.lo + b.lo exactly
    double rounded = c.hi;
    if (b.lo != 0.0 && c.lo != 0.0 && (b.lo > 0.0) == (c.lo > 0.0)) {
        const double neighbour = adjacent(c.hi, c.lo > 0.0);
        // c.hi was the tie-break of an exact halfway c.hi + c.lo; b.lo lies beyond it.
        if (c.lo == (neighbour - c.hi) * 0.5) rounded = neighbour;
    }
    return scale(rounded, k);
}

bool isWhole(double y) {
    // Every double of magnitude 2^52 or more is whole.
    if (std::fabs(y) >= 0x1p52) return true;
    return static_cast<double>(static_cast<std::int64_t>(y)) == y;
}

bool isOdd(double y) {
    if (std::fabs(y) >= 0x1p53) return false;  // from 2^53 on every double is even
    return (static_cast<std::int64_t>(y) & 1) != 0;
}

}  // namespace

double portablePow(double x, double y) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    if (y == 0.0 || x == 1.0) return 1.0;
    if (std::isnan(x) || std::isnan(y)) return x + y;
    bool negative = false;
    if (std::signbit(x)) {
        const bool whole = std::isinf(y) || isWhole(y);
        if (!whole && x != 0.0 && !std::isinf(x)) return std::numeric_limits<double>::quiet_NaN();
        negative = !std::isinf(y) && isOdd(y);
        x = -x;
        if (x == 1.0) return negative ? -1.0 : 1.0;
    }
    double magnitude = 0.0;
    if (x == 0.0) {
        magnitude = y > 0.0 ? 0.0 : infinity;
    } else if (std::isinf(x)) {
        magnitude = y > 0.0 ? infinity : 0.0;
    } else if (std::isinf(y)) {
        magnitude = (x > 1.0) == (y > 0.0) ? infinity : 0.0;
    } else if (y == 2.0) {
        magnitude = x * x;
    } else {
        const DD lnX = logarithm(x);
        const double estimate = y * lnX.hi;
        if (estimate > 1500.0) {
            magnitude = infinity;
        } else if (estimate < -1500.0) {
            magnitude = 0.0;
        } else {
            magnitude = exponential(multiply(lnX, y));
        }
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace lintavo
