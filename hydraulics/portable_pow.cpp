#include "hydraulics/portable_pow.h"

#include "hydraulics/double_double.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace lintavo {

namespace {

using namespace doubledouble;

// ln 2 in three parts, each the double nearest what the ones before leave.
constexpr double ln2Hi = 0x1.62e42fefa39efp-1;
constexpr double ln2Lo = 0x1.abc9e3b39803fp-56;
constexpr double ln2Tail = 0x1.7b57a079a1934p-111;
constexpr DD ln2{ln2Hi, ln2Lo};

constexpr DD one{1.0, 0.0};

// Horner's scheme for a polynomial in u with double-double coefficients c[0..n).
template <std::size_t n>
constexpr DD polynomial(const std::array<DD, n>& c, DD u) {
    DD sum = c[n - 1];
    for (std::size_t k = n - 1; k-- > 0;)
        sum = add(multiply(sum, u), c[k]);
    return sum;
}

// The slow, table-free forms of ln and exp that build the tables below when the program
// is compiled; each is good to about 2^-102.

// 1/(2k + 1) for k = 0…25: the series of atanh s / s in s².
constexpr std::array<DD, 26> atanhSeries = [] {
    std::array<DD, 26> coefficients{};
    for (std::size_t k = 0; k < coefficients.size(); ++k)
        coefficients[k] = divide(one, DD{2.0 * static_cast<double>(k) + 1.0, 0.0});
    return coefficients;
}();

// ln c = 2 atanh s, s = (c − 1)/(c + 1), for c in [0.7, 1.5] (|s| ≤ 0.2: 26 terms).
constexpr DD slowLog(double c) {
    const DD s = divide(DD{c - 1.0, 0.0}, twoSum(c, 1.0));
    return multiply(multiply(s, polynomial(atanhSeries, multiply(s, s))), 2.0);
}

// e^t for |t| ≤ 1: the series of expm1 at t/16, squared up four times.
constexpr DD slowExp(DD t) {
    std::array<DD, 16> coefficients{};  // 1/(n+1)! for n = 0…15
    double factorial = 1.0;             // exact: 16! < 2^53 · 2^4
    for (std::size_t n = 0; n < coefficients.size(); ++n) {
        factorial *= static_cast<double>(n + 1);
        coefficients[n] = divide(one, DD{factorial, 0.0});
    }
    const DD u{t.hi / 16.0, t.lo / 16.0};
    DD e = multiply(polynomial(coefficients, u), u);
    for (int j = 0; j < 4; ++j)
        e = multiply(e, add(DD{2.0, 0.0}, e));  // expm1 2u = expm1 u · (2 + expm1 u)
    return add(one, e);
}

// ln x = e ln 2 + ln c + ln(m/c), where x = 2^e m with m in [√½, √2] and c, the nearest
// multiple of 1/512, comes from a table of 363 logarithms: c = k/512 for k = 362…724. The
// table is fine enough that the quick path's s³ term, the one it rounds most, stays below
// 2^-31: its rounding then moves ln x by less than 2^-80 for every base.
constexpr int logTableFirst = 362;
constexpr double logTableStep = 512.0;
// Built from 93 logarithms of k/128 by the series above and a short step from the nearest
// of them, which keeps the compiler's work within what every compiler allows for constants.
constexpr std::array<DD, 93> coarseLogTable = [] {
    std::array<DD, 93> table{};
    for (std::size_t k = 0; k < table.size(); ++k)
        table[k] = slowLog(static_cast<double>(k + 90) / 128.0);
    return table;
}();
constexpr std::array<DD, 363> logTable = [] {
    // ln c = ln c0 + 2 atanh((c − c0)/(c + c0)), |c − c0| ≤ 1/256: eight terms reach 2^-106.
    std::array<DD, 8> shortSeries{};
    for (std::size_t k = 0; k < shortSeries.size(); ++k)
        shortSeries[k] = atanhSeries[k];
    std::array<DD, 363> table{};
    for (std::size_t k = 0; k < table.size(); ++k) {
        const int fine = static_cast<int>(k) + logTableFirst;  // c = fine/512
        const int coarse = (fine + 2) / 4;                     // c0 = coarse/128
        const double c = fine / logTableStep;
        const double c0 = coarse / 128.0;
        const DD s = divide(DD{c - c0, 0.0}, twoSum(c, c0));
        const DD step = multiply(multiply(s, polynomial(shortSeries, multiply(s, s))), 2.0);
        table[k] = add(coarseLogTable[static_cast<std::size_t>(coarse - 90)], step);
    }
    return table;
}();

// The table's c for m in (√½, √2]; m − c is then exact, |m − c| ≤ 2^-10.
int logTableIndex(double m) {
    // m > 0, so adding a half and truncating rounds to nearest.
    return static_cast<int>(m * logTableStep + 0.5);  // NOLINT(bugprone-incorrect-roundings)
}

// ln(m/c) = 2 atanh s with s = (m − c)/(m + c), |s| ≤ 2^-10.5, s² < 2^-21: seven terms of
// 2 s (1 + s²/3 + s⁴/5 + …) reach 2^-106; from s⁸ on, plain doubles carry them.
constexpr std::array<DD, 4> atanhCoefficients = {
    one, divide(one, DD{3.0, 0.0}), divide(one, DD{5.0, 0.0}), divide(one, DD{7.0, 0.0})};
constexpr double atanhTail[] = {1.0 / 9.0, 1.0 / 11.0, 1.0 / 13.0};

// e^t = 2^q · 2^(j/64) · e^r with t = (64 q + j) ln 2 / 64 + r, |r| ≤ ln 2 / 128, and the 64
// powers 2^(j/64) from a table.
constexpr std::array<DD, 64> exp2Table = [] {
    std::array<DD, 64> table{};
    for (std::size_t j = 0; j < table.size(); ++j)
        table[j] = slowExp(multiply(ln2, static_cast<double>(j) / 64.0));
    return table;
}();

// expm1 r = r (1 + r/2! + r²/3! + …): with |r| ≤ 0.0055, terms to r¹¹/12! reach 2^-106; from
// r⁶/7! on, plain doubles carry them.
constexpr std::array<DD, 6> expCoefficients = [] {
    std::array<DD, 6> c{};
    double factorial = 1.0;
    for (std::size_t n = 0; n < c.size(); ++n) {
        factorial *= static_cast<double>(n + 1);
        c[n] = divide(one, DD{factorial, 0.0});  // 1/(n+1)!
    }
    return c;
}();
constexpr double expTail[] = {1.0 / 5040.0,    1.0 / 40320.0,    1.0 / 362880.0,
                              1.0 / 3628800.0, 1.0 / 39916800.0, 1.0 / 479001600.0};

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
    const int k = logTableIndex(m);
    const double c = k / logTableStep;
    // m − c is exact: c/2 ≤ m ≤ 2c.
    const DD s = divide(DD{m - c, 0.0}, twoSum(m, c));
    const DD s2 = multiply(s, s);
    const double tail = atanhTail[0] + s2.hi * (atanhTail[1] + s2.hi * atanhTail[2]);
    DD series = add(multiply(DD{tail, 0.0}, s2), atanhCoefficients[3]);
    for (std::size_t j = 3; j-- > 0;)
        series = add(multiply(series, s2), atanhCoefficients[j]);
    const DD lnMOverC = multiply(multiply(s, series), 2.0);
    const DD lnM = add(logTable[static_cast<std::size_t>(k - logTableFirst)], lnMOverC);
    return add(multiply(ln2, static_cast<double>(exponent)), lnM);
}

