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
    return writeResults(record, {{'i', i, formatResult(floorTruncate(i, 5))}});
}

}  // namespace lintavo
