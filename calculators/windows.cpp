#include "calculators/windows.h"

#include <array>

namespace lintavo {

std::span<const CalculatorTable> calculatorWindows() {
    static const std::array<CalculatorTable, 5> all{
        dischargeWindow, normalDepthWindow, bottomWidthWindow, bottomSlopeWindow, sectionWindow};
    return all;
}

}  // namespace lintavo
