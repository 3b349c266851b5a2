#include "calculators/press.h"

namespace lintavo {

Texts writeResults(Record* record, std::initializer_list<Written> results) {
    std::vector<RecordedResult> made;
    for (const Written& written : results) {
        if (written.cut == nullptr) {
            made.push_back(
                {written.symbol, std::nullopt, written.text, written.rule, written.madeFrom});
            continue;
        }
        try {
            made.push_back({written.symbol,
                            written.exact,
                            written.cut->apply(*written.exact),
                            written.cut->rule,
                            {}});
        } catch (const CalculationFailure&) {
            if (record != nullptr) record->cutting = written.symbol;
            throw;
        }
    }
    Texts texts;
    for (RecordedResult& result : made) {
        texts.push_back(result.text);
        if (record != nullptr) record->results.push_back(std::move(result));
    }
    return texts;
}

std::optional<Texts> runPress(Press press, std::span<const std::string> inputs, Record& record) {
    record = Record{};
    try {
        return press(inputs, &record);
    } catch (const CalculationFailure& failure) {
        record.results.clear();
        record.failure = RecordedFailure{failure.kind(), failure.input(), {}};
        return std::nullopt;
    }
}

}  // namespace lintavo
