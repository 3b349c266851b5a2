#include "calculators/explain.h"

#include <charconv>

#include "calculators/table.h"
#include "hydraulics/quantities.h"

namespace lintavo {

namespace {

// An input's label caption by its symbol: 'b' → "底宽b".
std::string_view captionOf(char symbol) {
    for (const Quantity& q : quantities) {
        if (q.symbol == symbol) return q.caption;
    }
    return {};
}

// The cause of a failure while the inputs were read; the same in every calculation.
FailureCause readingCause(const Record& record) {
    const RecordedInput& input = record.inputs.at(*record.failure->input);
    const std::string field = "“" + std::string(captionOf(input.symbol)) + "”";
    if (record.failure->kind == FailureKind::Overflow) {
        return {"", field + "的数值超出了单精度数的范围（约 ±3.4×10³⁸），请输入较小的数值。",
                std::string(1, input.symbol)};
    }
    return {"", field + "不是有效的数字，请输入一个数，例如 2 或 0.025。",
            std::string(1, input.symbol)};
}

// The symbols a record read, in reading order: "bhmin".
std::string inputSymbols(const Record& record) {
    std::string symbols;
    for (const RecordedInput& input : record.inputs)
        symbols += input.symbol;
    return symbols;
}

bool isKey(std::string_view step) {
    for (std::string_view key :
         {"A", "P", "R", "C", "Q", "v", "i", "s", "D", "h1", "h2", "b1", "b2"}) {
        if (step == key) return true;
    }
    return false;
}

}  // namespace

FailureCause explainFailure(const CalculatorTable& table, const Record& record) {
    if (record.failure->input) return readingCause(record);
    FailureCause cause = table.explain(record);
    if (cause.sentence.empty()) {
        // An operation beyond the double range: only extreme inputs get there, and any of them
        // may be the one.
        cause.sentence = "计算过程中的数值超出了双精度数的范围（溢出），请检查输入是否过大或过小。";
        cause.fields = inputSymbols(record);
    }
    return cause;
}

std::optional<FailureCause> explainSectionStep(std::string_view step, FailureKind kind) {
    if (step == "R" && kind == FailureKind::DivisionByZero) {
        return FailureCause{step,
                            "湿周 P = 0：底宽 b 和水深 h 都为 0，没有过水断面，水力半径 R = A/P "
                            "无法计算。请输入底宽和水深。",
                            "bh"};
    }
    if (step == "C" && kind == FailureKind::DivisionByZero) {
        return FailureCause{step,
                            "糙率 n 为 0：谢才系数 C = (1/n)·R^(1/6) 中的 1/n 是除以零。糙率应为"
                            "正数，例如 0.025。",
                            "n"};
    }
    if (step == "C" && kind == FailureKind::InvalidArgument) {
        return FailureCause{step,
                            "水力半径 R 为负（过水断面面积 A 与湿周 P 异号），R^(1/6) 无意义。"
                            "请检查底宽 b、水深 h 和边坡系数 m 是否为负。",
                            "bhm"};
    }
    return std::nullopt;
}

std::vector<std::string_view> fieldsFor(const CalculatorTable& table, std::string_view symbols) {
    std::vector<std::string_view> fields;
    const auto inputs = rowsWith(table.window, Role::Input);
    for (char symbol : symbols) {
        for (const ControlRow* row : inputs) {
            for (const Quantity& q : quantities) {
                if (q.symbol == symbol && row->name.substr(0, q.prefix.size()) == q.prefix)
                    fields.push_back(row->name);
            }
        }
    }
    return fields;
}

Channel channelOf(const Record& record) {
    const auto value = [&record](char symbol) {
        for (const RecordedResult& result : record.results) {
            if (result.symbol == symbol && result.exact) return result.exact->number();
        }
        const auto found = record.valueOf(std::string_view(&symbol, 1));
        return found ? found->number() : 0.0;
    };
    return {value('Q'), value('b'), value('h'), value('m'), value('i'), value('n')};
}

std::vector<Channel> candidateChannels(const Record& record) {
    std::vector<Channel> candidates;
    const auto number = [&record](std::string_view symbol) { return record.valueOf(symbol); };
    for (const auto& [depth, width] : {std::pair{"h1", "b1"}, std::pair{"h2", "b2"}}) {
        const auto h = number(depth);
        const auto b = number(width);
        if (!h || !b || !(h->number() > 0) || !(b->number() > 0)) continue;
        candidates.push_back({number("Q")->number(), b->number(), h->number(),
                              number("m")->number(), number("i")->number(), number("n")->number()});
    }
    return candidates;
}

std::string recordNumber(double x) {
    char buffer[48];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 9);
    return {buffer, end.ptr};
}

std::vector<std::pair<std::string, std::string>> reportValues(const CalculatorTable& table,
                                                              const Record& record) {
    std::vector<std::pair<std::string, std::string>> values;
    const auto add = [&values](std::string key, std::string text) {
        for (const auto& kept : values) {
            if (kept.first == key) return;  // the calculation's own value stands
        }
        values.emplace_back(std::move(key), std::move(text));
    };
    for (const RecordedInput& input : record.inputs) {
        if (input.value) add(std::string(1, input.symbol), recordNumber(input.value->number()));
    }
    for (const RecordedStep& step : record.steps) {
        if (isKey(step.symbol)) add(std::string(step.symbol), recordNumber(step.value.number()));
    }
    for (const RecordedResult& result : record.results) {
        if (result.exact) add(std::string(1, result.symbol), recordNumber(result.exact->number()));
    }
    if (record.failure || !table.channelResult) return values;

    const ChannelHydraulics channel = hydraulicsOf(channelOf(record));
    const auto addComputed = [&add](const char* key, const Computed<double>& quantity) {
        if (quantity.exists()) add(key, recordNumber(quantity.value()));
    };
    addComputed("A", channel.A);
    addComputed("P", channel.P);
    addComputed("R", channel.R);
    addComputed("C", channel.C);
    addComputed("v", channel.v);
    addComputed("B", channel.B);
    addComputed("Fr", channel.Fr);
    if (channel.regime.exists()) add("regime", std::string(flowRegimeName(channel.regime.value())));
    addComputed("hc", channel.hc);
    addComputed("ik", channel.ik);
    return values;
}

}  // namespace lintavo
