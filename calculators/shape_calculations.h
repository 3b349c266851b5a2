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

// How the book writes their steps.
inline constexpr std::array shapeDischargeSteps{
    StepForm{"A", "过水断面面积", "按断面形状与水深计算", "m²"},
    StepForm{"P", "湿周", "按断面形状与水深计算", "m"},
    StepForm{"R", "水力半径", "{A} / {P}", "m"},
    StepForm{"Q", "流量", "{A}·{R}^(2/3)·√{i} / {n}", "m³/s"},
    StepForm{"v", "流速", "{Q} / {A}", "m/s"},
};
inline constexpr std::array shapeNormalDepthSteps{
    StepForm{"h", "正常水深", "二分法求 A·R^(2/3)·√i / n = Q 的水深", "m"},
    StepForm{"h2", "另一正常水深", "圆管中同一流量的较深水深", "m"},
};

}  // namespace lintavo
