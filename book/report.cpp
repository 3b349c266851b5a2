#include "book/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "book/design_report.h"
#include "calculators/catalogue.h"
#include "calculators/explain.h"
#include "calculators/numbers.h"
#include "calculators/summary.h"
#include "calculators/table.h"
#include "hydraulics/number_text.h"
#include "hydraulics/quantities.h"

namespace lintavo {

namespace {

// A row's caption: the quantity's, or its symbol where it names none.
std::string captionFor(char symbol) {
    const std::string_view caption = captionOf(symbol);
    return caption.empty() ? std::string(1, symbol) : std::string(caption);
}

// How the book writes an input's symbol: the walls' outward angle typed as `a` is α.
std::string symbolText(char symbol) {
    return symbol == 'a' ? "α" : std::string(1, symbol);
}

// Whether every operand in braces of a step's formula is known.
bool operandsKnown(std::string_view form, const std::map<std::string, double, std::less<>>& known) {
    for (std::size_t open = form.find('{'); open != std::string_view::npos;
         open = form.find('{', open + 1)) {
        const std::size_t close = form.find('}', open);
        if (close == std::string_view::npos) return false;
        if (!known.contains(form.substr(open + 1, close - open - 1))) return false;
    }
    return true;
}

// A number inside a substituted formula: a negative one in brackets, so that "b + m·h"
// with m = −1 reads "2 + (-1) × 1".
std::string operand(double x) {
    const std::string text = readableNumber(x);
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
    if (q.exists())
        return {std::move(name), std::move(symbol), readableNumber(q.value()), unit, {}};
    return {std::move(name), std::move(symbol), "—", std::move(unit), std::string(q.reason())};
}

// The channel's section 2 quantities; `own` holds the calculation's own A, P, R, C, which
// take the place of the ones computed here.
std::vector<ReportRow> hydraulicRows(const Channel& channel, const ChannelHydraulics& hy,
                                     const Record* own) {
    std::vector<ReportRow> rows;
    const auto add = [&](const char* name, const char* symbol, const Computed<double>& q,
                         const char* unit) {
        ReportRow row = quantityRow(name, symbol, q, unit);
        if (own != nullptr) {
            if (const auto v = own->valueOf(symbol)) {
                row.value = readableNumber(v->number());
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
        depth.value = "h = " + readableNumber(channel.h) +
                      (r == FlowRegime::Subcritical ? " > "
                       : r == FlowRegime::Critical  ? " = "
                                                    : " < ") +
                      "hc = " + readableNumber(hy.hc.value());
        depth.note = std::string(flowRegimeName(r));
    }
    rows.push_back(depth);
    ReportRow slope{"底坡与临界底坡", "i : ik", "—", "", std::string(hy.slope.reason())};
    if (hy.slope.exists()) {
        const SlopeKind k = hy.slope.value();
        slope.value = "i = " + readableNumber(channel.i) +
                      (k == SlopeKind::Mild       ? " < "
                       : k == SlopeKind::Critical ? " = "
                                                  : " > ") +
                      "ik = " + readableNumber(hy.ik.value());
        slope.note = std::string(slopeKindName(k));
    }
    rows.push_back(slope);
    return rows;
}

}  // namespace

namespace {

// A slope as engineers write it beside the decimal: 0.000299981 is "1/3334".
std::string slopeRatio(double i) {
    if (!(i > 0) || !(i < 1)) return {};
    const double denominator = std::floor(1 / i + 0.5);
    return denominator < 1e9 ? "1/" + recordNumber(denominator) : std::string();
}

// The typed decimal as a double, when the text is plain ASCII: to tell whether the single it
// was read as would look different at the book's precision.
std::optional<double> typedDecimal(const std::string& text) {
    const std::string t = trimmed(text);
    double x = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), x);
    if (error != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return x;
}

ReportRow knownRow(const RecordedInput& in) {
    ReportRow row{
        captionFor(in.symbol), symbolText(in.symbol), in.text, std::string(unitOf(in.symbol)), {}};
    if (trimmed(in.text).empty()) row.value = "（空）";
    if (!in.value) {
        row.note = isBlankText(in.text) ? "为空" : "无法读取为数字";
        return row;
    }
    const double read = in.value->number();
    const auto typed = typedDecimal(in.text);
    if (!typed || readableNumber(*typed) != readableNumber(read))
        row.note = "读作 " + readableNumber(read);
    if (in.symbol == 'i') {
        const std::string ratio = slopeRatio(read);
        if (!ratio.empty() && trimmed(in.text) != ratio)
            row.note += (row.note.empty() ? "即 " : "，即 ") + ratio;
    }
    return row;
}

// Where the failed step of a bisection lies when the bracket never closed: the residual could
// not be evaluated at all.
void describeBisection(CalculationReport& report, const Record& record, char sought) {
    const std::string xs(1, sought);
    report.bisection.emplace_back("f(" + xs + ") = Q − (1/n)·A·R^(2/3)·√i，A、R 按 " + xs +
                                  " 计算；求 f(" + xs + ") = 0 的根");
    report.bisection.emplace_back(
        "初始区间 [0, 10] m，每次取中点，f(下端)·f(中点) > 0 时移下端，否则移上端");
    if (!record.bisection) {
        report.bisection.emplace_back("在区间端点计算 f(" + xs + ") 时失败，对分未能进行");
        return;
    }
    report.bisection.emplace_back("对分 " + std::to_string(record.bisection->halvings) +
                                  " 次，最终区间 [" + recordNumber(record.bisection->lo.number()) +
                                  ", " + recordNumber(record.bisection->hi.number()) + "] m");
    if (!record.failure) {
        report.bisection.emplace_back(
            xs + " = (下端 + 上端) / 2 = " +
            recordNumber((record.bisection->lo.number() + record.bisection->hi.number()) / 2) +
            " m");
    }
}

// How the window shows a quantity of the channel: the text it wrote or the one the user typed,
// else the full value, said to be one.
std::string shownText(const Record& record, char symbol, double full) {
    for (const RecordedResult& result : record.results) {
        if (result.symbol == symbol && result.exact) return result.text;
    }
    for (const RecordedInput& in : record.inputs) {
        if (in.symbol == symbol) return trimmed(in.text);
    }
    return recordNumber(full) + "（计算值）";
}

std::string failureKindText(FailureKind kind) {
    switch (kind) {
        case FailureKind::TypeMismatch:
            return "输入值不是数字";
        case FailureKind::Overflow:
            return "数值溢出";
        case FailureKind::DivisionByZero:
            return "除以零";
        case FailureKind::InvalidArgument:
            return "无效的运算（负数开方或负数的分数次幂）";
        case FailureKind::NoSolution:
            return "计算范围内无解";
    }
    return {};
}

// 五、断面方案: the best section, the practical economic sections each with its 采用此方案,
// and where the press's channel, or each of 断面尺寸's candidates, stands among them.
ReportSection schemesSection(const PressSummary& summary, const Schemes& s) {
    const auto n6 = readableNumber;
    const auto fixed = fixedNumber;
    ReportSection section{"五、断面方案", {}, ReportFigure::Schemes};
    section.blocks.emplace_back("按 Q = " + n6(s.Q) + " m³/s，m = " + n6(s.m) + "，i = " + n6(s.i) +
                                "，n = " + n6(s.n) +
                                "：水力最佳断面与实用经济断面（面积为最佳断面的 α 倍）。");
    const BestSection& best = s.best;
    ReportTable bestTable{{"水力最佳断面", "公式", "数值"}, {}};
    const auto bestRow = [&bestTable](std::string name, std::string formula, std::string value) {
        bestTable.rows.push_back({{std::move(name)}, {std::move(formula)}, {std::move(value)}});
    };
    bestRow("K", "2√(1 + m²) − m", n6(best.K));
    bestRow("水深 h0", "2^(1/4)·(nQ/(K·√i))^(3/8)", n6(best.h0) + " m");
    bestRow("底宽 b0", "2(√(1 + m²) − m)·h0", n6(best.b0) + " m");
    bestRow("面积 A0", "(b0 + m·h0)·h0", n6(best.A0) + " m²");
    bestRow("湿周 χ0", "b0 + 2√(1 + m²)·h0", n6(best.P0) + " m");
    bestRow("水力半径 R0", "A0/χ0 = h0/2", n6(best.R0) + " m");
    bestRow("流速 v0", "Q/A0", n6(best.v0) + " m/s");
    section.blocks.emplace_back(std::move(bestTable));

    ReportTable rows{{"α", "h/h0", "h (m)", "b (m)", "β = b/h", "A (m²)", "面积增加", "v (m/s)",
                      "回算 Q (m³/s)"},
                     {}};
    const bool checked = std::any_of(s.rows.begin(), s.rows.end(), [](const SchemeRow& row) {
        return row.verdict != Verdict::Unchecked;
    });
    if (checked) rows.header.emplace_back("流速");
    rows.header.emplace_back();
    bool raised = false;
    for (std::size_t k = 0; k < s.rows.size(); ++k) {
        const SchemeRow& row = s.rows[k];
        // The b and h 采用此方案 types, rounded up: the channel typed carries at least Q.
        AdoptedSection adopted = adoptedSection(s, k, calculations());
        raised = raised || adopted.raised;
        std::vector<std::string> texts{fixed(row.alpha, 2),
                                       n6(row.eta),
                                       std::move(adopted.h),
                                       std::move(adopted.b),
                                       n6(row.beta),
                                       n6(row.A),
                                       fixed(100.0 * row.areaIncrease, 2) + "%",
                                       n6(row.v),
                                       n6(row.Q)};
        if (checked) texts.emplace_back(verdictName(row.verdict));
        std::vector<ReportCell> cells;
        cells.reserve(texts.size() + 1);
        for (std::string& text : texts)
            cells.emplace_back(std::move(text), row.verdict == Verdict::NotMet);
        cells.emplace_back("采用此方案", false,
                           std::string(schemeLinkScheme) + ":" + std::to_string(k));
        rows.rows.push_back(std::move(cells));
    }
    section.blocks.emplace_back(std::move(rows));

    for (const SummaryChannel& channel : summary.channels) {
        if (!channel.exists()) continue;
        const Computed<double> alpha = areaRatioOf(s, channel.channel().b, channel.channel().h);
        if (!alpha.exists()) continue;
        const std::string& heading = channel.described.heading;
        section.blocks.emplace_back((heading.empty() ? "" : heading + "：") +
                                    schemePlacement(alpha.value()));
    }
    const CalculatorTable* checker = schemeChecker(calculations());
    std::string note =
        "表中 h、b 为各行的值向上取到 3 位小数，采用后通过的流量不小于 Q" +
        std::string(raised ? "（个别行的 h 再加若干 0.001 m，使算得的流量不小于 Q）" : "") +
        "；回算 Q 按曼宁公式 Q = (1/n)·A·R^(2/3)·√i 由各行未取整的 b、h 计算。";
    if (checker != nullptr) {
        note += "“采用此方案”在“" + std::string(checker->window.title) +
                "”中填入该行的 h、b 和本次的 m、i、n。";
    }
    section.blocks.emplace_back(std::move(note));
    return section;
}

}  // namespace

namespace {

std::size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool isLatin(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A Greek letter, U+0391 to U+03C9.
bool isGreek(std::string_view c) {
    if (c.size() != 2) return false;
    const auto a = static_cast<unsigned char>(c[0]);
    const auto b = static_cast<unsigned char>(c[1]);
    return (a == 0xCE && b >= 0x91) || (a == 0xCF && b <= 0x89);
}

// A CJK ideograph, U+4E00 to U+9FFF.
bool isIdeograph(std::string_view c) {
    return c.size() == 3 && static_cast<unsigned char>(c[0]) >= 0xE4 &&
           static_cast<unsigned char>(c[0]) <= 0xE9;
}

bool isLetter(std::string_view c) {
    return (c.size() == 1 && isLatin(c[0])) || isGreek(c);
}

// What a formula is written with outside brackets, a letter's Chinese subscript aside.
bool formulaCharacter(std::string_view c) {
    if (c.size() == 1) {
        const char a = c[0];
        return isLatin(a) || (a >= '0' && a <= '9') ||
               std::string_view(" .+-=<>/^()_%").find(a) != std::string_view::npos;
    }
    if (isGreek(c)) return true;
    for (const std::string_view s : {"·", "×", "−", "≤", "≥", "√", "²", "³", "½", "′"})
        if (c == s) return true;
    return false;
}

// Whether a stretch of formula characters says more than a symbol, a number or a unit.
bool relatesSomething(std::string_view stretch) {
    std::string rest(stretch);
    // Units, where no letter runs on from them: "m³/s" is no division, "m²" no square.
    for (const std::string_view unit : {"m³/s", "m²/s", "m/s²", "m½/s", "m/s", "m³", "m²"}) {
        for (std::size_t at = rest.find(unit); at != std::string::npos; at = rest.find(unit, at)) {
            const bool before = at > 0 && isLatin(rest[at - 1]);
            const bool after = at + unit.size() < rest.size() && isLatin(rest[at + unit.size()]);
            if (before || after) {
                at += unit.size();
            } else {
                rest.erase(at, unit.size());
            }
        }
    }
    for (const std::string_view mark : {"=", "<", ">", "≤", "≥", "√", "^", "·", "×", "/", "²", "³"})
        if (rest.find(mark) != std::string::npos) return true;
    return false;
}

}  // namespace

std::vector<FormulaSpan> formulasIn(std::string_view text) {
    std::vector<FormulaSpan> spans;
    const auto characterAt = [text](std::size_t at) {
        return text.substr(at, utf8Length(static_cast<unsigned char>(text[at])));
    };
    std::size_t at = 0;
    while (at < text.size()) {
        if (!formulaCharacter(characterAt(at)) || text[at] == ' ' || text[at] == ')') {
            at += characterAt(at).size();
            continue;
        }
        // The longest stretch from here whose brackets close.
        const std::size_t begin = at;
        std::size_t balanced = at;
        int depth = 0;
        std::string_view previous;
        while (at < text.size()) {
            const std::string_view c = characterAt(at);
            if (c == "(") {
                ++depth;
            } else if (c == ")") {
                if (depth == 0) break;
                --depth;
            } else if (!formulaCharacter(c)) {
                // Chinese is a letter's subscript ("v不冲") or a name inside brackets.
                const bool subscript =
                    isIdeograph(c) && (isLetter(previous) || isIdeograph(previous));
                const bool inside = depth > 0 && c != "，" && c != "。" && c != "；";
                if (!(isIdeograph(c) && (subscript || inside)) && !(inside && c == ",")) break;
            }
            at += c.size();
            previous = c;
            if (depth == 0) balanced = at;
        }
        std::size_t end = balanced;
        while (end > begin && text[end - 1] == ' ')
            --end;
        if (end > begin && relatesSomething(text.substr(begin, end - begin)))
            spans.push_back({begin, end});
        at = std::max(balanced, begin + characterAt(begin).size());
    }
    return spans;
}

ReportText::ReportText(std::string prose) : text(std::move(prose)), formulas(formulasIn(text)) {}

ReportCell::ReportCell(std::string shown, bool failing, std::string target)
    : text(std::move(shown)), alert(failing), link(std::move(target)), formulas(formulasIn(text)) {}

CalculationReport buildReport(const CalculatorTable& table, const Record& record, std::string when,
                              std::string program, const DesignContext* design) {
    CalculationReport report;
    report.calculation = std::string(table.window.title);
    report.when = std::move(when);
    report.program = std::move(program);
    // The seed windows read their fields in single precision, the lined sections' in double.
    const bool readAsDoubles =
        std::any_of(record.inputs.begin(), record.inputs.end(),
                    [](const RecordedInput& in) { return in.value.has_value(); }) &&
        std::all_of(record.inputs.begin(), record.inputs.end(), [](const RecordedInput& in) {
            return !in.value || in.value->kind() == Kind::Double;
        });
    report.precisionNote =
        std::string(readAsDoubles ? "输入值按双精度读取" : "输入值按单精度读取") +
        "；公式中代入的数值和中间结果取 6 位有效数字，完整数值见“计算结果”表。";

    std::map<std::string, double, std::less<>> known;
    for (const RecordedInput& in : record.inputs) {
        if (in.value) known[symbolText(in.symbol)] = in.value->number();
        report.known.push_back(knownRow(in));
    }
    // The fields after the one that stopped the reading, as typed: an empty one is named too.
    for (std::size_t k = record.inputs.size(); k < record.typed.size(); ++k) {
        const TypedInput& typed = record.typed[k];
        ReportRow row{captionFor(typed.symbol), symbolText(typed.symbol), typed.text,
                      std::string(unitOf(typed.symbol)), "未读取"};
        if (trimmed(typed.text).empty()) {
            row.value = "（空）";
            row.note = "为空";
        }
        report.known.push_back(std::move(row));
    }

    // A symbol may have several forms, one for each way a section is worked out (within a
    // shape's arcs or above them): the first whose operands are known is the one computed.
    const auto formOf = [&table, &known](std::string_view symbol) -> const StepForm* {
        const StepForm* first = nullptr;
        for (const StepForm& f : table.steps) {
            if (f.symbol != symbol) continue;
            if (operandsKnown(f.formula, known)) return &f;
            if (first == nullptr) first = &f;
        }
        return first;
    };
    for (const RecordedStep& recorded : record.steps) {
        ReportStep step{
            {}, std::string(recorded.symbol), {}, {}, readableNumber(recorded.value.number()), {}};
        if (const StepForm* form = formOf(recorded.symbol)) {
            step.name = form->name;
            step.unit = form->unit;
            writeFormula(step, form->formula, known);
            if (step.formula == step.symbol) step.formula.clear();  // C² = C² says nothing
        }
        known[std::string(recorded.symbol)] = recorded.value.number();
        report.steps.push_back(std::move(step));
    }

    const bool failedInBisection =
        record.failure && !record.failure->input && table.sought != 0 && !record.cutting;
    if (record.bisection || failedInBisection) describeBisection(report, record, table.sought);

    if (record.failure) {
        report.failed = true;
        report.failureKind = failureKindText(record.failure->kind);
        if (record.failure->input && isBlankText(record.inputs.at(*record.failure->input).text))
            report.failureKind = "输入为空";
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
            if (r.symbol == 'i') {
                const std::string ratio = slopeRatio(r.exact->number());
                if (!ratio.empty()) exact += "（" + ratio + "）";
            }
        } else {
            // A text made of several values (断面尺寸's candidates): each before it was cut.
            for (std::size_t k = 0; k < r.madeFrom.size(); ++k)
                exact = (k == 0 ? "" : exact + " 或 ") + recordNumber(r.madeFrom[k].number());
        }
        report.results.push_back({captionFor(r.symbol), std::string(1, r.symbol), exact, r.text,
                                  std::string(unitOf(r.symbol)), std::string(r.rule)});
    }

