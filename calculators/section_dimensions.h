#pragma once

// Section dimensions for a chosen velocity. Manning's relation solved for R gives the
// hydraulic radius that velocity v needs, R = (n·v / i^0.5)^1.5; A = Q/v and P = A/R follow,
// and with s = √(1 + m²) the geometry gives (2s − m)·h² − P·h + A = 0, whose roots are the
// candidate depths; each positive depth has the width b = P − 2s·h.

#include <optional>

#include "calculators/explain.h"
#include "calculators/press.h"
#include "calculators/story.h"

namespace lintavo {

struct SectionCandidates {
    Value h1;                 // (D − P) / (2(m − 2s)): the shallower, wider section
    Value h2;                 // (−P − D) / (2(m − 2s)): the deeper, narrower one
    std::optional<Value> b1;  // only when h1 > 0
    std::optional<Value> b2;  // only when h2 > 0
};

// Q 10, v 1, m 1, i 0.001, n 0.025 → h1 0.7811…, h2 6.9990…, b1 12.016…, b2 −5.57…
// A negative discriminant fails (InvalidArgument at the square root); it is not "无解".
SectionCandidates sectionDimensions(Value Q, Value v, Value m, Value i, Value n,
                                    Record* record = nullptr);

// The text of a result field from its two candidates: the positive ones, each cut to three
// decimals, joined by "或"; "无解" when neither is positive. An absent value counts as 0.
//   formatCandidates(0.78112, 6.99901) → "0.781或6.999"
//   formatCandidates(12.0163, −5.57) → "12.016"       formatCandidates(0, absent) → "无解"
std::string formatCandidates(std::optional<Value> x1, std::optional<Value> x2);

// How the book writes the steps sectionDimensions records.
inline constexpr std::array sectionDimensionSteps{
    StepForm{"A", "过水断面面积", "{Q} / {v}", "m²"},
    StepForm{"R", "水力半径", "({n}·{v} / {i}^0.5)^1.5", "m"},
    StepForm{"P", "湿周", "{A} / {R}", "m"},
    StepForm{"s", "边坡因子", "√(1 + {m}²)", ""},
    StepForm{"D", "判别式的根", "√({P}² + 4·{A}·({m} − 2·{s}))", "m"},
    StepForm{"h1", "水深第一根", "({D} − {P}) / (2·({m} − 2·{s}))", "m"},
    StepForm{"h2", "水深第二根", "(−{P} − {D}) / (2·({m} − 2·{s}))", "m"},
    StepForm{"b1", "对应底宽", "{P} − 2·{s}·{h1}", "m"},
    StepForm{"b2", "对应底宽", "{P} − 2·{s}·{h2}", "m"},
};

// The candidate sections of a completed press, in the order h1, h2: each positive depth, with
// its width, and whether the two make a channel.
Description describeSectionCandidates(const Record& record);

// Inputs Q, v, m, i, n; outputs the depth field's text and then the width field's.
Texts pressSectionDimensions(std::span<const std::string> inputs, Record* record = nullptr);

// Why a press failed, in the channel's terms (the reading of the inputs aside).
FailureCause explainSectionFailure(const Record& record);

}  // namespace lintavo
