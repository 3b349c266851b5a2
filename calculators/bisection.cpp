#include "calculators/bisection.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "hydraulics/geometry.h"

namespace lintavo {

namespace {

// Where a discharge that grows with x reaches Q past the bracket's 10 m: the search carried on
// by doubling up to 100 km, then halved to a centimetre. Empty when it never gets there.
template <typename Discharge>
std::optional<double> beyondBracket(Discharge discharge, double Q) {
    double lo = 10.0;
    double hi = 20.0;
    while (!(discharge(hi) >= Q)) {
        if (hi > 1e5) return std::nullopt;
        lo = hi;
        hi *= 2;
    }
    while (hi - lo > 0.005) {
        const double mid = (lo + hi) / 2;
        (discharge(mid) >= Q ? hi : lo) = mid;
    }
    return (lo + hi) / 2;
}

// A magnitude as a person would say it roughly: three significant digits, whole numbers from
// 100 on: "约 23.4", "约 0.0312", "约 1234".
std::string roughly(double x) {
    char buffer[32];
    const auto end =
        x >= 100 ? std::to_chars(buffer, buffer + sizeof buffer, std::round(x),
                                 std::chars_format::fixed, 0)
                 : std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 3);
    return "约 " + std::string(buffer, end.ptr);
}

}  // namespace

FailureCause explainBisectionFailure(const Record& record, char sought) {
    const bool depth = sought == 'h';
    const char given = depth ? 'b' : 'h';  // the other dimension, which the user typed
    const std::string what = depth ? "水深" : "底宽";
    const std::string givenName = depth ? "底宽 b" : "水深 h";
    const double Q = record.input('Q');
    const double m = record.input('m');
    const double i = record.input('i');
    const double n = record.input('n');
    const double known = record.input(given);
    // The discharge in plain double, for saying where an answer outside the bracket lies;
    // the calculation itself never uses it.
    const auto discharge = [&](double x) {
        return depth ? PlainSection{known, m}.manningDischarge(x, i, n)
                     : PlainSection{x, m}.manningDischarge(known, i, n);
    };
    constexpr StaticText step = "f(x)";
    switch (record.failure->kind) {
        case FailureKind::InvalidArgument:
            if (i < 0) return {step, "底坡 i 为负：√i 是负数开方。底坡应为正数，例如 0.001。", "i"};
            return {step,
                    "水力半径 R 为负：" + givenName + " 或边坡系数 m 为负，这样的断面不存在。",
                    std::string{given, 'm'}};
        case FailureKind::DivisionByZero:
            if (n == 0) {
                return {step, "糙率 n 为 0：A/n 是除以零。糙率应为正数，例如 0.025。", "n"};
            }
            if (depth) {
                return {
                    step,
                    "底宽 b 为 0：水深为 0 处湿周 P = 0，R = A/P 是 0/0。本窗口不能计算三角形断面，"
                    "请输入大于 0 的底宽。",
                    "b"};
            }
            return {step, "水深 h 为 0：没有过水断面，R = A/P 是 0/0。请输入大于 0 的水深。", "h"};
        case FailureKind::NoSolution: {
            if (n < 0) {
                return {step,
                        "糙率 n 为负：任何" + what + "通过的流量都是负的，找不到" + what + "。",
                        "n"};
            }
            if (i == 0) {
                return {
                    step,
                    "底坡 i 为 0：平底渠道中任何" + what + "都不能形成均匀流，找不到" + what + "。",
                    "i"};
            }
            // Where x = 0 carries nothing (a depth of 0; a width of 0 in a rectangle), this is
            // a negative Q; in a trapezoid the triangle of zero width already carries Q0.
            const double atZero = discharge(0);
            if (!std::isfinite(atZero)) {
                // Only a section that cannot exist gets here: a root of a negative area.
                if (m < 0 || known < 0) {
                    return {step,
                            (m < 0 ? std::string("边坡系数 m") : givenName) +
                                " 为负：这样的断面不存在，找不到" + what + "。",
                            m < 0 ? "m" : std::string(1, given)};
                }
                return {step, "没有任何" + what + "能通过这一流量。请检查各输入值。", "Q"};
            }
            if (!(Q > atZero)) {
                if (depth) return {step, "流量 Q 为负：没有水深能通过负的流量。", "Q"};
                return {step,
                        "底宽为 0 时这一断面已能通过" + roughly(atZero) +
                            " m³/s 的流量，不少于所给流量 Q，没有底宽能恰好通过 Q。请检查流量 Q "
                            "和水深 h。",
                        "Qh"};
            }
            if (const auto beyond = beyondBracket(discharge, Q)) {
                return {step,
                        "所需" + what + "超过 10 m（" + roughly(*beyond) +
                            " m），超出了本窗口 0 到 "
                            "10 m 的计算范围。请检查流量 Q 和" +
                            givenName + "。",
                        std::string{'Q', given}};
            }
            return {step, "没有任何" + what + "能通过这一流量。请检查流量 Q。", "Q"};
        }
        case FailureKind::TypeMismatch:
        case FailureKind::Overflow:
            break;
    }
    return {step, {}, {}};
}

}  // namespace lintavo
