#include "calculators/explain.h"

#include "calculators/numbers.h"
#include "calculators/table.h"
#include "hydraulics/number_text.h"
#include "hydraulics/quantities.h"

namespace lintavo {

namespace {

// The cause of a failure while the inputs were read; the same in every calculation. An empty
// field is named with every other empty one, so that one press shows all that is missing.
FailureCause readingCause(const Record& record) {
    const RecordedInput& input = record.inputs.at(*record.failure->input);
    const auto quoted = [](char symbol) { return "“" + std::string(captionOf(symbol)) + "”"; };
    if (isBlankText(input.text)) {
        std::string names;
        std::string symbols;
        for (const TypedInput& typed : record.typed) {
            if (!isBlankText(typed.text)) continue;
            if (!names.empty()) names += "、";
            names += quoted(typed.symbol);
            symbols += typed.symbol;
        }
        return {"", names + "为空，请输入数值。", symbols};
    }
    const std::string field = quoted(input.symbol);
    if (record.failure->kind == FailureKind::Overflow) {
        return {"", field + "的数值超出了单精度数的范围（约 ±3.4×10³⁸），请输入较小的数值。",
                std::string(1, input.symbol)};
    }
    return {"", field + "不是有效的数字，请输入一个数，例如 2 或 0.025。",
            std::string(1, input.symbol)};
}

// A result computed in full whose cut to the field's decimals overflowed: a value so large
// that multiplying it by 1000 or 100000 leaves the double range.
FailureCause cuttingCause(const Record& record) {
    const char symbol = *record.cutting;
    std::string sentence = "“" + std::string(captionOf(symbol)) + "”的计算值";
    if (const auto value = record.valueOf(std::string_view(&symbol, 1)))
        sentence += "约为 " + recordNumber(value->number()) + "，";
    sentence +=
        "过大：截取小数位时乘以 1000 或 100000 超出了双精度数的范围（溢出），无法写入。"
        "请检查输入是否过大或过小。";
    std::string fields;
    for (const TypedInput& typed : record.typed)
        fields += typed.symbol;
    return {"", sentence, fields};
}

// The symbols a record read, in reading order: "bhmin".
std::string inputSymbols(const Record& record) {
    std::string symbols;
    for (const RecordedInput& input : record.inputs)
        symbols += input.symbol;
    return symbols;
}

}  // namespace

FailureCause explainFailure(const CalculatorTable& table, const Record& record) {
    if (record.failure->input) return readingCause(record);
    if (record.cutting) return cuttingCause(record);
    FailureCause cause = table.explain(record);
    if (cause.sentence.empty()) {
        // An operation beyond the double range: only extreme inputs get there, and any of them
        // may be the one.
        cause.sentence = "计算过程中的数值超出了双精度数的范围（溢出），请检查输入是否过大或过小。";
        cause.fields = inputSymbols(record);
    }
    return cause;
}

std::optional<FailureCause> explainSectionStep(const Record& record, StaticText step,
                                               FailureKind kind) {
    if (step == "R" && kind == FailureKind::DivisionByZero) {
        if (record.input('b') == 0 && record.input('h') == 0) {
            return FailureCause{
                step,
                "湿周 P = 0：底宽 b 和水深 h 都为 0，没有过水断面，水力半径 R = A/P "
                "无法计算。请输入底宽和水深。",
                "bh"};
        }
        return FailureCause{step,
                            "湿周 P = b + 2·h·√(1 + m²) = 0：负的底宽 b 与两侧边坡的长度正好相抵，"
                            "这样的断面不存在，水力半径 R = A/P 无法计算。底宽和水深应为正数。",
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

std::vector<StaticText> fieldsFor(const CalculatorTable& table, std::string_view symbols) {
    std::vector<StaticText> fields;
    const auto inputs = rowsWith(table.window, Role::Input);
    for (char symbol : symbols) {
        for (const ControlRow* row : inputs) {
            const Quantity* q = quantityOfField(row->name);
            if (q != nullptr && q->symbol == symbol) fields.push_back(row->name);
        }
    }
    return fields;
}

}  // namespace lintavo
