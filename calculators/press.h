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
#include <string_view>
#include <vector>

#include "calculators/record.h"
#include "hydraulics/number_text.h"
#include "hydraulics/static_text.h"

namespace lintavo {

using Texts = std::vector<std::string>;
using Press = Texts (*)(std::span<const std::string> inputs, Record* record);

// How the inputs are read: as the number model's values, or as plain doubles (the section
// shapes' fields), each with the reading of a slope, which also takes 1/N and 1:N.
template <typename T>
struct InputReading {
    T (*quantity)(std::string_view text);
    T (*slope)(std::string_view text);
};
inline constexpr InputReading<Value> readValues{parseInput, parseSlopeInput};
inline constexpr InputReading<double> readDoubles{parseInputDouble, parseSlopeInputDouble};

inline Value recordedValue(Value x) {
    return x;
}
inline Value recordedValue(double x) {
    return Value::dbl(x);
}

// Converts the input texts in order, one for each letter of `symbols`, the quantities they
// hold (the slope i also as "1/N"); the first that fails stops the reading, and the failure
// names it by its place:
//   readInputs({"2", "x", …}, "bhmin", record) throws TypeMismatch at input 1 (h).
template <typename T = Value, std::size_t L>
std::array<T, L - 1> readInputs(std::span<const std::string> texts, const char (&symbols)[L],
                                Record* record, const InputReading<T>& reading = readValues) {
    std::array<T, L - 1> values{};
    if (record != nullptr) {
        for (std::size_t k = 0; k + 1 < L; ++k)
            record->typed.push_back({symbols[k], k < texts.size() ? texts[k] : std::string()});
    }
    for (std::size_t k = 0; k + 1 < L; ++k) {
        const std::string text = k < texts.size() ? texts[k] : std::string();
        if (record != nullptr) record->inputs.push_back({symbols[k], text, std::nullopt});
        try {
            // A slope may be typed as engineers write it, 1/3000 or 1:3000.
            values[k] = symbols[k] == 'i' ? reading.slope(text) : reading.quantity(text);
        } catch (CalculationFailure& failure) {
            throw failure.atInput(k);
        }
        if (record != nullptr) record->inputs.back().value = recordedValue(values[k]);
    }
    return values;
}

// How a result is cut to the text its field shows, with the rule in the words the book uses.
// The press names the cut where it writes the result, so the rule cannot drift from the
// arithmetic: {'Q', Q, toThreeDecimals} writes formatResult(floorTruncate(Q, 3)).
struct Cut {
    std::string (*apply)(Value exact);
    StaticText rule;
};

inline constexpr Cut toThreeDecimals{[](Value x) { return formatResult(floorTruncate(x, 3)); },
                                     "向下截取到 3 位小数"};
inline constexpr Cut toFiveDecimals{[](Value x) { return formatResult(floorTruncate(x, 5)); },
                                    "向下截取到 5 位小数"};
inline constexpr Cut singleToThreeDecimals{
    [](Value v) { return formatResult(floorTruncateSingle(v)); }, "取单精度，向下截取到 3 位小数"};
// The rule of 断面尺寸's fields, whose texts come from formatCandidates.
inline constexpr StaticText candidatesRule =
    "正根各向下截取到 3 位小数，以“或”相连；无正根时写“无解”";

// A result as the press writes it: cut from its exact value, or a text made otherwise.
struct Written {
    Written(char quantity, Value value, const Cut& howCut)
        : symbol(quantity), exact(value), cut(&howCut) {}
    Written(char quantity, std::string written, StaticText howMade, std::vector<Value> values = {})
        : symbol(quantity), text(std::move(written)), rule(howMade), madeFrom(std::move(values)) {}
    char symbol;
    std::optional<Value> exact;
    const Cut* cut = nullptr;
    std::string text;
    StaticText rule;
    std::vector<Value> madeFrom;  // the values a text made otherwise shows, before their cut
};

// The texts of the result fields, in the order they are written, kept in the record too. Every
// text is made before any is returned; a cut that fails (an overflow) is noted in the record.
Texts writeResults(Record* record, std::initializer_list<Written> results);

// Runs a press with a fresh record and keeps a failure there instead of throwing it:
// the result texts, or none when the press failed.
std::optional<Texts> runPress(Press press, std::span<const std::string> inputs, Record& record);

}  // namespace lintavo
