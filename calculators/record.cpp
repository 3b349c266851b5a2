#include "calculators/record.h"

#include <algorithm>

namespace lintavo {

std::optional<Value> Record::valueOf(std::string_view symbol) const {
    const auto step = std::find_if(steps.rbegin(), steps.rend(),
                                   [symbol](const RecordedStep& s) { return s.symbol == symbol; });
    if (step != steps.rend()) return step->value;
    for (const RecordedInput& in : inputs) {
        if (symbol.size() == 1 && in.symbol == symbol.front()) return in.value;
    }
    return std::nullopt;
}

}  // namespace lintavo
