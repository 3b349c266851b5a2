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
    return writeResults(record, {{'Q', Q, formatResult(floorTruncate(Q, 3))},
                                 {'v', v, formatResult(floorTruncateSingle(v))}});
}

}  // namespace lintavo
