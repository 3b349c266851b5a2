#pragma once

// Bottom slope: the Chézy form solved for i, i = Q² / ((C²·A²)·R), without iteration.

#include "calculators/explain.h"
#include "calculators/press.h"

namespace lintavo {

// Q 5, b 2, m 1, h 1, n 0.025 → 0.00327458865… (double).
Value computeBottomSlope(Value Q, Value b, Value m, Value h, Value n, Record* record = nullptr);

// Inputs Q, b, m, h, n (m is read before h); output i cut to five decimals:
// {"5", "2", "1", "1", "0.025"} → {"0.00327"}.
Texts pressBottomSlope(std::span<const std::string> inputs, Record* record = nullptr);

// Why a press failed, in the channel's terms (the reading of the inputs aside).
FailureCause explainBottomSlopeFailure(const Record& record);

}  // namespace lintavo
