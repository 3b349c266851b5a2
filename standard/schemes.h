#pragma once

// 断面方案: for a channel's Q, n, i and m, the hydraulically best trapezoid and the practical
// economic sections beside it, and where the channel's own section stands among them.
//
// The best section carries Q with the least area A0; it is deep and narrow. Giving up a few
// per cent of area (α = A/A0 = 1.01…1.04) buys a much wider and shallower section, which is
// what a designer usually builds. For each α the depth ratio η = h/h0 is the smaller root of
// η² − 2·α^2.5·η + α = 0, so every row carries exactly the design Q; each row proves it by
// computing Q again with Manning's formula from its own b and h.
//   schemesOf({.Q = 10, .m = 1.5, .i = 0.0002, .n = 0.025})
//     → h0 2.641069, b0 1.599303; α 1.02: h 2.0093, b 4.4417, β 2.2106, v 0.6675
//
// Plain double arithmetic, powers through portablePow, so the digits are the same on every
// platform.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/record.h"
#include "calculators/table.h"
#include "hydraulics/channel.h"
#include "standard/verdict.h"

namespace lintavo {

struct PressSummary;

// The area ratios of the practical economic sections, the best section first.
inline constexpr std::array<double, 5> schemeAlphas{1.00, 1.01, 1.02, 1.03, 1.04};

// The book's link of 采用此方案 on a row: "lintavo-scheme:2" adopts the α = 1.02 row.
inline constexpr char schemeLinkScheme[] = "lintavo-scheme";

// The velocities a section's mean velocity must stay between; either may be absent.
struct VelocityLimits {
    std::optional<double> minimum;  // 不淤流速, m/s
    std::optional<double> maximum;  // 不冲流速, m/s
};

// The hydraulically best section: A0 = K·h0², χ0 = 2K·h0, R0 = h0/2.
struct BestSection {
    double K;   // 2√(1 + m²) − m
    double h0;  // 2^(1/4)·(nQ/(K·√i))^(3/8), m
    double b0;  // 2(√(1 + m²) − m)·h0, m
    double A0;  // m²
    double P0;  // χ0, m
    double R0;  // m
    double v0;  // Q/A0, m/s
};

// One practical economic section.
struct SchemeRow {
    double alpha = 0;                      // A/A0
    double eta = 0;                        // h/h0 = α^2.5 − √(α^5 − α)
    double h = 0;                          // η·h0, m
    double beta = 0;                       // b/h = α·K/η² − m
    double b = 0;                          // β·h, m
    double A = 0;                          // (b + m·h)·h, m²
    double P = 0;                          // b + 2h·√(1 + m²), m
    double R = 0;                          // A/P, m
    double v = 0;                          // Q/A, m/s
    double areaIncrease = 0;               // (A − A0)/A0
    double Q = 0;                          // (1/n)·A·R^(2/3)·√i from this row's b and h, m³/s
    Verdict verdict = Verdict::Unchecked;  // against the velocity limits
};

struct Schemes {
    double Q = 0, m = 0, i = 0, n = 0;  // the design channel's
    BestSection best{};
    std::array<SchemeRow, schemeAlphas.size()> rows{};
};

// The schemes for the channel's Q, m, i and n (its b and h play no part). Absent unless
// Q > 0, m ≥ 0, i > 0 and n > 0, all finite, and every figure is finite.
Computed<Schemes> schemesOf(const Channel& channel, const VelocityLimits& limits = {});

// The channel's own area against the best section's: ((b + m·h)·h)/A0. Absent unless b ≥ 0
// and h > 0.
Computed<double> areaRatioOf(const Schemes& schemes, double b, double h);

// Where a section of area ratio α stands among the rows, in words, α written to three
// decimals:
//   schemePlacement(1.0131) → "本断面面积为水力最佳断面的 1.013 倍，介于 α = 1.01 与 1.02 之间"
//   schemePlacement(1.02)   → "本断面面积为水力最佳断面的 1.020 倍，即 α = 1.02 的断面"
//   schemePlacement(1.127)  → "本断面面积为水力最佳断面的 1.127 倍，大于 α = 1.04"
std::string schemePlacement(double alpha);

// The channel whose Q, m, i and n the schemes are for: the press's own, or the first of
// 断面尺寸's candidates, which all share them. None for a failed press.
std::optional<Channel> designChannelOf(const PressSummary& summary);

// The quantities 采用此方案 types, in this order: the row's b and h, the press's m, i and n.
inline constexpr std::string_view adoptedQuantities = "bhmin";

// The calculation an adopted scheme is typed into and checked by: the first of the list that
// reads exactly the adopted quantities and writes the discharge. Null when none does.
const CalculatorTable* schemeChecker(std::span<const CalculatorTable> tables);

// A row's b and h as 采用此方案 types them, so that the channel typed carries at least the
// design Q: each rounded up at the third decimal, and where the checking calculation, pressed
// with them, would still compute less than Q (its fields read singles), h raised by further
// thousandths until it does not. `raised` tells whether h needed that.
//   adoptedSection(schemesOf({.Q = 10, .m = 1.5, .i = 0.0002, .n = 0.025}), 2, calculations())
//     → {"4.442", "2.010", false}   (the row's b 4.44168, h 2.00929; 计算 then gives 10.007)
struct AdoptedSection {
    std::string b, h;
    bool raised = false;
};
AdoptedSection adoptedSection(const Schemes& schemes, std::size_t row,
                              std::span<const CalculatorTable> tables);

// What 采用此方案 types into the checking calculation's fields: the row's adopted b and h (see
// adoptedSection) and the press's m, i and n as it read them (the text typed, or the
// calculation's own value where the press computed it), one text for each of
// adoptedQuantities.
//   adoptionOf(record of 水深h计算 with m " 1.5", i "0.0002", n "0.025", schemes, row 2)
//     → {"bhmin", {"4.442", "2.010", "1.5", "0.0002", "0.025"}}
struct SchemeAdoption {
    std::string_view symbols = adoptedQuantities;
    std::vector<std::string> texts;
};
SchemeAdoption adoptionOf(const Record& record, const Schemes& schemes, std::size_t row,
                          std::span<const CalculatorTable> tables);

// A depth or width rounded to three decimals: schemeLength(4.44165) → "4.442".
std::string schemeLength(double x);

// The `schemes` entry of the driver's `report`, as JSON text with every number a "%.9g" text:
// {"h0":"2.64106943","b0":"1.59930318","alpha":"1.02077…","rows":[{"alpha":"1","h":…,"b":…,
// "beta":…,"v":…},…]}; "alpha", the channel's own, only where it is given.
std::string schemesJson(const Schemes& schemes, std::optional<double> alpha);

}  // namespace lintavo