// e^t for a double-double t with |t| < 1500, rounded once to a double.
double exponential(DD t) {
    if (t.hi > 710.0) return std::numeric_limits<double>::infinity();
    if (t.hi < -746.0) return 0.0;
    // t = i ln 2 / 64 + r; i ln 2 / 64 is formed exactly from the three parts of ln 2 but
    // the last, whose product is far below the precision carried.
    const double id = t.hi * (64.0 * 0x1.71547652b82fep0);  // 64 / ln 2
    const int i = static_cast<int>(id < 0.0 ? id - 0.5 : id + 0.5);
    const double ii = i;
    DD r = add(t, negate(twoProduct(ii, ln2Hi / 64.0)));
    r = add(r, negate(twoProduct(ii, ln2Lo / 64.0)));
    r = add(r, DD{-ii * (ln2Tail / 64.0), 0.0});
    const int q = i >= 0 ? i / 64 : -((-i + 63) / 64);  // floor(i / 64)
    const auto j = static_cast<std::size_t>(i - 64 * q);
    double tail = expTail[5];
    for (std::size_t n = 5; n-- > 0;)
        tail = tail * r.hi + expTail[n];
    DD series = add(multiply(DD{tail, 0.0}, r), expCoefficients[5]);
    for (std::size_t n = 5; n-- > 0;)
        series = add(multiply(series, r), expCoefficients[n]);
    const DD e = multiply(series, r);  // expm1 r
    // 2^(j/64) · (1 + e) = T + T e, rounded once from the exact sum of its parts: near 1
    // (j = 0, T = 1) a power often lies next to a halfway point, where the last part of
    // e decides the rounding (x = 1 − 2^-53 gives x^1.5 just above one).
    const DD& T = exp2Table[j];
    const DD p = multiply(T, e);
    const DD a = twoSum(T.hi, p.hi);
    const DD b = twoSum(a.lo, T.lo + p.lo);
    const DD c = twoSum(a.hi, b.hi);  // the power is c.hi + c.lo + b.lo, to 2^-102
    double rounded = c.hi;
    if (b.lo != 0.0 && c.lo != 0.0 && (b.lo > 0.0) == (c.lo > 0.0)) {
        const double neighbour = adjacent(c.hi, c.lo > 0.0);
        // c.hi was the tie-break of an exact halfway c.hi + c.lo; b.lo lies beyond it.
        if (c.lo == (neighbour - c.hi) * 0.5) rounded = neighbour;
    }
    return scale(rounded, q);
}

