#include "calculators/summary.h"

#include "calculators/table.h"
#include "hydraulics/geometry.h"
#include "hydraulics/shape.h"

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

std::string absentChannelSentence(const PressSummary& summary) {
    if (summary.candidates) {
        for (const SummaryChannel& s : summary.channels) {
            if (s.exists()) return {};
        }
        return "没有水深和底宽都为正的断面。";
    }
    if (summary.channels.empty()) return {};
    const SummaryChannel& own = summary.channels.front();
    const Channel& c = own.channel();
    const bool section =
        c.shape ? shapeProblem(*c.shape).empty() && c.h > 0 && c.h <= fullDepth(*c.shape) &&
                      areaAt(*c.shape, c.h) > 0
                : c.b >= 0 && c.m >= 0 && c.h > 0 && PlainSection{c.b, c.m}.area(c.h) > 0;
    if (section || own.hydraulics.A.exists()) return {};
    return "此断面不存在（" + std::string(own.hydraulics.A.reason()) + "），水力要素无法计算。";
}

}  // namespace lintavo
