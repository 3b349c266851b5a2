#pragma once

// Discharge and mean velocity of uniform flow, from the Chézy form of Manning's relation:
// Q = (A·C)·√(R·i), v = Q / A.

#include "calculators/explain.h"
#include "calculators/press.h"
#include "calculators/story.h"

namespace lintavo {

struct Discharge {
    Value Q;  // double
    Value v;  // single
};

// b 2, h 1, m 1, i 0.001, n 0.025 → Q 2.76306842…, v 0.92102283.
Discharge computeDischarge(Value b, Value h, Value m, Value i, Value n, Record* record = nullptr);

// How the book writes the steps computeDischarge records.
inline constexpr auto dischargeSteps =
    sectionSteps + std::array{StepForm{"Q", "流量", "{A}·{C}·√({R}·{i})", "m³/s"},
                              StepForm{"v", "流速（单精度）", "{Q} / {A}", "m/s"}};

// Inputs b, h, m, i, n; outputs Q and v cut to three decimals: {"2", "1", "1", "0.001",
// "0.025"} → {"2.763", "0.921"}.
Texts pressDischarge(std::span<const std::string> inputs, Record* record = nullptr);

// Why a press failed, in the channel's terms (the reading of the inputs aside).
FailureCause explainDischargeFailure(const Record& record);

}  // namespace lintavo
