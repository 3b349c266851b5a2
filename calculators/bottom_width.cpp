#include "calculators/bottom_width.h"

#include "calculators/bisection.h"
#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value solveBottomWidth(Value Q, Value h, Value m, Value i, Value n, Record* record) {
    const auto f = [&](Value width) { return Q - manningDischarge(width, m, h, i, n); };
    Bracket bracket;
    do {
        bracket.halve(f);
    } while (!(bracket.width() < 1e-6_dbl));
    return bracket.closedMidpoint(record);
}

Texts pressBottomWidth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, h, m, i, n] = readInputs(inputs, "Qhmin", record);
    const Value b = solveBottomWidth(Q, h, m, i, n, record);
    return writeResults(record, {{'b', b, toThreeDecimals}});
}

FailureCause explainBottomWidthFailure(const Record& record) {
    return explainBisectionFailure(record, 'b');
}

}  // namespace lintavo
