// TEMP: a stand-in for the report's reading of a record until the real one lands.

#include "calculators/explain.h"

#include <cstdio>

#include "calculators/table.h"
#include "hydraulics/quantities.h"

namespace lintavo {

FailureCause explainFailure(const CalculatorTable& /*table*/, const Record& record) {
    FailureCause cause;
    const RecordedFailure& failure = *record.failure;
    cause.step = failure.step;
    if (failure.input && *failure.input < record.inputs.size()) {
        cause.fields = std::string(1, record.inputs[*failure.input].symbol);
        cause.sentence = "输入的数值无法读取。";
        return cause;
    }
    const auto zero = [&](char symbol) {
        const auto v = record.valueOf(std::string_view(&symbol, 1));
        return v && v->number() == 0;
    };
    if (failure.kind == FailureKind::DivisionByZero && zero('b') && zero('h')) {
        cause.fields = "bh";
    } else if (failure.kind == FailureKind::DivisionByZero && zero('n')) {
        cause.fields = "n";
    } else {
        for (const RecordedInput& in : record.inputs)
            cause.fields += in.symbol;
    }
    cause.sentence = "计算无法完成。请检查输入的数值。";
    return cause;
}

std::vector<std::string_view> fieldsFor(const CalculatorTable& table, std::string_view symbols) {
    std::vector<std::string_view> names;
    for (const char symbol : symbols) {
        for (const ControlRow* row : rowsWith(table.window, Role::Input)) {
            for (const Quantity& q : quantities) {
                if (q.symbol == symbol && row->name.substr(0, q.prefix.size()) == q.prefix)
                    names.push_back(row->name);
            }
        }
    }
    return names;
}

namespace {

double numberOf(const Record& record, char symbol) {
    for (const RecordedResult& r : record.results) {
        if (r.symbol == symbol && r.exact) return r.exact->number();
    }
    const auto v = record.valueOf(std::string_view(&symbol, 1));
    return v ? v->number() : 0.0;
}

}  // namespace

Channel channelOf(const Record& record) {
    return {numberOf(record, 'Q'), numberOf(record, 'b'), numberOf(record, 'h'),
            numberOf(record, 'm'), numberOf(record, 'i'), numberOf(record, 'n')};
}

std::vector<Channel> candidateChannels(const Record& record) {
    std::vector<Channel> channels;
    const Channel base = channelOf(record);
    for (const auto& [hs, bs] : {std::pair{"h1", "b1"}, std::pair{"h2", "b2"}}) {
        const auto h = record.valueOf(hs);
        const auto b = record.valueOf(bs);
        if (!h || !b || !(h->number() > 0) || !(b->number() > 0)) continue;
        Channel c = base;
        c.h = h->number();
        c.b = b->number();
        channels.push_back(c);
    }
    return channels;
}

std::string recordNumber(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", x);
    return text;
}

std::vector<std::pair<std::string, std::string>> reportValues(const CalculatorTable& /*table*/,
                                                              const Record& record) {
    std::vector<std::pair<std::string, std::string>> values;
    const auto put = [&](std::string key, double x) {
        for (const auto& [k, v] : values) {
            if (k == key) return;
        }
        values.emplace_back(std::move(key), recordNumber(x));
    };
    for (const RecordedInput& in : record.inputs) {
        if (in.value) put(std::string(1, in.symbol), in.value->number());
    }
    for (const RecordedStep& step : record.steps) {
        if (step.symbol.find_first_of("\xC2\xB7") == std::string_view::npos)
            put(std::string(step.symbol), step.value.number());
    }
    for (const RecordedResult& r : record.results) {
        if (r.exact) put(std::string(1, r.symbol), r.exact->number());
    }
    if (record.failure || record.valueOf("h1")) return values;
    const ChannelHydraulics hy = hydraulicsOf(channelOf(record));
    const auto quantity = [&](const char* key, const Computed<double>& q) {
        if (q.exists()) put(key, q.value());
    };
    quantity("A", hy.A);
    quantity("P", hy.P);
    quantity("R", hy.R);
    quantity("C", hy.C);
    quantity("v", hy.v);
    quantity("B", hy.B);
    quantity("Fr", hy.Fr);
    if (hy.regime.exists()) values.emplace_back("regime", flowRegimeName(hy.regime.value()));
    quantity("hc", hy.hc);
    quantity("ik", hy.ik);
    return values;
}

}  // namespace lintavo
