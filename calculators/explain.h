#pragma once

// Why a failed press failed, in the channel's terms, read from its record: the sentence the
// failure report and the book show, and the fields to look at. Each calculation explains its
// own steps (its table's `explain`); the reading of the inputs is the same for all.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/record.h"
#include "hydraulics/static_text.h"

namespace lintavo {

struct CalculatorTable;

// Why a press failed. `sentence` is one or two sentences of Chinese for the failure report
// and the calculation book; `fields` are the symbols of the inputs to look at, the first of
// them the one to take the keyboard focus ("bh": 底宽b and 水深h).
struct FailureCause {
    StaticText step;  // the step that failed, as the record names it; "" while reading
    std::string sentence;
    std::string fields;
};

// Each calculation's own reading of its failures.
using Explain = FailureCause (*)(const Record& record);

// The cause of the record's failure, for the table's calculation. The record must hold one.
FailureCause explainFailure(const CalculatorTable& table, const Record& record);

// The failures of the section's steps that the Chézy form shares (discharge and bottom slope):
// R = A/P with P = 0, and C = (1/n)·R^(1/6) with n = 0 or R < 0. Empty for any other step.
std::optional<FailureCause> explainSectionStep(const Record& record, StaticText step,
                                               FailureKind kind);

// The objectNames of the table's input fields for those symbols, in the symbols' order:
// fieldsFor(dischargeWindow, "bh") → {"dkb", "ssh"}.
std::vector<StaticText> fieldsFor(const CalculatorTable& table, std::string_view symbols);

}  // namespace lintavo
