#include "calculators/bottom_slope.h"

#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value computeBottomSlope(Value Q, Value b, Value m, Value h, Value n, Record* record) {
    const Value A = noted(record, "A", flowArea(b, m, h));
    const Value P = noted(record, "P", wettedPerimeter(b, m, h));
    const Value R = noted(record, "R", hydraulicRadius(A, P));
    const Value C = noted(record, "C", chezyCoefficient(R, n));
    const Value C2 = noted(record, "C²", pow(C, 2.0_dbl));
    const Value Q2 = noted(record, "Q²", pow(Q, 2_int));
    const Value A2 = noted(record, "A²", pow(A, 2_int));
    const Value denominator = noted(record, "C²·A²·R", (C2 * A2) * R);
    return noted(record, "i", Q2 / denominator);
}

Texts pressBottomSlope(std::span<const std::string> inputs, Record* record) {
    const auto [Q, b, m, h, n] = readInputs(inputs, "Qbmhn", record);
    const Value i = computeBottomSlope(Q, b, m, h, n, record);
    return writeResults(record, {{'i', i, toFiveDecimals}});
}

}  // namespace lintavo

namespace lintavo {

FailureCause explainBottomSlopeFailure(const Record& record) {
    const StaticText step = record.nextStep({"A", "P", "R", "C", "C²", "Q²", "A²", "C²·A²·R", "i"});
    const FailureKind kind = record.failure->kind;
    if (auto cause = explainSectionStep(record, step, kind)) return *cause;
    if (step == "i" && kind == FailureKind::DivisionByZero) {
        return {step,
                "过水断面面积 A = 0（水深 h 为 0，或 b + m·h = 0），i = Q²/(C²·A²·R) 的分母为 0。",
                "hbm"};
    }
    return {step, {}, {}};
}

}  // namespace lintavo
