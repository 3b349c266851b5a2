#include "calculators/summary.h"

#include "calculators/table.h"

namespace lintavo {

PressSummary summarize(const CalculatorTable& table, const Record& record) {
    if (record.failure || record.results.empty()) return {};
    Description description = table.describe(record);
    PressSummary summary{description.candidates, {}};
    for (DescribedChannel& described : description.channels) {
        SummaryChannel channel{std::move(described), {}};
        if (channel.exists()) channel.hydraulics = hydraulicsOf(channel.channel());
        summary.channels.push_back(std::move(channel));
    }
    return summary;
}

}  // namespace lintavo
