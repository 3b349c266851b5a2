#include "calculators/catalogue.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace lintavo {

namespace {

// Room for the eleven and a few more, fixed, so that adding one never moves the others.
struct Catalogue {
    std::array<CalculatorTable, 16> tables{
        dischargeWindow,       normalDepthWindow,      bottomWidthWindow,
        bottomSlopeWindow,     sectionWindow,          uDischargeWindow,
        uNormalDepthWindow,    arcToeDischargeWindow,  arcToeNormalDepthWindow,
        circleDischargeWindow, circleNormalDepthWindow};
    std::size_t count = 11;
};

Catalogue& catalogue() {
    static Catalogue all;
    return all;
}

}  // namespace

std::span<const CalculatorTable> calculations() {
    const Catalogue& all = catalogue();
    return {all.tables.data(), all.count};
}

bool addCalculation(const CalculatorTable& table) {
    Catalogue& all = catalogue();
    if (all.count == all.tables.size()) return false;
    const auto taken =
        std::any_of(all.tables.begin(), all.tables.begin() + static_cast<std::ptrdiff_t>(all.count),
                    [&table](const CalculatorTable& t) {
                        return t.window.title == table.window.title || t.alias == table.alias;
                    });
    if (taken) return false;
    all.tables[all.count++] = table;
    return true;
}

}  // namespace lintavo