    const PressSummary summary = summarize(table, record);
    report.absentChannel = absentChannelSentence(summary);
    for (const SummaryChannel& s : summary.channels) {
        const Channel& c = s.channel();
        ReportChannel channel;
        channel.channel = c;
        channel.exists = s.exists();
        if (summary.candidates) {
            const std::string h = toThreeDecimals.apply(Value::dbl(c.h));
            channel.heading = s.described.heading + "：";
            channel.heading +=
                s.exists() ? "h = " + h + " m，b = " + toThreeDecimals.apply(Value::dbl(c.b)) + " m"
                           : s.described.absent;
            channel.depthText = h;
            channel.widthText = channel.exists ? toThreeDecimals.apply(Value::dbl(c.b)) : "";
        } else {
            channel.depthText = shownText(record, 'h', c.h);
            channel.widthText = shownText(record, 'b', c.b);
        }
        channel.sideSlopeText = shownText(record, 'm', c.m);
        channel.dischargeText = shownText(record, 'Q', c.Q);
        {}
        if (channel.exists) {
            channel.complete = !ratingCurve(c, 2).empty();
            channel.rows =
                hydraulicRows(c, s.hydraulics, s.described.ownSection ? &record : nullptr);
        }
        if (design != nullptr) markDesignLevels(channel, *design);
        report.channels.push_back(std::move(channel));
    }
    // The schemes first: their velocity marks use the design check's limits where it is set.
    // They are trapezoids of b and m: a lined section's channel has none.
    if (const auto channel = designChannelOf(summary); channel && !channel->shape) {
        const VelocityLimits limits = design != nullptr
                                          ? velocityLimits(*channel, design->settings, design->beds)
                                          : VelocityLimits{};
        const Computed<Schemes> schemes = schemesOf(*channel, limits);
        if (schemes.exists()) {
            report.schemes = schemes.value();
            report.sections.push_back(schemesSection(summary, schemes.value()));
        }
    }
    if (design != nullptr) {
        const int ordinal = 5 + static_cast<int>(report.sections.size());
        if (auto section = designSection(summary, *design, ordinal))
            report.sections.push_back(std::move(*section));
    }
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
    for (const ReportText& line : report.bisection)
        text += "  " + line.text + "\n";
    if (!report.steps.empty() && !report.failed) text += "  注：" + report.precisionNote + "\n";
    if (report.failed) {
        text += "\n三、计算失败\n";
        text += "  " + report.failure.text + "（" + report.failureKind + "）\n";
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
    if (!report.absentChannel.empty()) text += "  " + report.absentChannel + "\n";
    for (const ReportChannel& c : report.channels) {
        if (!c.heading.empty()) text += "  " + c.heading + "\n";
        writeRows(text, c.rows);
    }
    for (const ReportSection& section : report.sections) {
        text += "\n" + section.title + "\n";
        for (const ReportBlock& block : section.blocks) {
            if (const auto* paragraph = std::get_if<ReportText>(&block)) {
                text += "  " + paragraph->text + "\n";
            } else if (const auto* table = std::get_if<ReportTable>(&block)) {
                std::vector<std::string> header;
                for (const ReportText& h : table->header)
                    header.push_back(h.text);
                text += "  " + joined(header, " | ") + "\n";
                for (const auto& row : table->rows) {
                    std::vector<std::string> cells;
                    for (const ReportCell& cell : row) {
                        if (!cell.link.empty()) continue;  // nothing to follow on paper
                        cells.push_back(cell.text.empty() ? "—" : cell.text);
                    }
                    text += "  " + joined(cells, " | ") + "\n";
                }
            }
        }
    }
    return text;
}

}  // namespace lintavo
