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

double Record::input(char symbol) const {
    for (const RecordedInput& in : inputs) {
        if (in.symbol == symbol && in.value) return in.value->number();
    }
    return 0.0;
}

StaticText Record::nextStep(std::initializer_list<StaticText> order) const {
    for (StaticText step : order) {
        const bool kept = std::any_of(steps.begin(), steps.end(),
                                      [step](const RecordedStep& s) { return s.symbol == step; });
        if (!kept) return step;
    }
    return {};
}

}  // namespace lintavo
