#include "calculators/discharge.h"

#include "hydraulics/section.h"

namespace lintavo {

Discharge computeDischarge(Value b, Value h, Value m, Value i, Value n) {
    const Value A = flowArea(b, m, h);
    const Value P = wettedPerimeter(b, m, h);
    const Value R = hydraulicRadius(A, P);
    const Value C = chezyCoefficient(R, n);
    const Value root = sqrt(R * i);
    const Value Q = (A * C) * root;
    const Value v = (Q / A).toSingle();
    return {Q, v};
}

Texts pressDischarge(std::span<const std::string> inputs) {
    const auto [b, h, m, i, n] = readInputs<5>(inputs);
    const auto [Q, v] = computeDischarge(b, h, m, i, n);
    const Value shownQ = floorTruncate(Q, 3);
    const Value shownV = floorTruncateSingle(v);
    return {formatResult(shownQ), formatResult(shownV)};
}

}  // namespace lintavo