// The quick way first, as the C libraries do it: ln x and e^t in a double and a correction,
// each with a bound on its error, then the rounding of the result is taken only when no
// error within the bound could move it across a halfway point between two doubles.
// Otherwise (about 7 calls in 10 000) the double-double path above decides. The quick path
// needs the reduced arguments' products to be exact, so ln 2 is split after its 36th bit.
constexpr double ln2Head =
    std::bit_cast<double>(std::bit_cast<std::uint64_t>(ln2Hi) & ~((std::uint64_t{1} << 17) - 1));
constexpr double ln2Rest = (ln2Hi - ln2Head) + ln2Lo;  // about 2^-39, good to 2^-92

// ln x as hi + lo for a normal x > 0, x ≠ 1, and a bound on the absolute error of hi + lo.
DD quickLogarithm(double x, double& error) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    int exponent = static_cast<int>((bits & exponentMask) >> 52) - 1023;
    double m = std::bit_cast<double>((bits & significandMask) | (1023ULL << 52));
    if (m > 0x1.6a09e667f3bcdp0) {
        m *= 0.5;
        ++exponent;
    }
    const int k = logTableIndex(m);
    const double c = k / logTableStep;
    const double numerator = m - c;  // exact
    const DD denominator = twoSum(m, c);
    const double q = numerator / denominator.hi;  // s = q + correction
    const DD qd = twoProduct(q, denominator.hi);
    const double correction = (((numerator - qd.hi) - qd.lo) - q * denominator.lo) / denominator.hi;
    const double q2 = q * q;
    // 2 atanh s = 2s + (2/3) s³ + (2/5) s⁵ + (2/7) s⁷ + …
    const double cubic = q * q2 * (2.0 / 3.0 + q2 * (2.0 / 5.0 + q2 * (2.0 / 7.0)));
    const DD& lnC = logTable[static_cast<std::size_t>(k - logTableFirst)];
    const double e = exponent;
    const DD sum1 = twoSum(lnC.hi, 2.0 * q);
    const DD sum2 = twoSum(e * ln2Head, sum1.hi);  // e · ln2Head is exact
    const double rest = e * ln2Rest;
    const double tail = 2.0 * correction + cubic;
    const double lo = sum1.lo + sum2.lo + rest + lnC.lo + tail;
    // The cubic is rounded four times (each 2^-53 of it); the five sums of lo each round by
    // 2^-53 of at most the sum of their terms' magnitudes; ln2Rest is 2^-92 off and e times
    // it rounded; the table and the series beyond s⁷ are good to 2^-100 of ln x.
    const double terms = std::fabs(sum1.lo) + std::fabs(sum2.lo) + std::fabs(rest) +
                         std::fabs(lnC.lo) + std::fabs(tail);
    error = 0x1p-50 * (std::fabs(cubic) + terms) + std::fabs(e) * 0x1p-90 +
            0x1p-100 * std::fabs(sum2.hi);
    return quickTwoSum(sum2.hi, lo);
}

