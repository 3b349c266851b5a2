#include "calculators/normal_depth.h"

#include "calculators/bisection.h"
#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value solveNormalDepth(Value Q, Value b, Value m, Value i, Value n, Record* record) {
    const auto f = [&](Value depth) { return Q - manningDischarge(b, m, depth, i, n); };
    Bracket bracket;
    while (bracket.width() > 1e-7_dbl)
        bracket.halve(f);
    return bracket.closedMidpoint(record);
}

Texts pressNormalDepth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, b, m, i, n] = readInputs(inputs, "Qbmin", record);
    const Value h = solveNormalDepth(Q, b, m, i, n, record);
    return writeResults(record, {{'h', h, toThreeDecimals}});
}

FailureCause explainNormalDepthFailure(const Record& record) {
    return explainBisectionFailure(record, 'h');
}

}  // namespace lintavo
