#pragma once

// Every way a calculation can fail, as one value the rest of the program can test.
//
// Arithmetic on `Value` throws `CalculationFailure` at the operation that fails; a calculator
// lets it pass, and the shell catches it in one place, before any field has been written,
// and turns it into the failure report. Nothing in the computing code writes a message.

#include <cstddef>
#include <exception>
#include <optional>
#include <string_view>

#include "hydraulics/static_text.h"

namespace lintavo {

enum class FailureKind {
    // A field's text is not a number: empty, blanks only, letters, "inf", a second point…
    TypeMismatch,
    // A number typed beyond the single range, or a result beyond the double range
    // (or a velocity beyond the single range when it is rounded to single).
    Overflow,
    // A division whose divisor is zero, 0/0 included: x/0 is undefined, not infinity.
    DivisionByZero,
    // The square root of a negative number, a fractional power of a negative number,
    // or zero raised to a negative power.
    InvalidArgument,
    // A bisection whose bracket 0…10 m never held a sign change, so no answer lies in it.
    NoSolution,
};

// The stable name of a kind, as scripts and logs spell it: `TypeMismatch` → "type-mismatch".
StaticText failureKindName(FailureKind kind);

class CalculationFailure : public std::exception {
  public:
    explicit CalculationFailure(FailureKind kind) : kind_(kind) {}

    FailureKind kind() const { return kind_; }

    // Which input (0-based, in the calculation's reading order) failed to convert; empty
    // when the failure happened in the arithmetic.
    std::optional<std::size_t> input() const { return input_; }
    CalculationFailure& atInput(std::size_t index) {
        input_ = index;
        return *this;
    }

    const char* what() const noexcept override;

  private:
    FailureKind kind_;
    std::optional<std::size_t> input_;
};

}  // namespace lintavo
