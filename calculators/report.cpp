#include "calculators/report.h"

#include <algorithm>
#include <map>

#include "calculators/explain.h"
#include "calculators/table.h"
#include "hydraulics/quantities.h"

namespace lintavo {

namespace {

// How each recorded step is written: its name, its formula with the operands in braces, and
// its unit. The braces become the symbols in the formula and the numbers in the substitution.
struct StepForm {
    std::string_view symbol;
    std::string_view name;
    std::string_view formula;
    std::string_view unit;
};

constexpr StepForm channelSteps[] = {
    {"A", "过水断面面积", "({b} + {m}·{h})·{h}", "m²"},
    {"P", "湿周", "{b} + 2·{h}·√(1 + {m}²)", "m"},
    {"R", "水力半径", "{A} / {P}", "m"},
    {"C", "谢才系数", "(1 / {n})·{R}^(1/6)", "m½/s"},
    {"Q", "流量", "{A}·{C}·√({R}·{i})", "m³/s"},
    {"v", "流速（单精度）", "{Q} / {A}", "m/s"},
    {"C²", "谢才系数的平方", "{C}²", "m/s²"},
    {"Q²", "流量的平方", "{Q}²", "m⁶/s²"},
    {"A²", "面积的平方", "{A}²", "m⁴"},
    {"C²·A²·R", "分母", "{C²}·{A²}·{R}", "m⁶/s²"},
    {"i", "底坡", "{Q²} / ({C²·A²·R})", ""},
};

constexpr StepForm sectionSteps[] = {
    {"A", "过水断面面积", "{Q} / {v}", "m²"},
    {"R", "水力半径", "({n}·{v} / {i}^0.5)^1.5", "m"},
    {"P", "湿周", "{A} / {R}", "m"},
    {"s", "边坡因子", "√(1 + {m}²)", ""},
    {"D", "判别式的根", "√({P}² + 4·{A}·({m} − 2·{s}))", "m"},
    {"h1", "水深第一根", "({D} − {P}) / (2·({m} − 2·{s}))", "m"},
    {"h2", "水深第二根", "(−{P} − {D}) / (2·({m} − 2·{s}))", "m"},
    {"b1", "对应底宽", "{P} − 2·{s}·{h1}", "m"},
    {"b2", "对应底宽", "{P} − 2·{s}·{h2}", "m"},
};

bool isSection(const Record& record) {
    return std::any_of(record.inputs.begin(), record.inputs.end(),
                       [](const RecordedInput& in) { return in.symbol == 'v'; });
}

std::string unitOf(char symbol) {
    switch (symbol) {
        case 'Q':
            return "m³/s";
        case 'v':
            return "m/s";
        case 'b':
        case 'h':
            return "m";
        default:
            return "";
    }
}

std::string captionOf(char symbol) {
    for (const Quantity& q : quantities) {
        if (q.symbol == symbol) return std::string(q.caption);
    }
    return std::string(1, symbol);
}

// A number inside a substituted formula: a negative one in brackets, so that "b + m·h"
// with m = −1 reads "2 + (-1) × 1".
std::string operand(double x) {
    const std::string text = recordNumber(x);
    return x < 0 ? "(" + text + ")" : text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Fills a step's formula and substitution from the values known so far; a missing operand
// leaves the substitution empty.
void writeFormula(ReportStep& step, std::string_view form,
                  const std::map<std::string, double, std::less<>>& known) {
    bool complete = true;
    std::size_t at = 0;
    while (at < form.size()) {
        const std::size_t open = form.find('{', at);
        std::string_view literal =
            form.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at);
        step.formula += literal;
        for (std::size_t k = 0; k < literal.size();) {
            if (literal.substr(k, 2) == "·") {
                step.substituted += " × ";
                k += 2;
            } else {
                step.substituted += literal[k++];
            }
        }
        if (open == std::string_view::npos) break;
        const std::size_t close = form.find('}', open);
        const std::string_view name = form.substr(open + 1, close - open - 1);
        step.formula += name;
        const auto value = known.find(name);
        if (value == known.end()) {
            complete = false;
        } else {
            step.substituted += operand(value->second);
        }
        at = close + 1;
    }
    if (!complete) {
        step.substituted.clear();
        return;
    }
    // Brackets that held a name and now hold one positive number say nothing:
    // "Q² / (C²·A²·R)" becomes "7.634 / 7634.5".
    std::string& text = step.substituted;
    for (std::size_t open = text.find('('); open != std::string::npos;
         open = text.find('(', open + 1)) {
        const std::size_t close = text.find(')', open);
        if (close == std::string::npos) break;
        const std::string inside = text.substr(open + 1, close - open - 1);
        const bool number =
            !inside.empty() && inside.find_first_not_of("0123456789.e+") == std::string::npos;
        const bool named = form.find("({") != std::string_view::npos;
        if (number && named && (open == 0 || text[open - 1] == ' ')) {
            text.replace(open, close - open + 1, inside);
        }
    }
}

std::string flowRegimeText(const Computed<FlowRegime>& regime) {
    return regime.exists() ? std::string(flowRegimeName(regime.value())) : "—";
}

ReportRow quantityRow(std::string name, std::string symbol, const Computed<double>& q,
                      std::string unit) {
    if (q.exists()) return {std::move(name), std::move(symbol), recordNumber(q.value()), unit, {}};
    return {std::move(name), std::move(symbol), "—", std::move(unit), std::string(q.reason())};
}

// The channel's section 2 quantities; `own` holds the calculation's own A, P, R, C, which
// take the place of the ones computed here.
std::vector<ReportRow> hydraulicRows(const Channel& channel, const Record* own) {
    const ChannelHydraulics hy = hydraulicsOf(channel);
    std::vector<ReportRow> rows;
    const auto add = [&](const char* name, const char* symbol, const Computed<double>& q,
                         const char* unit) {
        ReportRow row = quantityRow(name, symbol, q, unit);
        if (own != nullptr) {
            if (const auto v = own->valueOf(symbol)) {
                row.value = recordNumber(v->number());
                row.note = "计算过程值";
            }
        }
        rows.push_back(std::move(row));
    };
    add("过水断面面积", "A", hy.A, "m²");
    add("湿周 χ", "P", hy.P, "m");
    add("水力半径", "R", hy.R, "m");
    add("谢才系数", "C", hy.C, "m½/s");
    add("断面平均流速", "v", hy.v, "m/s");
    rows.push_back(quantityRow("水面宽度", "B", hy.B, "m"));
    rows.push_back(quantityRow("弗劳德数", "Fr", hy.Fr, ""));
    rows.push_back({"流态", "", flowRegimeText(hy.regime), "",
                    hy.regime.exists() ? (hy.regime.value() == FlowRegime::Subcritical ? "Fr < 1"
                                          : hy.regime.value() == FlowRegime::Critical  ? "Fr = 1"
                                                                                       : "Fr > 1")
                                       : std::string(hy.regime.reason())});
    rows.push_back(quantityRow("临界水深", "hc", hy.hc, "m"));
    rows.push_back(quantityRow("临界底坡", "ik", hy.ik, ""));
    ReportRow depth{"水深与临界水深", "h : hc", "—", "", std::string(hy.depthRegime.reason())};
    if (hy.depthRegime.exists()) {
        const FlowRegime r = hy.depthRegime.value();
        depth.value = "h = " + recordNumber(channel.h) +
                      (r == FlowRegime::Subcritical ? " > "
                       : r == FlowRegime::Critical  ? " = "
                                                    : " < ") +
                      "hc = " + recordNumber(hy.hc.value());
        depth.note = std::string(flowRegimeName(r));
    }
    rows.push_back(depth);
    ReportRow slope{"底坡与临界底坡", "i : ik", "—", "", std::string(hy.slope.reason())};
    if (hy.slope.exists()) {
        const SlopeKind k = hy.slope.value();
        slope.value = "i = " + recordNumber(channel.i) +
                      (k == SlopeKind::Mild       ? " < "
                       : k == SlopeKind::Critical ? " = "
                                                  : " > ") +
                      "ik = " + recordNumber(hy.ik.value());
        slope.note = std::string(slopeKindName(k));
    }
    rows.push_back(slope);
    return rows;
}

std::string ruleFor(char symbol, bool candidates) {
    if (candidates) return "正根各向下截取到 3 位小数，以“或”相连；无正根时写“无解”";
    if (symbol == 'v') return "取单精度，向下截取到 3 位小数";
    if (symbol == 'i') return "向下截取到 5 位小数";
    return "向下截取到 3 位小数";
}

}  // namespace

CalculationReport buildReport(const CalculatorTable& table, const Record& record, std::string when,
                              std::string program) {
    CalculationReport report;
    report.calculation = std::string(table.window.title);
    report.when = std::move(when);
    report.program = std::move(program);
    const bool section = isSection(record);

    std::map<std::string, double, std::less<>> known;
    for (const RecordedInput& in : record.inputs) {
        ReportRow row{
            captionOf(in.symbol), std::string(1, in.symbol), in.text, unitOf(in.symbol), {}};
        if (trimmed(in.text).empty()) row.value = "（空）";
        if (in.value) {
            known[std::string(1, in.symbol)] = in.value->number();
            const std::string read = recordNumber(in.value->number());
            if (read != trimmed(in.text)) row.note = "读作 " + read;
        } else {
            row.note = "无法读取为数字";
        }
        report.known.push_back(std::move(row));
    }

    const auto formOf = [&](std::string_view symbol) -> const StepForm* {
        const auto find = [&](const auto& forms) -> const StepForm* {
            for (const StepForm& f : forms) {
                if (f.symbol == symbol) return &f;
            }
            return nullptr;
        };
        return section ? find(sectionSteps) : find(channelSteps);
    };
    for (const RecordedStep& recorded : record.steps) {
        ReportStep step{{}, std::string(recorded.symbol),          {},
                        {}, recordNumber(recorded.value.number()), {}};
        if (const StepForm* form = formOf(recorded.symbol)) {
            step.name = form->name;
            step.unit = form->unit;
            writeFormula(step, form->formula, known);
            if (step.formula == step.symbol) step.formula.clear();  // C² = C² says nothing
        }
        known[std::string(recorded.symbol)] = recorded.value.number();
        report.steps.push_back(std::move(step));
    }

    if (record.bisection) {
        // The bisection looks for the one of h and b that is not an input.
        const bool depthGiven =
            std::any_of(record.inputs.begin(), record.inputs.end(),
                        [](const RecordedInput& in) { return in.symbol == 'h'; });
        const char x = depthGiven ? 'b' : 'h';
        const std::string xs(1, x);
        report.bisection.push_back("f(" + xs + ") = Q − (1/n)·A·R^(2/3)·√i，A、R 按 " + xs +
                                   " 计算；求 f(" + xs + ") = 0 的根");
        report.bisection.push_back(
            "初始区间 [0, 10] m，每次取中点，f(下端)·f(中点) > 0 时移下端，否则移上端");
        report.bisection.push_back("对分 " + std::to_string(record.bisection->halvings) +
                                   " 次，最终区间 [" + recordNumber(record.bisection->lo.number()) +
                                   ", " + recordNumber(record.bisection->hi.number()) + "] m");
        if (!record.failure) {
            report.bisection.push_back(
                xs + " = (下端 + 上端) / 2 = " +
                recordNumber((record.bisection->lo.number() + record.bisection->hi.number()) / 2) +
                " m");
        }
    }

    if (record.failure) {
        report.failed = true;
        report.failureKind = std::string(failureKindName(record.failure->kind));
        const FailureCause cause = explainFailure(table, record);
        report.failure = cause.sentence;
        if (!cause.step.empty()) {
            if (const StepForm* form = formOf(cause.step)) {
                ReportStep step{
                    std::string(form->name), std::string(cause.step), {}, {}, "无法计算", {}};
                writeFormula(step, form->formula, known);
                report.steps.push_back(std::move(step));
            }
        }
        return report;
    }

    for (const RecordedResult& r : record.results) {
        std::string exact = "—";
        if (r.exact) {
            exact = recordNumber(r.exact->number());
        } else {
            // The candidates of 断面尺寸: the positive roots before they were cut.
            std::vector<std::string> roots;
            for (const char* k : {"1", "2"}) {
                const auto x = record.valueOf(std::string(1, r.symbol) + k);
                if (x && x->number() > 0) roots.push_back(recordNumber(x->number()));
            }
            if (!roots.empty()) {
                exact = roots.front();
                for (std::size_t k = 1; k < roots.size(); ++k)
                    exact += " 或 " + roots[k];
            }
        }
        report.results.push_back({captionOf(r.symbol), std::string(1, r.symbol), exact, r.text,
                                  unitOf(r.symbol), ruleFor(r.symbol, !r.exact)});
    }

    if (section) {
        const std::vector<Channel> candidates = candidateChannels(record);
        const char* ordinal[] = {"一", "二"};
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            const Channel& c = candidates[k];
            report.channels.push_back({"断面" + std::string(ordinal[std::min<std::size_t>(k, 1)]) +
                                           "：h = " + recordNumber(c.h) +
                                           " m，b = " + recordNumber(c.b) + " m",
                                       c, !ratingCurve(c, 2).empty(), hydraulicRows(c, nullptr)});
        }
    } else {
        const Channel c = channelOf(record);
        const bool ownSection = std::any_of(record.steps.begin(), record.steps.end(),
                                            [](const RecordedStep& s) { return s.symbol == "A"; });
        report.channels.push_back(
            {{}, c, !ratingCurve(c, 2).empty(), hydraulicRows(c, ownSection ? &record : nullptr)});
    }
    report.schemes = schemeSectionOf(table, record);
    return report;
}

