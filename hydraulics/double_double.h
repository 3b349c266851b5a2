#pragma once

// Double-double arithmetic: a value carried as the unevaluated sum of two doubles, about 106
// bits, from +, −, × and ÷ alone (Dekker's and Knuth's error-free transformations). Our own
// pow and trigonometric functions compute in it and round once at the end.

#include <cfloat>

// Everything here, and in the files that include it, is built from +, −, × and ÷ on doubles,
// each rounded once as IEEE 754 says. A fused multiply-add, a reassociation or a wider
// intermediate would break the error-free transformations and with them the last bit, so a
// file that includes this one refuses to be built in any mode that allows them, and turns
// contraction off for the rest of itself. GCC has no macro that tells whether contraction is
// on: there the files' own compile options (hydraulics/CMakeLists.txt), which come after
// whatever the build sets, turn it off.
#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__)
#error "double-double arithmetic must not be compiled with -ffast-math or -ffinite-math-only"
#endif
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "double-double arithmetic needs each double operation rounded to double (FLT_EVAL_METHOD 0)"
#endif
#if defined(__clang__)
#pragma clang fp contract(off)
#pragma clang fp reassociate(off)
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#pragma float_control(precise, on)
#endif

namespace lintavo::doubledouble {

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

}  // namespace lintavo::doubledouble
