#include "calculators/normal_depth.h"

#include "calculators/bisection.h"
#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value solveNormalDepth(Value Q, Value b, Value m, Value i, Value n, int* steps) {
    const auto f = [&](Value depth) { return Q - manningDischarge(b, m, depth, i, n); };
    Bracket bracket;
    while (bracket.width() > 1e-7_dbl)
        bracket.halve(f);
    if (steps != nullptr) *steps = bracket.steps;
    return bracket.closedMidpoint();
}

Texts pressNormalDepth(std::span<const std::string> inputs) {
    const auto [Q, b, m, i, n] = readInputs<5>(inputs);
    return {formatResult(floorTruncate(solveNormalDepth(Q, b, m, i, n), 3))};
}

}  // namespace lintavo
