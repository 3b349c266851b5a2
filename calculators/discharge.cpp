#include "calculators/discharge.h"

#include "hydraulics/section.h"

namespace lintavo {

Discharge computeDischarge(Value b, Value h, Value m, Value i, Value n, Record* record) {
    const Value A = noted(record, "A", flowArea(b, m, h));
    const Value P = noted(record, "P", wettedPerimeter(b, m, h));
    const Value R = noted(record, "R", hydraulicRadius(A, P));
    const Value C = noted(record, "C", chezyCoefficient(R, n));
    const Value root = sqrt(R * i);
    const Value Q = noted(record, "Q", (A * C) * root);
    const Value v = noted(record, "v", (Q / A).toSingle());
    return {Q, v};
}

Texts pressDischarge(std::span<const std::string> inputs, Record* record) {
    const auto [b, h, m, i, n] = readInputs(inputs, "bhmin", record);
    const auto [Q, v] = computeDischarge(b, h, m, i, n, record);
    return writeResults(record, {{'Q', Q, toThreeDecimals}, {'v', v, singleToThreeDecimals}});
}

}  // namespace lintavo

namespace lintavo {

FailureCause explainDischargeFailure(const Record& record) {
    const StaticText step = record.nextStep({"A", "P", "R", "C", "Q", "v"});
    const FailureKind kind = record.failure->kind;
    if (auto cause = explainSectionStep(record, step, kind)) return *cause;
    if (step == "Q" && kind == FailureKind::InvalidArgument) {
        return {step,
                "底坡 i 为负：Q = A·C·√(R·i) 中的 √(R·i) 是负数开方。底坡应为正数，例如 0.001。",
                "i"};
    }
    if (step == "v" && kind == FailureKind::DivisionByZero) {
        return {step, "过水断面面积 A = 0（水深 h 为 0，或 b + m·h = 0），流速 v = Q/A 无法计算。",
                "hbm"};
    }
    if (step == "v" && kind == FailureKind::Overflow) {
        return {step, "流速 v = Q/A 超出了单精度数的范围：过水断面面积太小，或糙率太小。", "hn"};
    }
    return {step, {}, {}};
}

}  // namespace lintavo
