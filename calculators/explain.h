#pragma once

// What a press means beyond its result texts, read from its record: why a failed press
// failed, in the channel's terms, and the values of the press as the report and the
// driver's `report` command give them. Nothing here computes the calculation again.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calculators/record.h"
#include "hydraulics/channel.h"

namespace lintavo {

struct CalculatorTable;

// Why a press failed. `sentence` is one or two sentences of Chinese for the failure report
// and the calculation book; `fields` are the symbols of the inputs to look at, the first of
// them the one to take the keyboard focus ("bh": 底宽b and 水深h).
struct FailureCause {
    std::string_view step;  // the step that failed, as the record names it; "" while reading
    std::string sentence;
    std::string fields;
};

// Each calculation's own reading of its failures.
using Explain = FailureCause (*)(const Record& record);

// The cause of the record's failure, for the table's calculation. The record must hold one.
FailureCause explainFailure(const CalculatorTable& table, const Record& record);

// The failures of the section's steps that the Chézy form shares (discharge and bottom slope):
// R = A/P with P = 0, and C = (1/n)·R^(1/6) with n = 0 or R < 0. Empty for any other step.
std::optional<FailureCause> explainSectionStep(std::string_view step, FailureKind kind);

// The objectNames of the table's input fields for those symbols, in the symbols' order:
// fieldsFor(dischargeWindow, "bh") → {"dkb", "ssh"}.
std::vector<std::string_view> fieldsFor(const CalculatorTable& table, std::string_view symbols);

// The channel a completed press describes: its Q, b, h, m, i and n as read, with the
// computed one in place before it was cut. Not for 断面尺寸, whose candidates are channels of
// their own (`candidateChannels`).
Channel channelOf(const Record& record);

// 断面尺寸's candidate sections whose h and b are both positive, in the order h1, h2.
std::vector<Channel> candidateChannels(const Record& record);

// A number as C's printf("%.9g") writes it, whatever the platform's printf does:
// 0.00100000005, 36.9498421, 3, 1.5e+20.
std::string recordNumber(double x);

// The press's values under the keys of the `report` command, in order: the inputs as read,
// the calculation's intermediates and its result before truncation, then the channel's
// hydraulics (absent where a quantity does not exist); a quantity the calculation computed
// itself keeps the calculation's value.
std::vector<std::pair<std::string, std::string>> reportValues(const CalculatorTable& table,
                                                              const Record& record);

}  // namespace lintavo
