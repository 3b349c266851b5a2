#include "standard/schemes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <variant>

#include "calculators/numbers.h"
#include "calculators/press.h"
#include "calculators/summary.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

// (1/n)·A·R^(2/3)·√i for the section b, h.
struct Flow {
    double A, P, R, Q;
};

Flow manning(double b, double h, double m, double i, double n) {
    const PlainSection section{b, m};
    return {section.area(h), section.wettedPerimeter(h), section.hydraulicRadius(h),
            section.manningDischarge(h, i, n)};
}

bool allFinite(std::initializer_list<double> xs) {
    for (double x : xs) {
        if (!std::isfinite(x)) return false;
    }
    return true;
}

Verdict verdictOf(double v, const VelocityLimits& limits) {
    if (!limits.minimum && !limits.maximum) return Verdict::Unchecked;
    if (limits.minimum && v < *limits.minimum) return Verdict::NotMet;
    if (limits.maximum && v > *limits.maximum) return Verdict::NotMet;
    return Verdict::Met;
}

}  // namespace

Computed<Schemes> schemesOf(const Channel& channel, const VelocityLimits& limits) {
    // The schemes vary a trapezoid's b and h; a lined shape's section is fixed by its own
    // dimensions.
    if (channel.shape && !std::holds_alternative<Trapezoid>(*channel.shape))
        return Computed<Schemes>::absent("断面方案只适用于梯形断面");
    const double Q = channel.Q, m = channel.m, i = channel.i, n = channel.n;
    if (!allFinite({Q, m, i, n})) return Computed<Schemes>::absent("输入不是有限数");
    if (!(Q > 0)) return Computed<Schemes>::absent("流量 Q ≤ 0");
    if (!(m >= 0)) return Computed<Schemes>::absent("边坡系数 m < 0");
    if (!(i > 0)) return Computed<Schemes>::absent("底坡 i ≤ 0");
    if (!(n > 0)) return Computed<Schemes>::absent("糙率 n ≤ 0");

    Schemes s{};
    s.Q = Q;
    s.m = m;
    s.i = i;
    s.n = n;
    const double root = rootOfOnePlusSquare(m);
    // √(1 + m²) − m as a quotient: the difference loses every digit for a flat side slope.
    const double d = 1.0 / (root + m);
    BestSection& best = s.best;
    best.K = m + 2.0 * d;
    best.h0 = portablePow(2.0, 0.25) * portablePow(n * Q / (best.K * std::sqrt(i)), 0.375);
    best.b0 = 2.0 * d * best.h0;
    best.A0 = PlainSection{best.b0, m}.area(best.h0);
    best.P0 = PlainSection{best.b0, m}.wettedPerimeter(best.h0);
    best.R0 = best.A0 / best.P0;
    best.v0 = Q / best.A0;
    if (!allFinite({best.K, best.h0, best.b0, best.A0, best.P0, best.R0, best.v0}) ||
        !(best.h0 > 0) || !(best.A0 > 0)) {
        return Computed<Schemes>::absent("数值溢出");
    }

    for (std::size_t k = 0; k < schemeAlphas.size(); ++k) {
        SchemeRow& row = s.rows[k];
        const double alpha = schemeAlphas[k];
        row.alpha = alpha;
        row.eta = portablePow(alpha, 2.5) - std::sqrt(portablePow(alpha, 5.0) - alpha);
        const double eta2 = row.eta * row.eta;
        // α·K/η² − m with K = m + 2d, rearranged so that no two large terms cancel: α ≥ η².
        row.beta = (m * (alpha - eta2) + 2.0 * alpha * d) / eta2;
        row.h = row.eta * best.h0;
        row.b = row.beta * row.h;
        const Flow flow = manning(row.b, row.h, m, i, n);
        row.A = flow.A;
        row.P = flow.P;
        row.R = flow.R;
        row.Q = flow.Q;
        row.v = Q / row.A;
        row.areaIncrease = (row.A - best.A0) / best.A0;
        row.verdict = verdictOf(row.v, limits);
        if (!allFinite({row.eta, row.beta, row.h, row.b, row.A, row.P, row.R, row.Q, row.v})) {
            return Computed<Schemes>::absent("数值溢出");
        }
    }
    return Computed<Schemes>::of(s);
}

Computed<double> areaRatioOf(const Schemes& schemes, double b, double h) {
    if (!std::isfinite(b) || !std::isfinite(h)) return Computed<double>::absent("输入不是有限数");
    if (!(b >= 0) || !(h > 0)) return Computed<double>::absent("底宽 b < 0 或水深 h ≤ 0");
    const double alpha = PlainSection{b, schemes.m}.area(h) / schemes.best.A0;
    if (!std::isfinite(alpha)) return Computed<double>::absent("数值溢出");
    return Computed<double>::of(alpha);
}

