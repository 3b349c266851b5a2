#pragma once

// What a press of 计算 is, with the window left out: the texts of the input fields in the
// order the calculation reads them, in; the texts for the result fields in the order they
// are written, out. A press either returns every text or throws `CalculationFailure`
// before it has any, so the window never writes half of its results.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "hydraulics/number_text.h"

namespace lintavo {

using Texts = std::vector<std::string>;
using Press = Texts (*)(std::span<const std::string> inputs);

// Converts the N input texts in order; the first that fails stops the reading, and the
// failure names it by its place: readInputs<5>({"2", "x", …}) throws TypeMismatch at input 1.
template <std::size_t N>
std::array<Value, N> readInputs(std::span<const std::string> texts) {
    std::array<Value, N> values{};
    for (std::size_t k = 0; k < N; ++k) {
        try {
            values[k] = parseInput(k < texts.size() ? texts[k] : std::string());
        } catch (CalculationFailure& failure) {
            throw failure.atInput(k);
        }
    }
    return values;
}

}  // namespace lintavo
