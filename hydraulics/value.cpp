#include "hydraulics/value.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

[[noreturn]] void fail(FailureKind kind) {
    throw CalculationFailure(kind);
}

bool isWhole(Kind kind) {
    return kind == Kind::Integer || kind == Kind::Long;
}

// The kind of a +, − or × result.
Kind joinKinds(Kind a, Kind b) {
    if (a == Kind::Double || b == Kind::Double) return Kind::Double;
    if (a == Kind::Single || b == Kind::Single) {
        return (a == Kind::Long || b == Kind::Long) ? Kind::Double : Kind::Single;
    }
    if (a == Kind::Long || b == Kind::Long) return Kind::Long;
    return Kind::Integer;
}

// The kind of a ÷ result: like the others, except that two whole numbers give a double.
Kind quotientKind(Kind a, Kind b) {
    if (isWhole(a) && isWhole(b)) return Kind::Double;
    return joinKinds(a, b);
}

// An exact whole-number result in the narrowest of the kinds at least as wide as `kind`.
Value wholeResult(Kind kind, std::int64_t r) {
    if (kind == Kind::Integer && r >= INT16_MIN && r <= INT16_MAX) {
        return Value::integer(static_cast<std::int16_t>(r));
    }
    if (r >= INT32_MIN && r <= INT32_MAX) return Value::long32(static_cast<std::int32_t>(r));
    return Value::dbl(static_cast<double>(r));
}

// A result computed in double, rounded once to `kind`. The double result of +, −, × or ÷
// on two singles rounds to the same single as the exact result does (double carries more
// than twice a single's 24 bits), so this is the correctly rounded single operation.
Value fractionalResult(Kind kind, double r) {
    if (kind == Kind::Single) {
        const float f = static_cast<float>(r);
        if (std::isfinite(f)) return Value::single(f);
        // Too large for a single: carried in double instead.
    }
    return Value::dbl(r);
}

// +, − or × by the kinds' rules: `operation` is std::plus<>, std::minus<> or
// std::multiplies<>, applied exactly to whole numbers and rounded once to the result's kind
// otherwise.
template <typename Operation>
Value arithmetic(Value a, Value b, Operation operation) {
    const Kind kind = joinKinds(a.kind(), b.kind());
    if (isWhole(kind)) {
        // Both operands are whole and at most 32 bits, so int64 holds the exact result.
        return wholeResult(kind, operation(static_cast<std::int64_t>(a.number()),
                                           static_cast<std::int64_t>(b.number())));
    }
    return fractionalResult(kind, operation(a.number(), b.number()));
}

}  // namespace

Value Value::dbl(double v) {
    if (std::isnan(v)) fail(FailureKind::InvalidArgument);
    if (std::isinf(v)) fail(FailureKind::Overflow);
    return Value(Kind::Double, v);
}

Value Value::toSingle() const {
    const float f = static_cast<float>(number_);
    if (!std::isfinite(f)) fail(FailureKind::Overflow);
    return single(f);
}

Value operator+(Value a, Value b) {
    return arithmetic(a, b, std::plus<>());
}
Value operator-(Value a, Value b) {
    return arithmetic(a, b, std::minus<>());
}
Value operator*(Value a, Value b) {
    return arithmetic(a, b, std::multiplies<>());
}

Value operator/(Value a, Value b) {
    if (b.number() == 0.0) fail(FailureKind::DivisionByZero);
    return fractionalResult(quotientKind(a.kind(), b.kind()), a.number() / b.number());
}

Value operator-(Value a) {
    if (isWhole(a.kind())) return wholeResult(a.kind(), -static_cast<std::int64_t>(a.number()));
    return Value(a.kind(), -a.number());
}

Value pow(Value base, Value exponent) {
    const double x = base.number();
    const double y = exponent.number();
    if (x < 0.0 && std::trunc(y) != y) fail(FailureKind::InvalidArgument);
    if (x == 0.0 && y < 0.0) fail(FailureKind::InvalidArgument);
    // Not std::pow: the C libraries round it differently, and the digits must not depend on
    // the platform.
    return Value::dbl(portablePow(x, y));
}

Value sqrt(Value x) {
    if (x.number() < 0.0) fail(FailureKind::InvalidArgument);
    return Value::dbl(std::sqrt(x.number()));
}

Value floor(Value x) {
    if (isWhole(x.kind())) return x;
    if (x.kind() == Kind::Single) return Value::single(std::floor(static_cast<float>(x.number())));
    return Value::dbl(std::floor(x.number()));
}

namespace literals {

Value operator""_dbl(const char* digits) {
    double v = 0.0;
    std::from_chars(digits, digits + std::strlen(digits), v);
    return Value::dbl(v);
}

}  // namespace literals

}  // namespace lintavo
