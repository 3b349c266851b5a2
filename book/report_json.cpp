#include "book/report_json.h"

#include <algorithm>

#include "book/design_report.h"
#include "calculators/explain.h"
#include "calculators/numbers.h"
#include "calculators/summary.h"
#include "calculators/table.h"
#include "standard/schemes.h"

namespace lintavo {

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

void addValue(Values& values, std::string key, std::string text) {
    for (const auto& kept : values) {
        if (kept.first == key) return;  // the calculation's own value stands
    }
    values.emplace_back(std::move(key), std::move(text));
}

void addComputed(Values& values, const char* key, const Computed<double>& quantity) {
    if (quantity.exists()) addValue(values, key, recordNumber(quantity.value()));
}

std::string object(const Values& values) {
    std::string text = "{";
    for (const auto& [key, value] : values) {
        if (text.size() > 1) text += ',';
        text += jsonString(key) + ':' + jsonString(value);
    }
    return text + '}';
}

bool reported(const CalculatorTable& table, std::string_view step) {
    return std::any_of(table.steps.begin(), table.steps.end(), [step](const StepForm& form) {
        return form.symbol == step && form.reported;
    });
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    const char* hex = "0123456789abcdef";
                    json += "\\u00";
                    json += hex[(c >> 4) & 0xf];
                    json += hex[c & 0xf];
                } else {
                    json += c;
                }
        }
    }
    return json + '"';
}

Values reportValues(const CalculatorTable& table, const Record& record,
                    const PressSummary& summary) {
    Values values;
    for (const RecordedInput& input : record.inputs) {
        if (input.value)
            addValue(values, std::string(1, input.symbol), recordNumber(input.value->number()));
    }
    for (const RecordedStep& step : record.steps) {
        if (reported(table, step.symbol))
            addValue(values, std::string(step.symbol), recordNumber(step.value.number()));
    }
    for (const RecordedResult& result : record.results) {
        if (result.exact)
            addValue(values, std::string(1, result.symbol), recordNumber(result.exact->number()));
    }
    if (summary.candidates || summary.channels.empty() || !summary.channels.front().exists())
        return values;

    const ChannelHydraulics& channel = summary.channels.front().hydraulics;
    addComputed(values, "A", channel.A);
    addComputed(values, "P", channel.P);
    addComputed(values, "R", channel.R);
    addComputed(values, "C", channel.C);
    addComputed(values, "v", channel.v);
    addComputed(values, "B", channel.B);
    addComputed(values, "Fr", channel.Fr);
    if (channel.regime.exists())
        addValue(values, "regime", std::string(flowRegimeName(channel.regime.value())));
    addComputed(values, "hc", channel.hc);
    addComputed(values, "ik", channel.ik);
    return values;
}

std::string reportJson(const CalculatorTable& table, const Record& record,
                       const DesignContext* design) {
    std::string line = "{\"window\":" + jsonString(table.window.name);
    if (record.failure) {
        std::string fields;
        for (std::string_view name : fieldsFor(table, explainFailure(table, record).fields)) {
            if (!fields.empty()) fields += ',';
            fields += jsonString(name);
        }
        return line + ",\"outcome\":\"failure\",\"kind\":" +
               jsonString(failureKindName(record.failure->kind)) + ",\"fields\":[" + fields + "]}";
    }
    const PressSummary summary = summarize(table, record);
    line += ",\"outcome\":\"ok\",\"values\":" + object(reportValues(table, record, summary));
    // The design object of a channel, as a member to append; "" where there is none.
    const auto designMember = [design](const SummaryChannel& channel) -> std::string {
        if (design == nullptr || !channel.exists()) return {};
        const std::string object = designObject(channel.channel(), *design);
        return object.empty() ? object : ",\"design\":" + object;
    };
    if (!summary.candidates && !summary.channels.empty())
        line += designMember(summary.channels.front());
    const auto schemeChannel = designChannelOf(summary);
    // The schemes are trapezoids of b and m, as in the book: none for a lined section's shape.
    const Computed<Schemes> schemes = schemeChannel && !schemeChannel->shape
                                          ? schemesOf(*schemeChannel)
                                          : Computed<Schemes>::absent("没有渠道");
    if (summary.candidates) {
        std::string candidates;
        for (const SummaryChannel& candidate : summary.channels) {
            if (!candidate.exists()) continue;
            const ChannelHydraulics& hy = candidate.hydraulics;
            Values entries{{"h", recordNumber(candidate.channel().h)},
                           {"b", recordNumber(candidate.channel().b)}};
            addComputed(entries, "B", hy.B);
            addComputed(entries, "Fr", hy.Fr);
            if (hy.regime.exists())
                addValue(entries, "regime", std::string(flowRegimeName(hy.regime.value())));
            addComputed(entries, "hc", hy.hc);
            addComputed(entries, "ik", hy.ik);
            if (schemes.exists()) {
                const Channel& c = candidate.channel();
                addComputed(entries, "alpha", areaRatioOf(schemes.value(), c.b, c.h));
            }
            if (!candidates.empty()) candidates += ',';
            std::string entry = object(entries);
            entry.insert(entry.size() - 1, designMember(candidate));
            candidates += entry;
        }
        line += ",\"candidates\":[" + candidates + ']';
    }
    if (schemes.exists()) {
        // The press's own channel carries its α; 断面尺寸's candidates carry theirs.
        std::optional<double> alpha;
        if (!summary.candidates) {
            const Computed<double> own =
                areaRatioOf(schemes.value(), schemeChannel->b, schemeChannel->h);
            if (own.exists()) alpha = own.value();
        }
        line += ",\"schemes\":" + schemesJson(schemes.value(), alpha);
    }
    return line + '}';
}

}  // namespace lintavo
