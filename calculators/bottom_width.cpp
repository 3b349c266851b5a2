#include "calculators/bottom_width.h"

#include "calculators/bisection.h"
#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value solveBottomWidth(Value Q, Value h, Value m, Value i, Value n, Record* record) {
    const auto f = [&](Value width) { return Q - manningDischarge(width, m, h, i, n); };
    Bracket bracket;
    do {
        bracket.halve(f);
    } while (!(bracket.width() < 1e-6_dbl));
    return bracket.closedMidpoint(record);
}

Texts pressBottomWidth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, h, m, i, n] = readInputs(inputs, "Qhmin", record);
    const Value b = solveBottomWidth(Q, h, m, i, n, record);
    return writeResults(record, {{'b', b, formatResult(floorTruncate(b, 3))}});
}

}  // namespace lintavo

namespace lintavo {

FailureCause explainBottomWidthFailure(const Record& record) {
    const double Q = record.input('Q');
    const double h = record.input('h');
    const double m = record.input('m');
    const double i = record.input('i');
    const double n = record.input('n');
    const std::string_view step = "f(x)";
    switch (record.failure->kind) {
        case FailureKind::InvalidArgument:
            if (i < 0) return {step, "底坡 i 为负：√i 是负数开方。底坡应为正数，例如 0.001。", "i"};
            return {step, "水力半径 R 为负：水深 h 或边坡系数 m 为负，这样的断面不存在。", "hm"};
        case FailureKind::DivisionByZero:
            if (n == 0) {
                return {step, "糙率 n 为 0：A/n 是除以零。糙率应为正数，例如 0.025。", "n"};
            }
            return {step, "水深 h 为 0：没有过水断面，R = A/P 是 0/0。请输入大于 0 的水深。", "h"};
        case FailureKind::NoSolution: {
            if (n < 0) return {step, "糙率 n 为负：任何底宽通过的流量都是负的，找不到底宽。", "n"};
            if (i == 0) {
                return {step, "底坡 i 为 0：平底渠道中任何底宽都不能形成均匀流，找不到底宽。", "i"};
            }
            const double zeroWidth = plainManning(0, m, h, i, n);
            if (!(Q > zeroWidth)) {
                return {step,
                        "底宽为 0 时这一断面已能通过" + roughly(zeroWidth) +
                            " m³/s 的流量，不少于所给流量 Q，没有底宽能恰好通过 Q。请检查流量 Q "
                            "和水深 h。",
                        "Qh"};
            }
            const auto width =
                beyondBracket([&](double x) { return plainManning(x, m, h, i, n); }, Q);
            if (width) {
                return {step,
                        "所需底宽超过 10 m（" + roughly(*width) +
                            " m），超出了本窗口 0 到 10 m 的计算范围。请检查流量 Q 和水深 h。",
                        "Qh"};
            }
            return {step, "没有任何底宽能通过这一流量。请检查流量 Q。", "Q"};
        }
        case FailureKind::TypeMismatch:
        case FailureKind::Overflow:
            break;
    }
    return {step, {}, {}};
}

}  // namespace lintavo
