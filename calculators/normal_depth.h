#pragma once

// Normal depth: the depth between 0 and 10 m at which the section carries Q, by bisection
// on f(x) = Q − ((A(x)/n) · R(x)^(1/6 + 1/2)) · √i.

#include "calculators/explain.h"
#include "calculators/press.h"

namespace lintavo {

// The midpoint of the final bracket, a double. The loop tests first, while hi − lo > 1e-7;
// the bracket halves exactly each pass, so it always runs 27 times (10·2^-26 is still above
// 1e-7, 10·2^-27 is not). Fails with NoSolution when no depth in the bracket carries Q.
//   solveNormalDepth(10, 5, 1.5, 0.0005, 0.025) → 1.49874…
Value solveNormalDepth(Value Q, Value b, Value m, Value i, Value n, Record* record = nullptr);

// Inputs Q, b, m, i, n; output h cut to three decimals: {"2", "1", "0", "0.001", "0.014"}
// → {"1.673"}.
Texts pressNormalDepth(std::span<const std::string> inputs, Record* record = nullptr);

// Why a press failed, in the channel's terms (the reading of the inputs aside).
FailureCause explainNormalDepthFailure(const Record& record);

}  // namespace lintavo
