#pragma once

// The number model every calculation computes with.
//
// A `Value` is a number that carries its kind, the way the formulas' operands do: integer
// literals are 16-bit integers (100000, too large for that, is a 32-bit integer), every
// number read from a field is a single, and decimal literals, powers and square roots are
// doubles. The operators choose the kind of their result from the kinds of their operands:
//
//     + − ×   integer ∘ integer → integer     ÷   integer ÷ integer → double
//             single with integer or single   →   single
//             anything with double            →   double
//
// An integer or single result that does not fit its kind is carried in the next wider kind
// (16-bit → 32-bit → double, single → double). A 32-bit integer does not fit a single's
// 24-bit significand, so the two meet in double.
//
// Every operation checks its result and throws `CalculationFailure` instead of producing an
// infinity or a NaN, so no such value ever reaches a comparison or a field.
//
// The value itself is held as a double: every 16-bit, 32-bit and single value is exactly
// representable there, and each operation rounds its exact result to its kind once.

#include <compare>
#include <cstdint>

#include "hydraulics/failure.h"

namespace lintavo {

enum class Kind : std::uint8_t { Integer, Long, Single, Double };

class Value {
  public:
    constexpr Value() = default;  // the integer 0

    static constexpr Value integer(std::int16_t v) { return Value(Kind::Integer, v); }
    static constexpr Value long32(std::int32_t v) { return Value(Kind::Long, v); }
    static constexpr Value single(float v) { return Value(Kind::Single, v); }
    // Throws Overflow for an infinity and InvalidArgument for a NaN.
    static Value dbl(double v);

    constexpr Kind kind() const { return kind_; }
    constexpr double number() const { return number_; }

    // The value rounded to single; a value beyond the single range is an overflow.
    Value toSingle() const;

    friend Value operator+(Value a, Value b);
    friend Value operator-(Value a, Value b);
    friend Value operator*(Value a, Value b);
    friend Value operator/(Value a, Value b);  // throws DivisionByZero for b = 0
    friend Value operator-(Value a);

    // Comparisons compare the values, whatever their kinds: 2 (integer) == 2.0 (double).
    friend constexpr bool operator==(Value a, Value b) { return a.number_ == b.number_; }
    friend constexpr std::partial_ordering operator<=>(Value a, Value b) {
        return a.number_ <=> b.number_;
    }

  private:
    constexpr Value(Kind kind, double number) : kind_(kind), number_(number) {}

    Kind kind_ = Kind::Integer;
    double number_ = 0.0;
};

// x^y, always a double. A negative base needs a whole exponent, and 0 no negative one.
Value pow(Value base, Value exponent);
// √x, always a double; √(negative) is an invalid argument.
Value sqrt(Value x);
// The largest whole number not above x, in x's own kind: floor(-0.4 single) → -1 single.
Value floor(Value x);

namespace literals {

// An integer literal of the formulas: 1000_int is a 16-bit integer, 100000_int a 32-bit one.
consteval Value operator""_int(unsigned long long n) {
    if (n <= 32767) return Value::integer(static_cast<std::int16_t>(n));
    if (n <= 2147483647) return Value::long32(static_cast<std::int32_t>(n));
    throw "integer literal beyond 32 bits";
}

// A decimal literal of the formulas, a double: 1e-7_dbl is the double nearest 10^-7.
Value operator""_dbl(const char* digits);

}  // namespace literals

}  // namespace lintavo
