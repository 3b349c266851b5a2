#pragma once

// The five calculator windows, in the order of the main window's menu.

#include <span>

#include "shell/calculator_window.h"

namespace lintavo {

extern const CalculatorTable dischargeWindow;    // 流量Q计算
extern const CalculatorTable normalDepthWindow;  // 水深h计算
extern const CalculatorTable bottomWidthWindow;  // 计算渠道底宽b
extern const CalculatorTable bottomSlopeWindow;  // 底坡i计算
extern const CalculatorTable sectionWindow;      // 断面尺寸

std::span<const CalculatorTable> calculatorWindows();

}  // namespace lintavo
