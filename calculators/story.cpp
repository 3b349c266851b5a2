#include "calculators/story.h"

#include <algorithm>

namespace lintavo {

Description describeOwnChannel(const Record& record) {
    const auto value = [&record](char symbol) {
        for (const RecordedResult& result : record.results) {
            if (result.symbol == symbol && result.exact) return result.exact->number();
        }
        const auto found = record.valueOf(std::string_view(&symbol, 1));
        return found ? found->number() : 0.0;
    };
    const bool ownSection = std::any_of(record.steps.begin(), record.steps.end(),
                                        [](const RecordedStep& s) { return s.symbol == "A"; });
    return {false,
            {{{},
              {value('Q'), value('b'), value('h'), value('m'), value('i'), value('n')},
              {},
              ownSection}}};
}

}  // namespace lintavo
