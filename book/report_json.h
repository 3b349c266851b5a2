#pragma once

// The driver's `report` line for a press, written by hand so that the values keep the order a
// reader expects: the inputs as read, the calculation's own intermediates and results before
// they were cut, then the channel's hydraulics. Numbers as C's "%.9g" writes them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calculators/record.h"

namespace lintavo {

struct CalculatorTable;
struct DesignContext;
struct PressSummary;

// A text as a JSON string literal: "\"1.8\"".
std::string jsonString(std::string_view text);

// The press's values under their keys, in order; a quantity the calculation computed itself
// keeps the calculation's value. For 断面尺寸, the channel's hydraulics are per candidate.
std::vector<std::pair<std::string, std::string>> reportValues(const CalculatorTable& table,
                                                              const Record& record,
                                                              const PressSummary& summary);

// {"window":…,"outcome":"ok","values":{…}[,"candidates":[…]][,"schemes":{…}]} for a
// completed press (each candidate with its "alpha" where the schemes exist),
// {"window":…,"outcome":"failure","kind":…,"fields":[…]} for a failed one. With a design
// context, each physical channel also carries its "design" object (book/design_report.h):
// the press's own after "values", a candidate's at the end of its entry.
std::string reportJson(const CalculatorTable& table, const Record& record,
                       const DesignContext* design = nullptr);

}  // namespace lintavo
