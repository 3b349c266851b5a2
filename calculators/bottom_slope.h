#pragma once

// Bottom slope: the Chézy form solved for i, i = Q² / ((C²·A²)·R), without iteration.

#include "calculators/explain.h"
#include "calculators/press.h"
#include "calculators/story.h"

namespace lintavo {

// Q 5, b 2, m 1, h 1, n 0.025 → 0.00327458865… (double).
Value computeBottomSlope(Value Q, Value b, Value m, Value h, Value n, Record* record = nullptr);

// How the book writes the steps computeBottomSlope records.
inline constexpr auto bottomSlopeSteps =
    sectionSteps + std::array{StepForm{"C²", "谢才系数的平方", "{C}²", "m/s²", false},
                              StepForm{"Q²", "流量的平方", "{Q}²", "m⁶/s²", false},
                              StepForm{"A²", "面积的平方", "{A}²", "m⁴", false},
                              StepForm{"C²·A²·R", "分母", "{C²}·{A²}·{R}", "m⁶/s²", false},
                              StepForm{"i", "底坡", "{Q²} / ({C²·A²·R})", ""}};

// Inputs Q, b, m, h, n (m is read before h); output i cut to five decimals:
// {"5", "2", "1", "1", "0.025"} → {"0.00327"}.
Texts pressBottomSlope(std::span<const std::string> inputs, Record* record = nullptr);

// Why a press failed, in the channel's terms (the reading of the inputs aside).
FailureCause explainBottomSlopeFailure(const Record& record);

}  // namespace lintavo