std::string schemePlacement(double alpha) {
    // Classified by the three decimals shown, so that the words never contradict the figure.
    const double thousandths = std::nearbyint(alpha * 1000.0);
    char shown[32];
    const auto end = std::to_chars(shown, shown + sizeof shown, thousandths / 1000.0,
                                   std::chars_format::fixed, 3);
    std::string text = "本断面面积为水力最佳断面的 " + std::string(shown, end.ptr) + " 倍，";
    const auto alphaOf = [](double hundredths) {
        char buffer[16];
        const auto stop = std::to_chars(buffer, buffer + sizeof buffer, hundredths / 100.0,
                                        std::chars_format::fixed, 2);
        return std::string(buffer, stop.ptr);
    };
    const auto row = [&alphaOf](double hundredths) { return "α = " + alphaOf(hundredths); };
    if (thousandths < 1000.0) return text + "小于 " + row(100);
    if (thousandths > 1040.0) return text + "大于 " + row(104);
    const double below = std::floor(thousandths / 10.0);
    if (below * 10.0 == thousandths) return text + "即 " + row(below) + " 的断面";
    return text + "介于 " + row(below) + " 与 " + alphaOf(below + 1) + " 之间";
}

std::optional<Channel> designChannelOf(const PressSummary& summary) {
    if (summary.channels.empty()) return std::nullopt;
    return summary.channels.front().channel();
}

const CalculatorTable* schemeChecker(std::span<const CalculatorTable> tables) {
    return calculationReading(tables, adoptedQuantities, 'Q');
}

AdoptedSection adoptedSection(const Schemes& schemes, std::size_t row,
                              std::span<const CalculatorTable> tables) {
    const SchemeRow& r = schemes.rows.at(row);
    // Whole thousandths: ⌈x·1000⌉, written with three decimals.
    const double b = std::ceil(r.b * 1000.0);
    double h = std::ceil(r.h * 1000.0);
    const auto length = [](double thousandths) { return fixedNumber(thousandths / 1000.0, 3); };
    AdoptedSection adopted{length(b), length(h), false};
    const CalculatorTable* checker = schemeChecker(tables);
    if (checker == nullptr) return adopted;
    // The checking press reads singles and computes partly in single precision: h rises until
    // the discharge it computes from these texts is not below Q. One thousandth of h adds far
    // more than that rounding takes away, so this rarely takes a step; the bound only guards
    // the loop.
    const std::string inputs = quantitiesWith(checker->window, Role::Input);
    const std::string_view order = adoptedQuantities;
    for (int tries = 0; tries < 1000; ++tries) {
        const std::string texts[] = {adopted.b, adopted.h, recordNumber(schemes.m),
                                     recordNumber(schemes.i), recordNumber(schemes.n)};
        std::vector<std::string> typed(inputs.size());
        for (std::size_t k = 0; k < inputs.size(); ++k)
            typed[k] = texts[order.find(inputs[k])];
        Record record;
        if (!runPress(checker->press, typed, record)) break;
        const auto carried = std::find_if(record.results.begin(), record.results.end(),
                                          [](const RecordedResult& x) { return x.symbol == 'Q'; });
        if (carried == record.results.end() || !carried->exact ||
            !(carried->exact->number() < schemes.Q))
            break;
        h += 1.0;
        adopted.h = length(h);
        adopted.raised = true;
    }
    return adopted;
}

SchemeAdoption adoptionOf(const Record& record, const Schemes& schemes, std::size_t row,
                          std::span<const CalculatorTable> tables) {
    const auto typed = [&record](char symbol) -> std::string {
        for (const RecordedInput& in : record.inputs) {
            if (in.symbol != symbol || !in.value) continue;
            // The user's own text parses to the same number again; only the blanks around it go.
            const auto first = in.text.find_first_not_of(" \t");
            if (first == std::string::npos) break;
            return in.text.substr(first, in.text.find_last_not_of(" \t") - first + 1);
        }
        for (const RecordedResult& r : record.results) {
            if (r.symbol == symbol && r.exact) return recordNumber(r.exact->number());
        }
        const auto x = record.valueOf(std::string_view(&symbol, 1));
        return x ? recordNumber(x->number()) : std::string();
    };
    const AdoptedSection section = adoptedSection(schemes, row, tables);
    return {adoptedQuantities, {section.b, section.h, typed('m'), typed('i'), typed('n')}};
}

std::string schemesJson(const Schemes& schemes, std::optional<double> alpha) {
    const auto entry = [](const char* key, double x) {
        return "\"" + std::string(key) + "\":\"" + recordNumber(x) + "\"";
    };
    std::string json = "{" + entry("h0", schemes.best.h0) + "," + entry("b0", schemes.best.b0);
    if (alpha) json += "," + entry("alpha", *alpha);
    json += ",\"rows\":[";
    for (std::size_t k = 0; k < schemes.rows.size(); ++k) {
        const SchemeRow& row = schemes.rows[k];
        if (k > 0) json += ",";
        json += "{" + entry("alpha", row.alpha) + "," + entry("h", row.h) + "," +
                entry("b", row.b) + "," + entry("beta", row.beta) + "," + entry("v", row.v) + "}";
    }
    return json + "]}";
}

std::string schemeLength(double x) {
    return fixedNumber(x, 3);
}

}  // namespace lintavo
