#pragma once

// What a calculation declares about itself beside its table and its press, so that the book,
// the failure report, the driver, the batch and the checks read it instead of guessing: how
// each recorded step is written, which unknown its bisection seeks, and the channels a
// completed press describes. Each calculation's own files fill these in.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/record.h"
#include "hydraulics/channel.h"
#include "hydraulics/static_text.h"

namespace lintavo {

// How one recorded step is written in the book: its name, its formula with the operands in
// braces, and its unit. The braces become the symbols in the formula and the numbers in the
// substitution: {"A", "过水断面面积", "({b} + {m}·{h})·{h}", "m²"}.
struct StepForm {
    StaticText symbol;
    StaticText name;
    StaticText formula;
    StaticText unit;
    bool reported = true;  // one of the driver's `report` values (not C², Q², A² …)
};

// Step forms one after another: sectionSteps + std::array{StepForm{"Q", …}}.
template <std::size_t N, std::size_t M>
constexpr std::array<StepForm, N + M> operator+(const std::array<StepForm, N>& first,
                                                const std::array<StepForm, M>& then) {
    std::array<StepForm, N + M> all{};
    for (std::size_t k = 0; k < N; ++k)
        all[k] = first[k];
    for (std::size_t k = 0; k < M; ++k)
        all[N + k] = then[k];
    return all;
}

// The steps of every calculation that works on the section at a known depth.
inline constexpr std::array sectionSteps{
    StepForm{"A", "过水断面面积", "({b} + {m}·{h})·{h}", "m²"},
    StepForm{"P", "湿周", "{b} + 2·{h}·√(1 + {m}²)", "m"},
    StepForm{"R", "水力半径", "{A} / {P}", "m"},
    StepForm{"C", "谢才系数", "(1 / {n})·{R}^(1/6)", "m½/s"},
};

// One channel a completed press describes: the press's own, or one of 断面尺寸's candidates.
struct DescribedChannel {
    std::string heading;  // "" for the press's own channel; "断面一" … for a candidate
    Channel channel;      // inputs as read, the computed quantity before it was cut
    // Why this candidate is no channel ("h = 2.968 m 时 b = -0.69 m < 0，不成立"); empty
    // when it is one.
    std::string absent;
    // Whether the calculation computed this channel's A, P, R and C itself: then the book
    // shows its values, not the plain-double ones.
    bool ownSection = false;
};

struct Description {
    bool candidates = false;  // the press offers alternatives rather than one answer
    std::vector<DescribedChannel> channels;
};

// The channels of a completed press, from its record.
using Describe = Description (*)(const Record& record);

// The press's one channel: its inputs as read, and the quantity it computed in place, before
// it was cut. For every calculation but 断面尺寸.
Description describeOwnChannel(const Record& record);

}  // namespace lintavo
