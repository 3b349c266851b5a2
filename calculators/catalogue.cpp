#include "calculators/catalogue.h"

#include <array>

namespace lintavo {

std::span<const CalculatorTable> calculations() {
    static const std::array<CalculatorTable, 5> all{
        dischargeWindow, normalDepthWindow, bottomWidthWindow, bottomSlopeWindow, sectionWindow};
    return all;
}

}  // namespace lintavo
