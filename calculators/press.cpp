#include "calculators/press.h"

namespace lintavo {

Texts writeResults(Record* record, std::initializer_list<RecordedResult> results) {
    Texts texts;
    for (const RecordedResult& result : results) {
        texts.push_back(result.text);
        if (record != nullptr) record->results.push_back(result);
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
