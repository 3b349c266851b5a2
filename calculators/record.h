#pragma once

// What one press of 计算 did, kept by the code that computes it as it goes: the inputs as
// typed and as read, each intermediate value in the order it is computed, the bisection's
// last bracket, and the results before and after they were cut. A failed press keeps what
// it had computed and the failure. The report, its plain text and the driver's JSON are all
// views of this record; none of them computes anything again.
//
// Every calculation takes a `Record*` that may be null: with no record it computes exactly
// the same, only nothing is kept.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hydraulics/failure.h"
#include "hydraulics/static_text.h"
#include "hydraulics/value.h"

namespace lintavo {

struct TypedInput {
    char symbol;
    std::string text;
};

struct RecordedInput {
    char symbol;                 // the quantity it holds: 'Q', 'b', …
    std::string text;            // as typed
    std::optional<Value> value;  // as read; empty when it did not convert
};

struct RecordedStep {
    StaticText symbol;  // "A", "P", "R", "C", "h1", …
    Value value;
};

struct RecordedBisection {
    int halvings = 0;
    Value lo;
    Value hi;
};

struct RecordedResult {
    char symbol;                 // the quantity written
    std::optional<Value> exact;  // before it was cut (none for a field of candidates)
    std::string text;            // as written into the field
    StaticText rule;             // how the text was cut from the exact value, in words
    // For a text made otherwise, the values it was made from, before they were cut: 断面尺寸's
    // positive roots, in the order the text gives them.
    std::vector<Value> madeFrom;
};

struct RecordedFailure {
    FailureKind kind;
    std::optional<std::size_t> input;  // the input that did not convert, in reading order
    StaticText step;                   // the step that failed; empty while reading
};

struct Record {
    std::vector<TypedInput> typed;  // every input field, read or not, in reading order
    std::vector<RecordedInput> inputs;
    std::vector<RecordedStep> steps;
    std::optional<RecordedBisection> bisection;
    std::vector<RecordedResult> results;
    std::optional<RecordedFailure> failure;
    std::optional<char> cutting;  // the result whose cut failed
    // What the press adds to its results in words (a circle's second depth), or, when it
    // refused a channel its arithmetic could not see is none (a pipe under pressure), why.
    std::string remark;

    // The value of an input or a step by its symbol, the last one kept under that name.
    std::optional<Value> valueOf(std::string_view symbol) const;
    // The number an input was read as; 0 when it was not read.
    double input(char symbol) const;

    // The step a failure stopped at: the first of the calculation's steps, in the order it
    // computes them, that the record does not hold.
    StaticText nextStep(std::initializer_list<StaticText> order) const;
};

// Keeps `value` under `symbol` when there is a record, and passes it on either way:
//   const Value A = noted(record, "A", flowArea(b, m, h));
inline Value noted(Record* record, StaticText symbol, Value value) {
    if (record != nullptr) record->steps.push_back({symbol, value});
    return value;
}

}  // namespace lintavo
