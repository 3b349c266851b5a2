#include "calculators/windows.h"

#include <array>
#include <functional>

namespace lintavo {

std::span<const CalculatorSpec> calculatorWindows() {
    static const std::array<CalculatorSpec, 5> all{
        dischargeWindow, normalDepthWindow, bottomWidthWindow, bottomSlopeWindow, sectionWindow};
    return all;
}

}  // namespace lintavo
