// Every calculation of the catalogue, from its input texts (the input split at newlines) to
// the written texts: either every result text is well formed, or the press fails with a kind
// and returns nothing to write.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "book/report.h"
#include "book/report_json.h"
#include "calculators/catalogue.h"
#include "tests/fuzz/written_text.h"

using namespace lintavo;

namespace {

bool holdsNanOrInf(std::string text) {
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos;
}

// The press's calculation book as plain text holds every text the press wrote, and no NaN
// or infinity unless the user typed one.
void checkBook(const CalculatorTable& table, const std::vector<std::string>& inputs,
               const std::string& all) {
    Record record;
    const auto written = runPress(table.press, inputs, record);
    const std::string text = plainText(buildReport(table, record, "", ""));
    if (written) {
        for (const std::string& result : *written) {
            if (text.find(result) == std::string::npos)
                fuzz::broken("the book lacks a written text", all);
        }
    }
    bool typed = false;
    for (const std::string& input : inputs)
        typed = typed || holdsNanOrInf(input);
    if (!typed && holdsNanOrInf(text)) fuzz::broken("the book holds a nan or an inf", all);
}

// One calculation on the inputs: its book, and the same press with its record, as the window
// runs it: the same texts, a record whose every view holds numbers only, and a cause for
// every failure.
void checkPress(const CalculatorTable& table, const std::vector<std::string>& inputs,
                const std::string& all) {
    checkBook(table, inputs, all);
    Record record;
    const auto recorded = runPress(table.press, inputs, record);
    if (holdsNanOrInf(reportJson(table, record)))
        fuzz::broken("a report value that is no number", all);
    if (!recorded) {
        const std::string sentence = explainFailure(table, record).sentence;
        if (sentence.empty()) fuzz::broken("a failure with no cause", all);
        if (holdsNanOrInf(sentence)) fuzz::broken("a cause that holds a nan or an inf", all);
    }

    Texts results;
    try {
        results = table.press(inputs, nullptr);
    } catch (const CalculationFailure& f) {
        if (f.input() && *f.input() >= rowsWith(table.window, Role::Input).size())
            fuzz::broken("a failure at an input that does not exist", all);
        if (recorded) fuzz::broken("the recorded press did not fail", all);
        return;
    }
    if (recorded != results) fuzz::broken("the recorded press wrote other texts", all);
    // The same inputs give the same texts, every time.
    if (table.press(inputs, nullptr) != results) fuzz::broken("a second press differs", all);
    if (results.size() != rowsWith(table.window, Role::Output).size())
        fuzz::broken("wrong number of results", all);
    for (std::size_t k = 0; k < results.size(); ++k) {
        // Each text is checked by the rule the press says cut it.
        const std::string_view rule = record.results.at(k).rule;
        if (rule == candidatesRule) {
            fuzz::checkCandidatesText(results[k]);
        } else {
            fuzz::checkNumberText(results[k], rule == singleToThreeDecimals.rule);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> inputs;
    std::size_t from = 0;
    // As many lines as any calculation reads; a press reads the first of them it needs.
    std::size_t most = 0;
    for (const CalculatorTable& table : calculations())
        most = std::max(most, rowsWith(table.window, Role::Input).size());
    while (inputs.size() < most) {
        const auto end = all.find('\n', from);
        inputs.push_back(
            all.substr(from, end == std::string::npos ? std::string::npos : end - from));
        if (end == std::string::npos) break;
        from = end + 1;
    }
    for (const CalculatorTable& table : calculations())
        checkPress(table, inputs, all);
    return 0;
}
