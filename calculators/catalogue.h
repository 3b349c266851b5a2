#pragma once

// The five calculators, in the order of the main window's menu. Each is defined in its
// *_window.cpp as one table; its calculation lives beside it as a pure function.

#include <span>

#include "calculators/table.h"

namespace lintavo {

extern const CalculatorTable dischargeWindow;    // 流量Q计算, calculators/discharge.h
extern const CalculatorTable normalDepthWindow;  // 水深h计算, calculators/normal_depth.h
extern const CalculatorTable bottomWidthWindow;  // 计算渠道底宽b, calculators/bottom_width.h
extern const CalculatorTable bottomSlopeWindow;  // 底坡i计算, calculators/bottom_slope.h
extern const CalculatorTable sectionWindow;      // 断面尺寸, calculators/section_dimensions.h

std::span<const CalculatorTable> calculations();

}  // namespace lintavo
