#include "calculators/bottom_slope.h"

#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value computeBottomSlope(Value Q, Value b, Value m, Value h, Value n) {
    const Value A = flowArea(b, m, h);
    const Value P = wettedPerimeter(b, m, h);
    const Value R = hydraulicRadius(A, P);
    const Value C = chezyCoefficient(R, n);
    const Value C2 = pow(C, 2.0_dbl);
    const Value Q2 = pow(Q, 2_int);
    const Value A2 = pow(A, 2_int);
    return Q2 / ((C2 * A2) * R);
}

Texts pressBottomSlope(std::span<const std::string> inputs) {
    const auto [Q, b, m, h, n] = readInputs<5>(inputs);
    return {formatResult(floorTruncate(computeBottomSlope(Q, b, m, h, n), 5))};
}

}  // namespace lintavo
