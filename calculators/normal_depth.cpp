#include "calculators/normal_depth.h"

#include "calculators/bisection.h"
#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value solveNormalDepth(Value Q, Value b, Value m, Value i, Value n, Record* record) {
    const auto f = [&](Value depth) { return Q - manningDischarge(b, m, depth, i, n); };
    Bracket bracket;
    while (bracket.width() > 1e-7_dbl)
        bracket.halve(f);
    return bracket.closedMidpoint(record);
}

Texts pressNormalDepth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, b, m, i, n] = readInputs(inputs, "Qbmin", record);
    const Value h = solveNormalDepth(Q, b, m, i, n, record);
    return writeResults(record, {{'h', h, formatResult(floorTruncate(h, 3))}});
}

}  // namespace lintavo

namespace lintavo {

FailureCause explainNormalDepthFailure(const Record& record) {
    const double Q = record.input('Q');
    const double b = record.input('b');
    const double m = record.input('m');
    const double i = record.input('i');
    const double n = record.input('n');
    const std::string_view step = "f(x)";
    switch (record.failure->kind) {
        case FailureKind::InvalidArgument:
            if (i < 0) return {step, "底坡 i 为负：√i 是负数开方。底坡应为正数，例如 0.001。", "i"};
            return {step, "水力半径 R 为负：底宽 b 或边坡系数 m 为负，这样的断面不存在。", "bm"};
        case FailureKind::DivisionByZero:
            if (n == 0) {
                return {step, "糙率 n 为 0：A/n 是除以零。糙率应为正数，例如 0.025。", "n"};
            }
            return {step,
                    "底宽 b 为 0：水深为 0 处湿周 P = 0，R = A/P 是 0/0。本窗口不能计算三角形断面，"
                    "请输入大于 0 的底宽。",
                    "b"};
        case FailureKind::NoSolution: {
            if (n < 0) return {step, "糙率 n 为负：任何水深通过的流量都是负的，找不到水深。", "n"};
            if (Q < 0) return {step, "流量 Q 为负：没有水深能通过负的流量。", "Q"};
            if (i == 0) {
                return {step, "底坡 i 为 0：平底渠道中任何水深都不能形成均匀流，找不到水深。", "i"};
            }
            const auto depth =
                beyondBracket([&](double x) { return plainManning(b, m, x, i, n); }, Q);
            if (depth) {
                return {step,
                        "所需水深超过 10 m（" + roughly(*depth) +
                            " m），超出了本窗口 0 到 10 m 的计算范围。请检查流量 Q 和底宽 b。",
                        "Qb"};
            }
            return {step, "没有任何水深能通过这一流量。请检查流量 Q。", "Q"};
        }
        case FailureKind::TypeMismatch:
        case FailureKind::Overflow:
            break;
    }
    return {step, {}, {}};
}

}  // namespace lintavo
