#pragma once

// The bracket both bisections close: from the integers 0 and 10 (metres), halved once per
// step. Each step evaluates the residual afresh at lo and at the midpoint; a positive product
// moves lo, anything else (a negative product, or exactly 0) moves hi. An end that moves
// takes the midpoint's value, a double; an end that never moves stays an integer.

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "calculators/record.h"
#include "hydraulics/value.h"

namespace lintavo {

struct Bracket {
    Value lo = Value::integer(0);
    Value hi = Value::integer(10);
    int halvings = 0;
    bool hiMoved = false;

    Value width() const { return hi - lo; }

    template <typename Residual>
    void halve(Residual f) {
        const Value mid = (lo + hi) / Value::integer(2);
        const Value atLo = f(lo);
        const Value atMid = f(mid);
        if (atLo * atMid > Value::integer(0)) {
            lo = mid;
        } else {
            hi = mid;
            hiMoved = true;
        }
        ++halvings;
    }

    // The midpoint of the final bracket. When hi never moved, every product was positive:
    // the bracket never held a sign change, and lo merely crept up to 10. That is no
    // answer, and it is not passed off as 9.999.
    // The bracket as it ended is kept in the record, also when it holds no answer.
    Value closedMidpoint(Record* record) const {
        if (record != nullptr) record->bisection = RecordedBisection{halvings, lo, hi};
        if (!hiMoved) throw CalculationFailure(FailureKind::NoSolution);
        return (lo + hi) / Value::integer(2);
    }
};

// The discharge of a section in plain double, for saying where an answer outside the bracket
// lies; the calculation itself never uses it.
inline double plainManning(double b, double m, double h, double i, double n) {
    const double A = (b + m * h) * h;
    const double R = A / (b + 2 * h * std::sqrt(1 + m * m));
    return A / n * std::pow(R, 2.0 / 3.0) * std::sqrt(i);
}

// Where a discharge that grows with x reaches Q past the bracket's 10 m: the search carried on
// by doubling up to 100 km, then halved to a centimetre. Empty when it never gets there.
template <typename Discharge>
std::optional<double> beyondBracket(Discharge discharge, double Q) {
    double lo = 10.0;
    double hi = 20.0;
    while (!(discharge(hi) >= Q)) {
        if (hi > 1e5) return std::nullopt;
        lo = hi;
        hi *= 2;
    }
    while (hi - lo > 0.005) {
        const double mid = (lo + hi) / 2;
        (discharge(mid) >= Q ? hi : lo) = mid;
    }
    return (lo + hi) / 2;
}

// A magnitude as a person would say it roughly: three significant digits, whole numbers from
// 100 on: 23.4, 0.0312, 1234.
inline std::string roughly(double x) {
    char buffer[32];
    const auto end =
        x >= 100 ? std::to_chars(buffer, buffer + sizeof buffer, std::round(x),
                                 std::chars_format::fixed, 0)
                 : std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 3);
    return "约 " + std::string(buffer, end.ptr);
}

}  // namespace lintavo
