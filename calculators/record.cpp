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

std::string_view Record::nextStep(std::initializer_list<std::string_view> order) const {
    for (std::string_view step : order) {
        const bool kept = std::any_of(steps.begin(), steps.end(),
                                      [step](const RecordedStep& s) { return s.symbol == step; });
        if (!kept) return step;
    }
    return {};
}

}  // namespace lintavo
