#pragma once

// A calculation that lives only in the tests: the mean velocity of a channel from its
// discharge and section, written the way the README asks of a new calculation — a pure press,
// its causes, its table — and added to the catalogue, so that the tests can prove that the
// book, the report, the batch and lintavo-calc's lookup need nothing else.

#include "calculators/catalogue.h"
#include "calculators/press.h"
#include "hydraulics/section.h"

namespace lintavo::testing {

inline constexpr std::array sixthSteps{
    StepForm{"A", "过水断面面积", "({b} + {m}·{h})·{h}", "m²"},
    StepForm{"v", "流速", "{Q} / {A}", "m/s"},
};

inline Texts pressSixth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, b, h, m] = readInputs(inputs, "Qbhm", record);
    const Value A = noted(record, "A", flowArea(b, m, h));
    const Value v = noted(record, "v", Q / A);
    return writeResults(record, {{'v', v, toThreeDecimals}});
}

inline FailureCause explainSixth(const Record& record) {
    const StaticText step = record.nextStep({"A", "v"});
    if (step == "v" && record.failure->kind == FailureKind::DivisionByZero)
        return {step, "过水断面面积 A = 0，流速 v = Q/A 无法计算。", "hbm"};
    return {step, "流速超出了数的范围。", "Q"};
}

namespace sixth {

using enum ControlKind;
using namespace frame;

// clang-format off
inline constexpr ControlRow controls[] = {
    {Label,  "Label1", title,      {2616, 720, 2652, 336},  std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q",     {600, 1500, 780, 300},   std::nullopt},
    {Label,  "Label3", "底宽b",     {3000, 1500, 780, 300},  std::nullopt},
    {Label,  "Label4", "水深h",     {600, 2400, 780, 300},   std::nullopt},
    {Label,  "Label5", "边坡系数m", {3000, 2400, 1260, 300}, std::nullopt},
    {Label,  "Label6", "流速v",     {600, 3600, 876, 300},   resultFont,   Ink::Blue},
    {Field,  "llQ6",   "",          {1464, 1488, 1068, 396}, std::nullopt, Ink::Default, 0, input(0)},
    {Field,  "dkb6",   "",          {4300, 1488, 1068, 396}, std::nullopt, Ink::Default, 1, input(1)},
    {Field,  "ssh6",   "",          {1464, 2400, 1068, 396}, std::nullopt, Ink::Default, 2, input(2)},
    {Field,  "bpm6",   "",          {4300, 2400, 1068, 396}, std::nullopt, Ink::Default, 3, input(3)},
    {Field,  "lsv6",   "",          {1800, 3504, 1452, 492}, resultFont,   Ink::Red,     4, output(0)},
    {Button, "计算6",  "计算",      {2040, 4680, 972, 348},  std::nullopt, Ink::Default, 5, computeButton},
    {Button, "返回6",  "返回",      {3840, 4680, 972, 348},  std::nullopt, Ink::Default, 6, returnButton},
    {Button, "结束6",  "结束",      {5640, 4680, 972, 348},  std::nullopt, Ink::Default, 7, endButton},
};
// clang-format on

}  // namespace sixth

// No menu button opens it: the menu is a designed form of its own.
inline constexpr CalculatorTable sixthCalculation{
    .window =
        {"流速v计算", "流速v计算", std::nullopt, {8475, 5820}, frame::labelFont, sixth::controls},
    .opener = "",
    .press = pressSixth,
    .explain = explainSixth,
    .steps = sixthSteps,
    .describe = describeOwnChannel,
    .example = {"2", "1", "1", "1", ""},
    .alias = "velocity",
};

}  // namespace lintavo::testing