namespace {

std::string joined(const std::vector<std::string>& parts, const char* between) {
    std::string text;
    for (const std::string& p : parts) {
        if (p.empty()) continue;
        if (!text.empty()) text += between;
        text += p;
    }
    return text;
}

void writeRows(std::string& text, const std::vector<ReportRow>& rows) {
    for (const ReportRow& r : rows) {
        std::string line = "  " + r.name;
        if (!r.symbol.empty()) line += "  " + r.symbol + " =";
        line += " " + r.value;
        if (!r.unit.empty() && r.value != "—") line += " " + r.unit;
        if (!r.note.empty()) line += "（" + r.note + "）";
        text += line + "\n";
    }
}

}  // namespace

std::string plainText(const CalculationReport& report) {
    std::string text;
    text += report.calculation + " 计算书\n";
    text += joined({report.when, report.program}, "    ") + "\n\n";
    text += "一、已知条件\n";
    writeRows(text, report.known);
    text += "\n二、计算公式与过程\n";
    for (const ReportStep& s : report.steps) {
        std::string line = "  " + s.symbol;
        if (!s.formula.empty()) line += " = " + s.formula;
        if (!s.substituted.empty()) line += " = " + s.substituted;
        line += " = " + s.value;
        if (!s.unit.empty() && s.value != "无法计算") line += " " + s.unit;
        if (!s.name.empty()) line += "（" + s.name + "）";
        text += line + "\n";
    }
    for (const std::string& line : report.bisection)
        text += "  " + line + "\n";
    if (report.failed) {
        text += "\n三、计算失败\n";
        text += "  " + report.failure + "（" + report.failureKind + "）\n";
        return text;
    }
    text += "\n三、计算结果\n";
    for (const ReportResult& r : report.results) {
        text += "  " + r.name + "：";
        if (r.exact != "—")
            text += "计算值 " + r.exact + (r.unit.empty() ? "" : " " + r.unit) + "，";
        text += "写入 " + r.written + "（" + r.rule + "）\n";
    }
    text += "\n四、水力要素与流态\n";
    if (report.channels.empty()) text += "  没有水深和底宽都为正的断面。\n";
    for (const ReportChannel& c : report.channels) {
        if (!c.heading.empty()) text += "  " + c.heading + "\n";
        writeRows(text, c.rows);
    }
    if (report.schemes) {
        const SchemeSection& s = *report.schemes;
        text += "\n五、断面方案\n  " + s.design + "\n  水力最佳断面：\n";
        for (const std::string& line : s.best)
            text += "    " + line + "\n";
        text += "  实用经济断面：\n    " + joined(s.header, " | ") + "\n";
        for (const SchemeSection::Row& row : s.rows)
            text += "    " + joined(row.cells, " | ") + "\n";
        for (const std::string& line : s.placements)
            text += "  " + line + "\n";
    }
    return text;
}

}  // namespace lintavo
