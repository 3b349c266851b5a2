#include "calculators/section_dimensions.h"

#include <utility>
#include <vector>

#include "calculators/numbers.h"

namespace lintavo {

using namespace literals;

namespace {

bool positive(const std::optional<Value>& x) {
    return x && *x > 0_int;
}

// The candidates a field shows, before they were cut: the positive ones, in order.
std::vector<Value> shownCandidates(std::optional<Value> x1, std::optional<Value> x2) {
    std::vector<Value> shown;
    for (const auto& x : {x1, x2}) {
        if (positive(x)) shown.push_back(*x);
    }
    return shown;
}

}  // namespace

SectionCandidates sectionDimensions(Value Q, Value v, Value m, Value i, Value n, Record* record) {
    const Value A = noted(record, "A", Q / v);
    const Value nv = n * v;
    const Value R = noted(record, "R", pow(nv / pow(i, 0.5_dbl), 1.5_dbl));
    const Value P = noted(record, "P", A / R);
    const Value s = noted(record, "s", sqrt(1_int + pow(m, 2_int)));
    // The radicand is P² − 4(2s − m)·A, written with the divisor's factor m − 2s.
    const Value D = noted(record, "D", sqrt(pow(P, 2_int) + (4_int * A) * (m - 2_int * s)));
    // 2s > |m| for every m, so the divisor is negative and never zero.
    const Value divisor = 2_int * (m - 2_int * s);
    const Value h1 = noted(record, "h1", (D - P) / divisor);
    const Value h2 = noted(record, "h2", (-P - D) / divisor);
    SectionCandidates candidates{h1, h2, std::nullopt, std::nullopt};
    if (h1 > 0_int) candidates.b1 = noted(record, "b1", P - (2_int * s) * h1);
    if (h2 > 0_int) candidates.b2 = noted(record, "b2", P - (2_int * s) * h2);
    return candidates;
}

std::string formatCandidates(std::optional<Value> x1, std::optional<Value> x2) {
    std::string text;
    for (const auto& x : {x1, x2}) {
        if (!positive(x)) continue;
        if (!text.empty()) text += "或";
        text += formatResult(floorTruncate(*x, 3));
    }
    return text.empty() ? "无解" : text;
}

Description describeSectionCandidates(const Record& record) {
    Description description{true, {}};
    const auto number = [&record](std::string_view symbol) {
        const auto x = record.valueOf(symbol);
        return x ? x->number() : 0.0;
    };
    const char* ordinal[] = {"断面一", "断面二"};
    for (const auto& [depth, width] : {std::pair{"h1", "b1"}, std::pair{"h2", "b2"}}) {
        const auto h = record.valueOf(depth);
        if (!positive(h)) continue;  // not written into the field
        const auto b = record.valueOf(width);
        DescribedChannel candidate{ordinal[description.channels.size()],
                                   {number("Q"), b ? b->number() : 0.0, h->number(), number("m"),
                                    number("i"), number("n")},
                                   {},
                                   false};
        if (!positive(b)) {
            // The depth as its field shows it; the width, which no field shows, as read.
            std::string bText = readableNumber(b ? b->number() : 0.0);
            if (bText.front() == '-') bText = "−" + bText.substr(1);
            candidate.absent = "h = " + toThreeDecimals.apply(*h) + " m 时 b = " + bText + " m " +
                               (b && b->number() < 0 ? "<" : "=") + " 0，不成立";
        }
        description.channels.push_back(std::move(candidate));
    }
    return description;
}

Texts pressSectionDimensions(std::span<const std::string> inputs, Record* record) {
    const auto [Q, v, m, i, n] = readInputs(inputs, "Qvmin", record);
    const SectionCandidates c = sectionDimensions(Q, v, m, i, n, record);
    // Both texts exist before either field is written.
    return writeResults(
        record, {{'h', formatCandidates(c.h1, c.h2), candidatesRule, shownCandidates(c.h1, c.h2)},
                 {'b', formatCandidates(c.b1, c.b2), candidatesRule, shownCandidates(c.b1, c.b2)}});
}

}  // namespace lintavo

namespace lintavo {

FailureCause explainSectionFailure(const Record& record) {
    const StaticText step = record.nextStep({"A", "R", "P", "s", "D"});
    const FailureKind kind = record.failure->kind;
    if (step == "A" && kind == FailureKind::DivisionByZero)
        return {step, "流速 v 为 0：过水断面面积 A = Q/v 是除以零。流速应为正数，例如 1。", "v"};
    if (step == "R" && kind == FailureKind::DivisionByZero) {
        return {
            step,
            "底坡 i 为 0：所需水力半径 R = (n·v/i^0.5)^1.5 中除以零。底坡应为正数，例如 0.001。",
            "i"};
    }
    if (step == "R" && kind == FailureKind::InvalidArgument) {
        if (record.input('i') < 0) {
            return {step, "底坡 i 为负：i^0.5 是负数的分数次幂。底坡应为正数，例如 0.001。", "i"};
        }
        return {step, "糙率 n 与流速 v 一正一负：(n·v/i^0.5)^1.5 是负数的分数次幂。", "nv"};
    }
    if (step == "P" && kind == FailureKind::DivisionByZero) {
        return {
            step,
            "糙率 n 为 0：所需水力半径 R = 0，湿周 P = A/R 是除以零。糙率应为正数，例如 0.025。",
            "n"};
    }
    if (step == "D" && kind == FailureKind::InvalidArgument) {
        return {step,
                "在这一边坡系数下，没有断面能在这一底坡上以流速 v 通过流量 Q（判别式为负）。"
                "请减小流速 v，或改变边坡系数 m。",
                "vm"};
    }
    return {step, {}, {}};
}

}  // namespace lintavo
