#pragma once

// Bottom width: the width between 0 and 10 m at which the section of depth h carries Q, by
// bisection on f(x) = Q − ((A(x)/n) · R(x)^(1/6 + 1/2)) · √i with x the bottom width.

#include "calculators/explain.h"
#include "calculators/press.h"

namespace lintavo {

// The midpoint of the final bracket, a double. The loop tests last, until hi − lo < 1e-6, so
// it runs at least once, and always 24 times (10·2^-23 is not below 1e-6, 10·2^-24 is).
// Fails with NoSolution when no width in the bracket carries Q.
//   solveBottomWidth(5, 1.2, 1, 0.0004, 0.02) → 3.55232…
Value solveBottomWidth(Value Q, Value h, Value m, Value i, Value n, Record* record = nullptr);

// Inputs Q, h, m, i, n; output b cut to three decimals: {"2", "0.5", "0", "0.001", "0.014"}
// → {"3.346"}.
Texts pressBottomWidth(std::span<const std::string> inputs, Record* record = nullptr);

// Why a press failed, in the channel's terms (the reading of the inputs aside).
FailureCause explainBottomWidthFailure(const Record& record);

}  // namespace lintavo
