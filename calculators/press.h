#pragma once

// What a press of 计算 is, with the window left out: the texts of the input fields in the
// order the calculation reads them, in; the texts for the result fields in the order they
// are written, out. A press either returns every text or throws `CalculationFailure`
// before it has any, so the window never writes half of its results. Given a record, it
// keeps there what it read, computed and wrote (calculators/record.h).

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calculators/record.h"
#include "hydraulics/number_text.h"

namespace lintavo {

using Texts = std::vector<std::string>;
using Press = Texts (*)(std::span<const std::string> inputs, Record* record);

// Converts the input texts in order, one for each letter of `symbols`, the quantities they
// hold; the first that fails stops the reading, and the failure names it by its place:
//   readInputs({"2", "x", …}, "bhmin", record) throws TypeMismatch at input 1 (h).
template <std::size_t L>
std::array<Value, L - 1> readInputs(std::span<const std::string> texts, const char (&symbols)[L],
                                    Record* record) {
    std::array<Value, L - 1> values{};
    for (std::size_t k = 0; k + 1 < L; ++k) {
        const std::string text = k < texts.size() ? texts[k] : std::string();
        if (record != nullptr) record->inputs.push_back({symbols[k], text, std::nullopt});
        try {
            values[k] = parseInput(text);
        } catch (CalculationFailure& failure) {
            throw failure.atInput(k);
        }
        if (record != nullptr) record->inputs.back().value = values[k];
    }
    return values;
}

// The texts of the result fields, in the order they are written, kept in the record too.
Texts writeResults(Record* record, std::initializer_list<RecordedResult> results);

// Runs a press with a fresh record and keeps a failure there instead of throwing it:
// the result texts, or none when the press failed.
std::optional<Texts> runPress(Press press, std::span<const std::string> inputs, Record& record);

}  // namespace lintavo