// e^t for |t.hi| < 708 (a normal result), or false where the quick result's rounding is
// not certain. tError bounds the absolute error of t.
bool quickExponential(DD t, double tError, double& result) {
    const double id = t.hi * (64.0 * 0x1.71547652b82fep0);  // 64 / ln 2
    const int i = static_cast<int>(id < 0.0 ? id - 0.5 : id + 0.5);
    const double ii = i;
    // t − i ln2Head / 64 is exact (|i| < 2^17); what ln2Rest takes off is then folded in, so
    // that rLo is below 2^-53 of r and r's cross terms beyond rHi · rLo vanish.
    const DD r = quickTwoSum(t.hi - ii * (ln2Head / 64.0), t.lo - ii * (ln2Rest / 64.0));
    const double rHi = r.hi;
    const double rLo = r.lo;
    const int q = i >= 0 ? i / 64 : -((-i + 63) / 64);
    const auto j = static_cast<std::size_t>(i - 64 * q);
    // expm1 r = r + r²/2 + … + r⁸/8!, r = rHi + rLo.
    const double p =
        rHi * rHi *
        (0.5 +
         rHi * (1.0 / 6.0 +
                rHi * (1.0 / 24.0 +
                       rHi * (1.0 / 120.0 + rHi * (1.0 / 720.0 + rHi * (1.0 / 5040.0 +
                                                                        rHi * (1.0 / 40320.0)))))));
    const double small = rLo + rHi * rLo + p;
    // 2^(j/64) (1 + rHi + small)
    const DD& T = exp2Table[j];
    const DD product = twoProduct(T.hi, rHi);
    const DD sum = twoSum(T.hi, product.hi);
    const double lo = sum.lo + product.lo + T.hi * small + T.lo + T.lo * rHi;
    // With |r| ≤ ln 2 / 128, p ≤ 2^-16 is good to 3 · 2^-53 of itself (2^-67.4), small and
    // T.hi · small add 2^-69 each, the four sums of lo 2^-68 each, r itself is 2^-78 off and
    // the terms left out below 2^-69: at most 2^-65.1 of the result, and the test below
    // rounds lo ± bound, another 2^-68. An error δ in t is a factor e^δ ≈ 1 + δ.
    const double bound = std::fabs(sum.hi) * (0x1p-64 + tError);
    const double rounded = sum.hi + lo;
    if (sum.hi + (lo - bound) != rounded || sum.hi + (lo + bound) != rounded) return false;
    result = scale(rounded, q);
    return true;
}

// x^y, normal, by the quick path, or nothing where its rounding is not certain.
std::optional<double> quickPower(double x, double y) {
    double logError = 0.0;
    const DD lnX = quickLogarithm(x, logError);
    if (!(std::fabs(y * lnX.hi) < 708.0)) return std::nullopt;
    const DD t = multiply(lnX, y);
    const double tError = std::fabs(y) * logError + 0x1p-100 * std::fabs(t.hi);
    double result = 0.0;
    if (!quickExponential(t, tError, result)) return std::nullopt;
    return result;
}

bool isWhole(double y) {
    // Every double of magnitude 2^52 or more is whole.
    if (std::fabs(y) >= 0x1p52) return true;
    return static_cast<double>(static_cast<std::int64_t>(y)) == y;
}

// Whether a whole y is odd.
bool isOdd(double y) {
    if (std::fabs(y) >= 0x1p53) return false;  // from 2^53 on every double is even
    return (static_cast<std::int64_t>(y) & 1) != 0;
}

