#include "calculators/bottom_width.h"

#include "calculators/bisection.h"
#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value solveBottomWidth(Value Q, Value h, Value m, Value i, Value n, int* steps) {
    const auto f = [&](Value width) { return Q - manningDischarge(width, m, h, i, n); };
    Bracket bracket;
    do {
        bracket.halve(f);
    } while (!(bracket.width() < 1e-6_dbl));
    if (steps != nullptr) *steps = bracket.steps;
    return bracket.closedMidpoint();
}

Texts pressBottomWidth(std::span<const std::string> inputs) {
    const auto [Q, h, m, i, n] = readInputs<5>(inputs);
    return {formatResult(floorTruncate(solveBottomWidth(Q, h, m, i, n), 3))};
}

}  // namespace lintavo
