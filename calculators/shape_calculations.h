#pragma once

// The calculations of the section shapes (hydraulics/shape.h): for the U-shaped channel, the
// arc-toe trapezoid and the circular conduit, the discharge and velocity at a depth, and the
// normal depth of a discharge. Their fields read doubles (a slope also as 1/N) and their
// results are cut to three decimals toward minus infinity.
//
// A circle that carries the discharge at two depths gives the shallower and names the other
// in its remark; one that carries it at none (pressure flow) refuses, with the reason.
//   pressUDischarge({"0.5", "10", "0.8", "1/2000", "0.014"}) → {"0.541", "0.758"} (r α h i n)
//   pressCircleNormalDepth({"0.8", "1", "0.001", "0.013"}) → {"0.881"} (Q D i n), remark
//     "另一水深 0.981 m 也通过此流量…"; with Q 0.9 it refuses: the peak is 0.815 m³/s

#include "calculators/explain.h"
#include "calculators/press.h"
#include "calculators/story.h"

namespace lintavo {

Texts pressUDischarge(std::span<const std::string> inputs, Record* record = nullptr);
Texts pressUNormalDepth(std::span<const std::string> inputs, Record* record = nullptr);
Texts pressArcToeDischarge(std::span<const std::string> inputs, Record* record = nullptr);
Texts pressArcToeNormalDepth(std::span<const std::string> inputs, Record* record = nullptr);
Texts pressCircleDischarge(std::span<const std::string> inputs, Record* record = nullptr);
Texts pressCircleNormalDepth(std::span<const std::string> inputs, Record* record = nullptr);

// Why a shape calculation failed: the reading of its inputs, or the reason it kept.
FailureCause explainShapeFailure(const Record& record);

// The channel of a shape's press: its inputs as read and the quantity it computed, with the
// shape itself; its walls' slope in m and its flat bed in b (0 for the U and the circle).
Description describeShapeChannel(const Record& record);

// How the book writes their steps, each shape with the formulas it is computed by. A depth
// within the arcs and one above them record different steps: within, the half-angle θ the
// water spans; above, the arcs' own angle θ0, the depth h1 where they end, the top width b1
// and the area A1 there. Where a symbol has two forms the book takes the first whose
// operands the record holds, so that A is written the one way or the other.
inline constexpr std::array uSectionSteps{
    StepForm{"h1", "圆弧段高度", "{r}·(1 − sin(π·{α}/180))", "m", false},
    StepForm{"θ", "水面处半圆心角", "arccos(({r} − {h}) / {r})", "rad", false},
    StepForm{"θ0", "圆弧半圆心角", "(90 − {α})·π/180", "rad", false},
    StepForm{"m", "直线段边坡系数", "tan(π·{α}/180)", "", false},
    StepForm{"b1", "圆弧段顶宽", "2·{r}·cos(π·{α}/180)", "m", false},
    StepForm{"A1", "圆弧段面积", "{r}²·({θ0} − sin{θ0}·cos{θ0})", "m²", false},
    StepForm{"A", "过水断面面积", "{A1} + ({b1} + {m}·({h} − {h1}))·({h} − {h1})", "m²"},
    StepForm{"A", "过水断面面积", "{r}²·({θ} − sin{θ}·cos{θ})", "m²"},
    StepForm{"P", "湿周", "2·{r}·{θ0} + 2·({h} − {h1})·√(1 + {m}²)", "m"},
    StepForm{"P", "湿周", "2·{r}·{θ}", "m"},
    StepForm{"B", "水面宽度", "{b1} + 2·{m}·({h} − {h1})", "m"},
    StepForm{"B", "水面宽度", "2·{r}·sin{θ}", "m"},
};
inline constexpr std::array arcToeSectionSteps{
    StepForm{"h1", "圆弧段高度", "{r}·(1 − {m} / √(1 + {m}²))", "m", false},
    StepForm{"θ", "水面处圆弧圆心角", "arccos(({r} − {h}) / {r})", "rad", false},
    StepForm{"θ0", "坡脚圆弧圆心角", "arctan(1 / {m})", "rad", false},
    StepForm{"b1", "圆弧段顶宽", "{b} + 2·{r} / √(1 + {m}²)", "m", false},
    StepForm{"A1", "圆弧段面积", "{b}·{h1} + {r}²·({θ0} − sin{θ0}·cos{θ0})", "m²", false},
    StepForm{"A", "过水断面面积", "{A1} + ({b1} + {m}·({h} − {h1}))·({h} − {h1})", "m²"},
    StepForm{"A", "过水断面面积", "{b}·{h} + {r}²·({θ} − sin{θ}·cos{θ})", "m²"},
    StepForm{"P", "湿周", "{b} + 2·{r}·{θ0} + 2·({h} − {h1})·√(1 + {m}²)", "m"},
    StepForm{"P", "湿周", "{b} + 2·{r}·{θ}", "m"},
    StepForm{"B", "水面宽度", "{b1} + 2·{m}·({h} − {h1})", "m"},
    StepForm{"B", "水面宽度", "{b} + 2·{r}·sin{θ}", "m"},
};
inline constexpr std::array circleSectionSteps{
    StepForm{"θ", "水面处圆心角", "2·arccos(1 − 2·{h} / {D})", "rad", false},
    StepForm{"A", "过水断面面积", "{D}²·({θ} − sin{θ}) / 8", "m²"},
    StepForm{"P", "湿周", "{D}·{θ} / 2", "m"},
    StepForm{"B", "水面宽度", "{D}·sin({θ} / 2)", "m"},
};
inline constexpr std::array shapeFlowSteps{
    StepForm{"R", "水力半径", "{A} / {P}", "m"},
    StepForm{"Q", "流量", "{A}·{R}^(2/3)·√{i} / {n}", "m³/s"},
    StepForm{"v", "流速", "{Q} / {A}", "m/s"},
};
inline constexpr std::array shapeDepthSteps{
    StepForm{"h", "正常水深", "二分法求 A·R^(2/3)·√i / n = Q 的水深", "m"},
    StepForm{"h2", "另一正常水深", "圆管中同一流量的较深水深", "m"},
};
// At the normal depth found, the section by the same formulas, and its velocity.
inline constexpr std::array shapeDepthFlowSteps{
    StepForm{"R", "水力半径", "{A} / {P}", "m"},
    StepForm{"v", "流速", "{Q} / {A}", "m/s"},
};

}  // namespace lintavo