// x^y where the exact power lies halfway between two doubles, rounded to the even one; for
// every other x and y, nothing. Neither path above can see such a tie, as they only come
// within 2^-102 of it. A tie needs x^y = z^p with z a double and p/2^k = y, p whole: the
// odd part of z^p must have exactly 54 bits, and as that odd part is at least 3^p and x = z^(2^k)
// is a double, p ≤ 34 and 2^k ≤ 32. x > 0 is normal and finite.
std::optional<double> exactTie(double x, double y) {
    if (!(y > 1.0 && y <= 34.0)) return std::nullopt;  // p > 2^k, as z^(2^k) has fewer bits
    int k = 0;
    double p = y;
    while (!isWhole(p)) {
        if (++k > 5) return std::nullopt;
        p *= 2.0;
    }
    if (p > 34.0) return std::nullopt;
    double z = x;
    for (int root = 0; root < k; ++root) {  // z = x^(1/2^k), each root exact or no tie
        const double s = std::sqrt(z);
        const DD square = twoProduct(s, s);
        if (square.hi != z || square.lo != 0.0) return std::nullopt;
        z = s;
    }
    const auto bits = std::bit_cast<std::uint64_t>(z);
    std::uint64_t odd = (bits & significandMask) | (std::uint64_t{1} << 52);
    const int zeros = std::countr_zero(odd);
    odd >>= zeros;
    const int exponent =
        static_cast<int>((bits & exponentMask) >> 52) - 1075 + zeros;  // z = odd · 2^exponent
    if (odd == 1) return std::nullopt;  // a power of two is never halfway
    constexpr std::uint64_t limit = std::uint64_t{1} << 54;
    std::uint64_t power = 1;  // odd^p, exact while below 2^54
    const auto times = static_cast<int>(p);
    for (int n = 0; n < times; ++n) {
        if (power > (limit - 1) / odd) return std::nullopt;
        power *= odd;
    }
    if (power < (std::uint64_t{1} << 53)) return std::nullopt;  // a double, no tie
    // power = 2 h + 1 lies halfway between 2 h and 2 h + 2; of h and h + 1 take the even one.
    std::uint64_t half = power >> 1;
    if ((half & 1) != 0) ++half;
    const int scaleBy = exponent * times + 1;                         // x^y = half · 2^scaleBy
    if (scaleBy < -1074 || scaleBy + 53 > 1023) return std::nullopt;  // not a normal result
    return scale(static_cast<double>(half), scaleBy);
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
        // Only an odd whole exponent keeps the sign: (−0)^1.5 is +0, (−∞)^1.5 is +∞.
        negative = whole && !std::isinf(y) && isOdd(y);
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
        magnitude = x * x;  // the IEEE product is the correctly rounded square
    } else if (y == 0.5) {
        magnitude = std::sqrt(x);  // and the IEEE square root the correctly rounded root
    } else if (const auto quick =
                   x >= std::numeric_limits<double>::min() ? quickPower(x, y) : std::nullopt) {
        magnitude = *quick;
    } else if (const auto tie =
                   x >= std::numeric_limits<double>::min() ? exactTie(x, y) : std::nullopt) {
        magnitude = *tie;
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

namespace {

// The sign of the exact sum of the terms, from Shewchuk's growing expansion: each term is
// added with its rounding error kept, so the largest nonzero part carries the sign.
template <std::size_t n>
int signOfSum(const std::array<double, n>& terms) {
    std::array<double, n> parts{};
    std::size_t count = 0;
    for (const double term : terms) {
        double carry = term;
        for (std::size_t k = 0; k < count; ++k) {
            const DD s = twoSum(carry, parts[k]);
            parts[k] = s.lo;
            carry = s.hi;
        }
        parts[count++] = carry;
    }
    for (std::size_t k = count; k-- > 0;) {
        if (parts[k] != 0.0) return parts[k] > 0.0 ? 1 : -1;
    }
    return 0;
}

}  // namespace

double rootOfOnePlusSquare(double m) {
    const double a = std::fabs(m);
    // From 2^27 on, √(1 + m²) lies less than 2^-28 above |m|, within half its unit: |m|.
    // This also passes infinities and NaNs through.
    if (!(a < 0x1p27)) return a;
    // Below 2^-27 it lies less than 2^-55 above 1.
    if (a < 0x1p-27) return 1.0;
    const DD square = twoProduct(a, a);              // m² exactly, both parts normal
    const double root = std::sqrt(1.0 + square.hi);  // within a unit of the exact root
    // The exact root is above the halfway point root + d (d half the gap to a neighbour, of
    // either sign) when 1 + m² − (root + d)² > 0; that is a sum of doubles, taken exactly.
    const auto beyond = [&](double neighbour) {
        const double d = (neighbour - root) * 0.5;  // a power of two: its products are exact
        const DD rootSquared = twoProduct(root, root);
        return signOfSum<7>(
            {1.0, square.hi, square.lo, -rootSquared.hi, -rootSquared.lo, -2.0 * root * d, -d * d});
    };
    const auto even = [](double p, double q) {
        return (std::bit_cast<std::uint64_t>(p) & 1) == 0 ? p : q;
    };
    const double above = adjacent(root, true);
    const int up = beyond(above);
    if (up > 0) return above;
    if (up == 0) return even(root, above);
    const double below = adjacent(root, false);
    const int down = beyond(below);
    if (down < 0) return below;
    if (down == 0) return even(root, below);
    return root;
}

namespace detail {

bool powTakesSlowPath(double x, double y) {
    x = std::fabs(x);
    const bool special = std::isnan(x) || std::isnan(y) || std::isinf(x) || std::isinf(y) ||
                         x == 0.0 || x == 1.0 || y == 0.0 || y == 2.0 || y == 0.5;
    if (special) return false;
    const bool normal = x >= std::numeric_limits<double>::min();
    return !(normal && (quickPower(x, y) || exactTie(x, y)));
}

}  // namespace detail

}  // namespace lintavo
