#pragma once

// The calculation book (计算书) of one press, as content: what the report window lays out,
// what goes onto the clipboard as plain text and what is printed. Built from the press's
// record and the calculation's declared story (calculators/story.h); nothing is computed
// again but the channel's hydraulics, which the press summary computes once.
//
// Every number is either a text the press wrote or written with recordNumber or
// readableNumber from checked values, so no "nan" or "inf" can appear.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "book/book_info.h"
#include "calculators/record.h"
#include "hydraulics/channel.h"
#include "standard/schemes.h"

namespace lintavo {

struct CalculatorTable;
struct DesignContext;

// Where a text of the book holds a formula: its bytes [begin, end).
struct FormulaSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const FormulaSpan&) const = default;
};

// The formulas written in a text of prose, in order: in "岸顶超高（6.4.8）：Fb = hb/4 + 0.2 =
// 0.45 m，H = hb + Fb = 1.95 m。" the two stretches from "Fb" and from "H" to their units. A
// formula is a stretch of letters (a letter's Chinese subscript too, "v不冲"), digits, Greek
// letters, operators and brackets (anything, Chinese too, inside its own brackets:
// "f(下端)·f(中点) > 0") that relates, raises, roots, multiplies or divides something beyond
// its units: "h/h0" is one, "A (m²)" and "GB 50288-2018" are not.
std::vector<FormulaSpan> formulasIn(std::string_view text);

// A text of the book: a paragraph or a table's heading, with the formulas in it. Every view
// but the Word file shows the text as it is; the Word file sets each formula as an equation.
struct ReportText {
    std::string text;
    std::vector<FormulaSpan> formulas;

    ReportText() = default;
    // Prose, its formulas found in it as formulasIn finds them; not explicit, for prose is
    // what most of the book's texts are.
    ReportText(std::string prose);
    ReportText(const char* prose) : ReportText(std::string(prose)) {}
};

// One line of a table in the book: 底宽b | b | 2 | m.
struct ReportRow {
    std::string name;    // 底宽b, 过水断面面积 …
    std::string symbol;  // b, A …
    std::string value;   // as typed, as computed, or "—"
    std::string unit;    // m, m², …; empty for a pure number
    std::string note;    // why a value is absent, the rule that cut a result …
};

// One step of the calculation: A = (b + m·h)·h = (2 + 1 × 1) × 1 = 3 m². The formula and
// its substitution are formulas whole.
struct ReportStep {
    std::string name;         // 过水断面面积
    std::string symbol;       // A
    std::string formula;      // (b + m·h)·h
    std::string substituted;  // (2 + 1 × 1) × 1
    std::string value;        // 3
    std::string unit;         // m²
};

// The hydraulics of one channel: A P R C v B Fr, the regime, hc, ik and the comparisons.
struct ReportChannel {
    std::string heading;  // "" for the press's own channel, "断面一：h = …，b = …" for a candidate
    Channel channel{};
    bool exists = true;     // false: a candidate that is no channel; the heading says why
    bool complete = false;  // the rating curve can be drawn
    std::vector<ReportRow> rows;
    // The bottom width and the depth as the window shows them, for the drawings' labels: the
    // field's text where a field holds the quantity, else the full value marked 计算值.
    std::string widthText;
    std::string depthText;
    std::string sideSlopeText;
    std::string dischargeText;
    // The design check's enlarged depth and bank height, for the drawing; 0 where there is none.
    double enlargedDepth = 0;
    double bankHeight = 0;
    // The least bank-top width of the canal's rank (6.4.9); 0 where no rank is set.
    double bankTopWidth = 0;
};

// A section of the book beyond the calculation itself (断面方案, 设计校核 …): paragraphs and
// ruled tables in order, which every view of the book lays out the same way.
struct ReportCell {
    std::string text;
    bool alert = false;  // a check that fails: shown in red
    std::string link;    // where the cell leads ("lintavo-scheme:2"); "" for plain text
    std::vector<FormulaSpan> formulas;  // as formulasIn finds them in the text

    ReportCell() = default;
    ReportCell(std::string shown, bool failing = false, std::string target = {});
};

struct ReportTable {
    std::vector<ReportText> header;
    std::vector<std::vector<ReportCell>> rows;
};

using ReportBlock = std::variant<ReportText, ReportTable>;

// A drawing a section shows beside its first table, from the report's own data.
enum class ReportFigure { None, Schemes };

struct ReportSection {
    std::string title;  // "五、断面方案"
    std::vector<ReportBlock> blocks;
    ReportFigure figure = ReportFigure::None;
};

// A result: before it was cut and as written, and the rule that cut it.
struct ReportResult {
    std::string name;     // 流量Q
    std::string symbol;   // Q
    std::string exact;    // 2.76306842; "—" for the candidates of 断面尺寸
    std::string written;  // 2.763, as the field shows it
    std::string unit;
    std::string rule;  // 向下截取到 3 位小数
};

struct CalculationReport {
    std::string calculation;  // 流量Q计算
    std::string when;         // as passed in
    std::string program;      // Lintavo 0.3.0
    std::vector<ReportRow> known;
    std::vector<ReportStep> steps;
    std::vector<ReportText> bisection;  // the residual, the bracket and its halvings
    std::vector<ReportResult> results;
    std::vector<ReportChannel> channels;  // the press's channel, or each candidate section
    std::string absentChannel;            // why there is none, as the window says it too
    std::vector<ReportSection> sections;  // after the hydraulics
    std::optional<Schemes> schemes;       // what the 断面方案 section's drawing shows
    std::string precisionNote;            // how the numbers in the formulas are written
    bool failed = false;
    std::string failureKind;  // 除以零 …
    ReportText failure;       // the cause, in one or two sentences, as the failure report says
    // The names a filed book carries on its first page and in its running header; buildReport
    // leaves them empty, the windows fill them in from the kept ones.
    BookInfo filed{};
};

// With a design context, the book ends with the design check of its physical channels, and
// its velocity limits mark each of the schemes 满足 or 不满足.
CalculationReport buildReport(const CalculatorTable& table, const Record& record, std::string when,
                              std::string program, const DesignContext* design = nullptr);

// The book as plain text, for the clipboard and for checks.
std::string plainText(const CalculationReport& report);

}  // namespace lintavo
