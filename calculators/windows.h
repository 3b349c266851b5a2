#pragma once

// The five calculator windows, in the order of the main window's menu.

#include <span>

#include "shell/calculator_window.h"

namespace lintavo {

extern const CalculatorSpec dischargeWindow;    // 流量Q计算
extern const CalculatorSpec normalDepthWindow;  // 水深h计算
extern const CalculatorSpec bottomWidthWindow;  // 计算渠道底宽b
extern const CalculatorSpec bottomSlopeWindow;  // 底坡i计算
extern const CalculatorSpec sectionWindow;      // 断面尺寸

std::span<const CalculatorSpec> calculatorWindows();

}  // namespace lintavo
